#pragma once

#include <optional>

#include "georeference.h"

namespace pelcor {

// The georeference held in the GeoTIFF tags of the file's first directory.
std::optional<WorldParams> ReadGeoreference(const char* path);

// Stores the georeference in the file's GeoTIFF tags: a pixel scale and a tie point for an
// image whose rows run south without rotation, the transformation matrix for any other, and
// no other georeference tag beside them. A georeference that places no image is refused.
// Everything is checked before the first byte changes, so a refused write leaves the file as
// it was.
bool WriteGeoreference(const char* path, const WorldParams& world);

}  // namespace pelcor
