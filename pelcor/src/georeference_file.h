#pragma once

#include <optional>

#include "georeference.h"

namespace pelcor {

// The georeference held in the GeoTIFF tags of the file's first directory.
std::optional<WorldParams> ReadGeoreference(const char* path);

// Stores the georeference in the file's GeoTIFF tags, adding a tie point and a pixel scale
// when the file lacks them. Everything is checked before the first byte changes, so a refused
// write leaves the file as it was.
bool WriteGeoreference(const char* path, const WorldParams& world);

}  // namespace pelcor
