#include "georeference.h"

#include <cmath>
#include <functional>

namespace pelcor {

namespace {

// Rotation terms below this are rounding noise, not a rotation.
constexpr double kRotationThreshold = 1e-15;

struct ModelPoint {
    double x = 0;
    double y = 0;
};

// Maps a raster position (column, row from the outer top-left corner) to model coordinates.
using RasterToModel = std::function<ModelPoint(double, double)>;

std::optional<RasterToModel> ChooseMapping(const GeoTags& tags) {
    const TagValues& tie = tags.tiepoint;
    const TagValues& scale = tags.pixelScale;
    const TagValues& matrix = tags.transformation;
    // Several tie points without a scale describe a warp, which a world file cannot hold, even
    // when a matrix stands beside them.
    if (tie.count > 6 && scale.count == 0) {
        return std::nullopt;
    }
    if (matrix.count == 16) {
        const auto& m = matrix.values;
        return [m](double i, double j) {
            return ModelPoint{m[0] * i + m[1] * j + m[3], m[4] * i + m[5] * j + m[7]};
        };
    }
    if (scale.count >= 3 && tie.count >= 6) {
        const auto& t = tie.values;
        const auto& s = scale.values;
        return [t, s](double i, double j) {
            return ModelPoint{(i - t[0]) * s[0] + t[3], (j - t[1]) * (-1 * s[1]) + t[4]};
        };
    }
    return std::nullopt;
}

double OuterCornerX(const WorldParams& w) {
    return w.originX - (w.pixelSizeX + w.rotationX) / 2;
}

double OuterCornerY(const WorldParams& w) {
    return w.originY - (w.pixelSizeY + w.rotationY) / 2;
}

}  // namespace

std::optional<WorldParams> WorldFromTags(const GeoTags& tags) {
    const auto map = ChooseMapping(tags);
    if (!map) {
        return std::nullopt;
    }
    // The centres of the top-left pixel and of its right and lower neighbours.
    const ModelPoint p0 = (*map)(0.5, 0.5);
    const ModelPoint p1 = (*map)(1.5, 0.5);
    const ModelPoint p2 = (*map)(0.5, 1.5);
    return WorldParams{p1.x - p0.x, p1.y - p0.y, p2.x - p0.x, p2.y - p0.y, p0.x, p0.y};
}

bool IsRotated(const WorldParams& world) {
    return std::abs(world.rotationX) >= kRotationThreshold ||
           std::abs(world.rotationY) >= kRotationThreshold;
}

std::array<double, 3> PixelScaleValues(const WorldParams& world) {
    return {world.pixelSizeX, std::abs(world.pixelSizeY), 0};
}

std::array<double, 6> TiepointValues(const WorldParams& world) {
    return {0, 0, 0, OuterCornerX(world), OuterCornerY(world), 0};
}

std::array<double, 16> TransformationValues(const WorldParams& w) {
    return {w.pixelSizeX,
            w.rotationX,
            0,
            OuterCornerX(w),  //
            w.rotationY,
            w.pixelSizeY,
            0,
            OuterCornerY(w),  //
            0,
            0,
            0,
            0,  //
            0,
            0,
            0,
            1};
}

}  // namespace pelcor
