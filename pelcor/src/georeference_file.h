#pragma once

#include <cstdint>
#include <optional>

#include "geokeys.h"
#include "georeference.h"

namespace pelcor {

// The georeference held in the GeoTIFF tags of the file's first directory.
std::optional<WorldParams> ReadGeoreference(const char* path);

// What a file's GeoKeys say, as far as the program needs it.
struct KeyInfo {
    std::uint16_t rasterType = 0;  // 0 without GeoKeys; PixelIsArea also when the keys omit it
    std::uint16_t modelType = 0;
    std::uint16_t epsg = 0;
};
std::optional<KeyInfo> ReadKeyInfo(const char* path);

// How a write treats the GeoKeys: leaves them alone, or declares PixelIsPoint (and the
// coordinate system, when it has a code), keeping the file's other keys.
struct KeyWrite {
    bool declarePixelIsPoint = false;
    CoordinateSystem system;
};

// Stores the georeference in the file's GeoTIFF tags: a pixel scale and a tie point for an
// image whose rows run south without rotation, the transformation matrix for any other, and
// no other georeference tag beside them. A georeference that places no image is refused.
// Everything is checked before the first byte changes, so a refused write leaves the file as
// it was.
bool WriteGeoreference(const char* path, const WorldParams& world, const KeyWrite& keys = {});

}  // namespace pelcor
