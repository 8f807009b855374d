#include "values/georeference.h"

#include <cmath>

#include "platform/failures.h"
#include "text/catalogue.h"

namespace marlo {

bool PlacesAnImage(const Georeference& g) {
    for (double value :
         {g.pixelSizeX, g.rotationY, g.rotationX, g.pixelSizeY, g.originX, g.originY}) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    const double determinant = g.pixelSizeX * g.pixelSizeY - g.rotationX * g.rotationY;
    return std::isfinite(determinant) && determinant != 0;
}

void RequirePlacesAnImage(const Texts& texts, const Georeference& g, const std::string& path) {
    // A number that is not finite, or one whose products are not (1e308 metres a pixel), is
    // never written anywhere: the file's own values are at fault, which its message says.
    for (double value : {g.pixelSizeX, g.rotationY, g.rotationX, g.pixelSizeY, g.originX, g.originY,
                         g.pixelSizeX * g.pixelSizeY - g.rotationX * g.rotationY}) {
        if (!std::isfinite(value)) {
            throw Refusal(texts.MessageWithPath(msg::GeoreferenceOutOfRange, path, kCr));
        }
    }
    if (!PlacesAnImage(g)) {
        throw Refusal(texts.MessageWithPath(msg::RasterNotRectified, path, kCr));
    }
}

double MapX(const Georeference& g, double column, double row) {
    return CheckedResult(g.originX + column * g.pixelSizeX + row * g.rotationX);
}

double MapY(const Georeference& g, double column, double row) {
    return CheckedResult(g.originY + column * g.rotationY + row * g.pixelSizeY);
}

}  // namespace marlo
