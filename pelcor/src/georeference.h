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

// Where the tags' raster position (0, 0) lies: at the outer top-left corner of the first pixel
// (PixelIsArea, the GeoTIFF default) or at its centre (PixelIsPoint).
enum class TieAt { OuterCorner, PixelCentre };

// The georeference the tags describe, or nothing when no usable combination is present.
std::optional<WorldParams> WorldFromTags(const GeoTags& tags, TieAt tieAt);

// What the tags hold: no georeference tag at all, a georeference, ground control points only (a
// warp, which no world file holds), or a combination that places nothing.
enum class GeoreferenceKind : std::int32_t {
    None = 0,
    Georeference = 1,
    ControlPoints = 2,
    Unusable = 3
};
GeoreferenceKind KindOfTags(const GeoTags& tags);

bool IsRotated(const WorldParams& world);
// Finite values and a non-singular pixel grid: a georeference any reader can place.
bool PlacesAnImage(const WorldParams& world);
// Scale and tie point hold only images whose rows run south without rotation, as GDAL reads
// them (it takes a negative ScaleY for a positive one); every other image needs the matrix.
bool NeedsMatrix(const WorldParams& world);

// The tag values for a georeference; scale and tie point only where NeedsMatrix is false.
std::array<double, 3> PixelScaleValues(const WorldParams& world);
std::array<double, 6> TiepointValues(const WorldParams& world, TieAt tieAt);
std::array<double, 16> TransformationValues(const WorldParams& world, TieAt tieAt);

}  // namespace pelcor
