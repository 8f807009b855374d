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

// A raster-to-model mapping with its steps: the model change from one column to the next
// (columnX, columnY) and from one row to the next (rowX, rowY). The steps are taken from the
// tags themselves rather than as differences of mapped points, which near large coordinates
// would keep only about ten significant digits.
struct Mapping {
    RasterToModel map;
    double columnX = 0;
    double columnY = 0;
    double rowX = 0;
    double rowY = 0;
};

// The tags in the order GDAL reads them: a usable pixel scale with a tie point first, then a
// 16-value matrix; several tie points without either describe a warp, which a world file
// cannot hold. A negative ScaleY is read as GDAL reads it, rows running south.
std::optional<Mapping> ChooseMapping(const GeoTags& tags) {
    const TagValues& tie = tags.tiepoint;
    const TagValues& scale = tags.pixelScale;
    const TagValues& matrix = tags.transformation;
    const bool scaleUsable = scale.count >= 2 && scale.values[0] != 0 && scale.values[1] != 0;
    if (scaleUsable) {
        if (tie.count < 6) {
            return std::nullopt;
        }
        const auto& t = tie.values;
        const double columnX = scale.values[0];
        const double rowY = -std::abs(scale.values[1]);
        return Mapping{[t, columnX, rowY](double i, double j) {
                           return ModelPoint{(i - t[0]) * columnX + t[3], (j - t[1]) * rowY + t[4]};
                       },
                       columnX, 0, 0, rowY};
    }
    if (matrix.count == 16) {
        const auto& m = matrix.values;
        return Mapping{
            [m](double i, double j) {
                return ModelPoint{m[0] * i + m[1] * j + m[3], m[4] * i + m[5] * j + m[7]};
            },
            m[0], m[4], m[1], m[5]};
    }
    return std::nullopt;
}

// The model point that raster position (0, 0) stands for.
double TieX(const WorldParams& w, TieAt tieAt) {
    return tieAt == TieAt::PixelCentre ? w.originX : w.originX - (w.pixelSizeX + w.rotationX) / 2;
}

double TieY(const WorldParams& w, TieAt tieAt) {
    return tieAt == TieAt::PixelCentre ? w.originY : w.originY - (w.pixelSizeY + w.rotationY) / 2;
}

}  // namespace

std::optional<WorldParams> WorldFromTags(const GeoTags& tags, TieAt tieAt) {
    const auto mapping = ChooseMapping(tags);
    if (!mapping) {
        return std::nullopt;
    }
    // The origin is the centre of the top-left pixel, which a point raster's position (0, 0)
    // already names.
    const double centreAt = tieAt == TieAt::PixelCentre ? 0 : 0.5;
    const ModelPoint centre = mapping->map(centreAt, centreAt);
    return WorldParams{mapping->columnX, mapping->columnY, mapping->rowX,
                       mapping->rowY,    centre.x,         centre.y};
}

GeoreferenceKind KindOfTags(const GeoTags& tags) {
    if (tags.tiepoint.count == 0 && tags.pixelScale.count == 0 && tags.transformation.count == 0) {
        return GeoreferenceKind::None;
    }
    if (ChooseMapping(tags)) {
        return GeoreferenceKind::Georeference;
    }
    // Six values a point: two points or more, and nothing that maps pixels to the model.
    return tags.tiepoint.count >= 12 ? GeoreferenceKind::ControlPoints : GeoreferenceKind::Unusable;
}

bool IsRotated(const WorldParams& world) {
    return std::abs(world.rotationX) >= kRotationThreshold ||
           std::abs(world.rotationY) >= kRotationThreshold;
}

bool PlacesAnImage(const WorldParams& w) {
    const double values[] = {w.pixelSizeX, w.rotationY, w.rotationX,
                             w.pixelSizeY, w.originX,   w.originY};
    for (double value : values) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    const double determinant = w.pixelSizeX * w.pixelSizeY - w.rotationX * w.rotationY;
    return std::isfinite(determinant) && determinant != 0;
}

bool NeedsMatrix(const WorldParams& world) {
    return IsRotated(world) || world.pixelSizeY > 0;
}

std::array<double, 3> PixelScaleValues(const WorldParams& world) {
    return {world.pixelSizeX, -world.pixelSizeY, 0};
}

std::array<double, 6> TiepointValues(const WorldParams& world, TieAt tieAt) {
    return {0, 0, 0, TieX(world, tieAt), TieY(world, tieAt), 0};
}

std::array<double, 16> TransformationValues(const WorldParams& w, TieAt tieAt) {
    return {w.pixelSizeX,
            w.rotationX,
            0,
            TieX(w, tieAt),  //
            w.rotationY,
            w.pixelSizeY,
            0,
            TieY(w, tieAt),  //
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
