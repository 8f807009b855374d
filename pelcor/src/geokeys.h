#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelcor {

// GeoKeys Pelcor reads or sets (GeoTIFF 1.0/1.1).
inline constexpr std::uint16_t kKeyModelType = 1024;
inline constexpr std::uint16_t kKeyRasterType = 1025;
inline constexpr std::uint16_t kKeyGeographicType = 2048;
inline constexpr std::uint16_t kKeyProjectedType = 3072;
inline constexpr std::uint16_t kRasterPixelIsArea = 1;
inline constexpr std::uint16_t kRasterPixelIsPoint = 2;
inline constexpr std::uint16_t kModelProjected = 1;
inline constexpr std::uint16_t kModelGeographic = 2;
// A key value that states "user-defined", not a code.
inline constexpr std::uint16_t kUserDefined = 32767;

struct GeoKey {
    std::uint16_t id = 0;
    std::uint16_t location = 0;  // 0: the value is the key's own; else the tag that holds it
    std::uint16_t count = 1;
    std::uint16_t value = 0;
};

// The GeoKeyDirectory tag's contents: a header and keys sorted by id.
struct GeoKeys {
    std::uint16_t version = 1;
    std::uint16_t revision = 1;
    std::uint16_t minorRevision = 0;
    std::vector<GeoKey> keys;
};

// The keys of a GeoKeyDirectory, or nothing when its header or key count does not fit its
// values.
std::optional<GeoKeys> ParseGeoKeys(const std::vector<std::uint16_t>& values);
std::vector<std::uint16_t> EncodeGeoKeys(const GeoKeys& keys);

// A key's own value; nothing when the key is absent or its value is stored elsewhere.
std::optional<std::uint16_t> KeyValue(const GeoKeys& keys, std::uint16_t id);
// Sets a key to a value of its own, keeping the keys sorted.
void SetKey(GeoKeys& keys, std::uint16_t id, std::uint16_t value);

// The three GeoKey tags as stored: the directory's SHORTs, the doubles and the text its keys
// refer to (GeoDoubleParams, GeoAsciiParams).
struct RawGeoKeys {
    std::vector<std::uint16_t> directory;
    std::vector<double> doubles;
    std::string ascii;
};

// Whether the directory parses and every key that refers to the doubles or the text finds its
// values there.
bool IsConsistent(const RawGeoKeys& raw);
// The directory with PixelIsPoint declared, keys in ascending order.
std::vector<std::uint16_t> DeclarePixelIsPoint(const std::vector<std::uint16_t>& directory);

// What a write declares in the GeoKeys besides PixelIsPoint: a coordinate system by its EPSG
// code, which replaces the file's own, or (code 0) nothing, which keeps them.
struct CoordinateSystem {
    std::uint16_t modelType = 0;  // kModelProjected or kModelGeographic
    std::uint16_t epsg = 0;
};

// The keys after a write: the file's own (or none), PixelIsPoint, and the coordinate system
// when one is given.
GeoKeys KeysForWrite(std::optional<GeoKeys> existing, const CoordinateSystem& system);

}  // namespace pelcor
