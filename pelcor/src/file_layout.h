#pragma once

#include "bounded_reader.h"
#include "tiff_directory.h"

namespace pelcor {

// Whether the file keeps its directories ahead of its pixel data, as a cloud-optimised GeoTIFF
// does for readers that fetch only its head: GDAL's structural metadata after the header
// declares that layout, or a tiled image's first directory stands right after the header,
// ahead of every tile. A directory appended at the end would break that promise.
bool KeepsDirectoriesFirst(const BoundedReader& reader, const Directory& directory);

}  // namespace pelcor
