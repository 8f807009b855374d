#pragma once

#include <cstdint>
#include <optional>

#include "geokeys.h"
#include "georeference.h"

namespace pelcor {

// The georeference held in the GeoTIFF tags of the file's first directory, placed as GDAL
// places it: the tie point at the first pixel's centre when the keys say PixelIsPoint, at its
// outer corner otherwise.
std::optional<WorldParams> ReadGeoreference(const char* path);

// What the GeoTIFF tags of the file's first directory hold; nothing when it cannot be read.
std::optional<GeoreferenceKind> ReadGeoreferenceKind(const char* path);

// What a file's GeoKeys say, as far as the program needs it.
struct KeyInfo {
    std::uint16_t rasterType = 0;  // 0 without GeoKeys; PixelIsArea also when the keys omit it
    std::uint16_t modelType = 0;
    std::uint16_t epsg = 0;
};
std::optional<KeyInfo> ReadKeyInfo(const char* path);
// The file's three GeoKey tags as stored (empty where a tag is absent or unusable).
std::optional<RawGeoKeys> ReadRawGeoKeys(const char* path);

// How a write treats the GeoKeys: leaves them alone, or declares PixelIsPoint (and the
// coordinate system, when it has a code), keeping the file's other keys.
struct KeyWrite {
    bool declarePixelIsPoint = false;
    CoordinateSystem system;
    // When given, these keys replace the file's own GeoKey tags whole (PixelIsPoint declared).
    std::optional<RawGeoKeys> replacement;
};

// How a write changes the file: as it sees fit (values over the old ones where they fit), or
// crash-safe, for an image changed where it stands: the values and a new directory are always
// appended and made durable before the header points at them, and a file that keeps its
// directories ahead of its data, or that another program holds a lock on, is refused.
enum class WriteMode { Update, CrashSafe };

// Stores the georeference in the file's GeoTIFF tags: a pixel scale and a tie point for an
// image whose rows run south without rotation, the transformation matrix for any other, and
// no other georeference tag beside them. The tie point is the first pixel's centre when the
// keys after the write say PixelIsPoint, its outer corner otherwise, so readers place the
// image where the parameters do. A georeference that places no image is refused.
// Everything is checked before the first byte changes, so a refused write leaves the file as
// it was.
bool WriteGeoreference(const char* path, const WorldParams& world, const KeyWrite& keys = {},
                       WriteMode mode = WriteMode::Update);

// Why a crash-safe write would refuse the file, which can be read as a TIFF.
enum class CrashSafeBlocker { None = 0, DirectoriesFirst = 1, LockedElsewhere = 2 };
std::optional<CrashSafeBlocker> CrashSafeBlockerOf(const char* path);

}  // namespace pelcor
