#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "environment/environment.h"
#include "values/georeference.h"

namespace marlo {

// Coordinate systems as GDAL's spatial-reference API understands them, through the bridge
// library that is loaded on the first call (a run that the projection list settles never
// loads it). A system travels as its WKT; "" is no system. These ask GDAL every time: a run
// asks through the Environment's kept answers (crs/answer_cache.h), so a batch in a few
// systems asks GDAL a few times, not once per file.

// The file name of the bridge library.
inline constexpr const char* kCrsBridgeLibrary = "libmarlo_crs.so";

// The bridge as the Environment reaches it: the libraries it is bound through, and the texts
// its refusals speak.
struct GdalBridge {
    const Libraries& libraries;
    const Texts& texts;
};
GdalBridge BridgeOf(const Environment& env);

// The system a MapInfo CoordSys clause states; nothing for a clause GDAL cannot understand
// (NonEarth, an unknown datum or projection).
std::optional<std::string> SystemOfClause(const GdalBridge& bridge, const std::string& clause);
// The CoordSys clause GDAL reads back as the same system; nothing when MapInfo cannot hold it.
std::optional<std::string> ClauseOfSystem(const GdalBridge& bridge, const std::string& wkt);
// "EPSG:<code>" or the text of a .prj file; nothing when GDAL does not know it.
std::optional<std::string> SystemOfDefinition(const GdalBridge& bridge,
                                              const std::string& definition);
// The EPSG code GDAL finds as the one confident match; code 0 when there is none.
CoordinateSystemCode EpsgCodeOf(const GdalBridge& bridge, const std::string& wkt);
bool SameSystem(const GdalBridge& bridge, const std::string& wkt, const std::string& otherWkt);
std::string SystemName(const GdalBridge& bridge, const std::string& wkt);
// Why a table cannot hold a system that ClauseOfSystem finds no clause for, to follow its name
// in a refusal: MapInfo has no projection for its method, PROJ has no shift to WGS 84 for its
// datum that a table could state, or GDAL reads none back as the same.
std::string WhyNoClause(const GdalBridge& bridge, const std::string& wkt);

// Points of the system moved to WGS 84 longitude and latitude; nothing when GDAL cannot.
std::optional<std::vector<MapPoint>> ToWgs84(const GdalBridge& bridge, const std::string& wkt,
                                             const std::vector<MapPoint>& points);

// A system as GDAL's auxiliary files (.aux.xml) hold it: the WKT and the axis mapping.
struct AuxiliarySystem {
    std::string wkt;
    std::string axisMapping;
};
std::optional<AuxiliarySystem> AuxiliaryFormOf(const GdalBridge& bridge, const std::string& wkt);

// The system GDAL reads from a GeoTIFF carrying the keys: "" when they state none; nothing when
// GDAL could not be asked (that file then fails: a system is never dropped in silence).
std::optional<std::string> SystemOfGeoKeys(const GdalBridge& bridge, const GeoKeyTags& keys);
// The keys GDAL writes for a system; no directory when it writes none. Run-time error 5 when
// GDAL could not be asked.
GeoKeyTags GeoKeysOfSystem(const GdalBridge& bridge, const std::string& wkt);
// What the error of a failed question to GDAL says.
RunTimeError GdalFailure(const std::string& question);

}  // namespace marlo
