#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "values/georeference.h"

namespace marlo {

// Refuses (message 32, naming it) an image whose name a table's File line cannot hold.
void RequireNameFitsATable(const Texts& texts, const std::string& imagePath);

// The lines of a raster table at `tablePath` naming `imageName` (beside the table) with the four
// corners of an image of `size` placed by `georeference` (origin at the outer corner of the
// first pixel) and the CoordSys clause when there is one. Refuses (message 18) an image without
// a size. The caller writes them (WriteOutputFile).
std::vector<std::string> RasterTableLines(const Texts& texts, const std::string& tablePath,
                                          const std::string& imageName,
                                          const Georeference& georeference, const ImageSize& size,
                                          const std::string& coordSysClause);

}  // namespace marlo
