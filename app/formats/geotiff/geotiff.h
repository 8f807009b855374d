#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Reads the georeference of a GeoTIFF into WorldParams.
void OdczytGEO(ConversionContext& form, const std::string& path);
// Copies the image into the output folder and writes WorldParams into the copy's tags.
void ZapisGEO(ConversionContext& form, const std::string& sourceFolder,
              const std::string& outputFolder, const std::string& fileName);
// Sets imageWidth and imageHeight from the image (both 0 when it cannot be measured).
void GetTiffInfo(ConversionContext& form, const std::string& path);

}  // namespace marlo
