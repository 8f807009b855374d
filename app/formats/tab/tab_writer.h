#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Writes a raster table naming `imageName` (beside the table) with the four corners of an image
// of `size` placed by `georeference` (origin at the outer corner of the first pixel) and the
// CoordSys clause when one was chosen. Refuses (message 18) an image without a size.
void WriteTable(const FileSystemService& files, const NumberTextServices& numbers,
                const std::string& tablePath, const std::string& imageName,
                const Georeference& georeference, const ImageSize& size,
                const std::string& coordSysClause);

// Writes WorldParams as a MapInfo raster table beside the input file.
void ZapisTAB(ConversionContext& form, const std::string& inputPath);

}  // namespace marlo
