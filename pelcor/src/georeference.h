#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace pelcor {

// The six world-file parameters; the origin is the centre of the top-left pixel.
struct WorldParams {
    double pixelSizeX = 0;
    double rotationY = 0;
    double rotationX = 0;
    double pixelSizeY = 0;
    double originX = 0;
    double originY = 0;
    bool operator==(const WorldParams&) const = default;
};

// The values of one GeoTIFF tag as far as the mapping needs them: the count the file gives,
// and at most the first 16 values (more are never used, so more are never read).
struct TagValues {
    static constexpr std::uint32_t kMaxKept = 16;
    std::uint32_t count = 0;  // 0 when the tag is absent
    std::array<double, kMaxKept> values{};
};

struct GeoTags {
    TagValues tiepoint;
    TagValues pixelScale;
    TagValues transformation;
};

// The georeference the tags describe, or nothing when no usable combination is present.
std::optional<WorldParams> WorldFromTags(const GeoTags& tags);

// Rotated or sheared images need the transformation matrix; the others get scale and tie point.
bool IsRotated(const WorldParams& world);

std::array<double, 3> PixelScaleValues(const WorldParams& world);
std::array<double, 6> TiepointValues(const WorldParams& world);
std::array<double, 16> TransformationValues(const WorldParams& world);

}  // namespace pelcor
