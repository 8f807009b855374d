#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/failures.h"
#include "text/catalogue.h"

namespace marlo {

// The georeference of an image, in world-file line order.
struct Georeference {
    double pixelSizeX = 0;
    double rotationY = 0;
    double rotationX = 0;
    double pixelSizeY = 0;
    double originX = 0;
    double originY = 0;
};

// A point of a map: easting and northing (or longitude and latitude) of its system.
struct MapPoint {
    double x = 0;
    double y = 0;
};

// An image's pixel width and height; both 0 when it cannot be measured.
struct ImageSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A coordinate system by its EPSG code: projected or geographic; code 0 for none known.
struct CoordinateSystemCode {
    bool geographic = false;
    std::int32_t epsg = 0;
};

// The GeoKey tags of a GeoTIFF as stored (directory, doubles, text): a coordinate system in
// GeoTIFF's own terms. No directory: no keys.
struct GeoKeyTags {
    std::vector<std::uint16_t> directory;
    std::vector<double> doubles;
    std::string ascii;
    auto operator<=>(const GeoKeyTags&) const = default;
};

// The coordinate system a GeoTIFF gets: the one the image's own keys state, one by its EPSG
// code, one by the keys GDAL writes for it, or none at all (no GeoKeys).
struct GeoTiffSystem {
    enum class Source { ImageOwn, EpsgCode, GdalKeys, None };
    Source source = Source::ImageOwn;
    CoordinateSystemCode code;
    GeoKeyTags keys;
    // A system that serves only when the image's own keys state none (a world file's .prj,
    // the chosen projection).
    bool unlessImageStatesOne = false;
};

// Whether the georeference places an image: six finite numbers and a pixel grid that does not
// collapse (a zero pixel size, or columns and rows along one line). Rotation and shear are
// fine: every form carries them.
bool PlacesAnImage(const Georeference& georeference);

// Refuses (message 9, with the path) a georeference that places no image; a value that is not
// finite is run-time error 6.
void RequirePlacesAnImage(const Texts& texts, const Georeference& georeference,
                          const std::string& path);

// Where pixel position (column, row) lies, for a georeference whose origin is the outer corner
// of the first pixel; run-time error 6 when the result is not finite.
double MapX(const Georeference& georeference, double column, double row);
double MapY(const Georeference& georeference, double column, double row);

}  // namespace marlo
