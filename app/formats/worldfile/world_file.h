#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Reads a world file into WorldParams.
void OdczytTFW(ConversionContext& form, const std::string& inputPath);
// Writes WorldParams as the world file of the image at imagePath.
void ZapisTFW(ConversionContext& form, const std::string& imagePath);

}  // namespace marlo
