#include "geokeys.h"

#include <algorithm>

namespace pelcor {

namespace {

constexpr std::size_t kHeaderShorts = 4;
constexpr std::size_t kShortsPerKey = 4;
// The tags a key's location may name besides 0 (the key's own value).
constexpr std::uint16_t kTagDoubleParams = 34736;
constexpr std::uint16_t kTagAsciiParams = 34737;

// Keys that describe a coordinate system, all replaced when a write gives one: the model
// type, and the geographic, projected and vertical key ranges.
bool DescribesCoordinateSystem(std::uint16_t id) {
    return id == kKeyModelType || (id >= 2048 && id < 5000);
}

}  // namespace

std::optional<GeoKeys> ParseGeoKeys(const std::vector<std::uint16_t>& values) {
    if (values.size() < kHeaderShorts) {
        return std::nullopt;
    }
    GeoKeys keys;
    keys.version = values[0];
    keys.revision = values[1];
    keys.minorRevision = values[2];
    const std::size_t count = values[3];
    if (keys.version != 1 || count > (values.size() - kHeaderShorts) / kShortsPerKey) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint16_t* p = values.data() + kHeaderShorts + kShortsPerKey * i;
        keys.keys.push_back({p[0], p[1], p[2], p[3]});
    }
    return keys;
}

std::vector<std::uint16_t> EncodeGeoKeys(const GeoKeys& keys) {
    std::vector<std::uint16_t> values = {keys.version, keys.revision, keys.minorRevision,
                                         static_cast<std::uint16_t>(keys.keys.size())};
    for (const GeoKey& key : keys.keys) {
        values.insert(values.end(), {key.id, key.location, key.count, key.value});
    }
    return values;
}

std::optional<std::uint16_t> KeyValue(const GeoKeys& keys, std::uint16_t id) {
    for (const GeoKey& key : keys.keys) {
        if (key.id == id) {
            return key.location == 0 ? std::optional<std::uint16_t>(key.value) : std::nullopt;
        }
    }
    return std::nullopt;
}

void SetKey(GeoKeys& keys, std::uint16_t id, std::uint16_t value) {
    std::erase_if(keys.keys, [id](const GeoKey& key) { return key.id == id; });
    const auto at = std::find_if(keys.keys.begin(), keys.keys.end(),
                                 [id](const GeoKey& key) { return key.id > id; });
    keys.keys.insert(at, GeoKey{id, 0, 1, value});
}

bool IsConsistent(const RawGeoKeys& raw) {
    const auto keys = ParseGeoKeys(raw.directory);
    if (!keys) {
        return false;
    }
    return std::all_of(keys->keys.begin(), keys->keys.end(), [&raw](const GeoKey& key) {
        const std::size_t end = std::size_t{key.value} + key.count;
        switch (key.location) {
            case 0:
                return key.count == 1;
            case kTagDoubleParams:
                return end <= raw.doubles.size();
            case kTagAsciiParams:
                return end <= raw.ascii.size();
            default:
                return false;
        }
    });
}

std::vector<std::uint16_t> DeclarePixelIsPoint(const std::vector<std::uint16_t>& directory) {
    GeoKeys keys = ParseGeoKeys(directory).value_or(GeoKeys{});
    SetKey(keys, kKeyRasterType, kRasterPixelIsPoint);
    std::stable_sort(keys.keys.begin(), keys.keys.end(),
                     [](const GeoKey& a, const GeoKey& b) { return a.id < b.id; });
    return EncodeGeoKeys(keys);
}

GeoKeys KeysForWrite(std::optional<GeoKeys> existing, const CoordinateSystem& system) {
    GeoKeys keys = existing.value_or(GeoKeys{});
    if (system.epsg != 0) {
        std::erase_if(keys.keys,
                      [](const GeoKey& key) { return DescribesCoordinateSystem(key.id); });
        SetKey(keys, kKeyModelType, system.modelType);
        SetKey(keys, system.modelType == kModelGeographic ? kKeyGeographicType : kKeyProjectedType,
               system.epsg);
    }
    SetKey(keys, kKeyRasterType, kRasterPixelIsPoint);
    // GeoTIFF wants the keys in ascending order; a file may have had them otherwise.
    std::stable_sort(keys.keys.begin(), keys.keys.end(),
                     [](const GeoKey& a, const GeoKey& b) { return a.id < b.id; });
    return keys;
}

}  // namespace pelcor
