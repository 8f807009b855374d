#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "state/georeference.h"

namespace marlo {

// Coordinate systems as GDAL's spatial-reference API understands them, through the bridge
// library that is loaded on the first call (a run that the projection list settles never
// loads it). A system travels as its WKT; "" is no system. Results are kept for the rest of
// the process, so a batch in a few systems asks GDAL a few times, not once per file.

// The system a MapInfo CoordSys clause states; nothing for a clause GDAL cannot understand
// (NonEarth, an unknown datum or projection).
std::optional<std::string> SystemOfClause(const std::string& clause);
// The CoordSys clause GDAL reads back as the same system; nothing when MapInfo cannot hold it.
std::optional<std::string> ClauseOfSystem(const std::string& wkt);
// "EPSG:<code>" or the text of a .prj file; nothing when GDAL does not know it.
std::optional<std::string> SystemOfDefinition(const std::string& definition);
// The EPSG code GDAL finds as the one confident match; code 0 when there is none.
CoordinateSystemCode EpsgCodeOf(const std::string& wkt);
bool SameSystem(const std::string& wkt, const std::string& otherWkt);
std::string SystemName(const std::string& wkt);

// Points of the system moved to WGS 84 longitude and latitude; nothing when GDAL cannot.
std::optional<std::vector<MapPoint>> ToWgs84(const std::string& wkt,
                                             const std::vector<MapPoint>& points);

// A system as GDAL's auxiliary files (.aux.xml) hold it: the WKT and the axis mapping.
struct AuxiliarySystem {
    std::string wkt;
    std::string axisMapping;
};
std::optional<AuxiliarySystem> AuxiliaryFormOf(const std::string& wkt);

// Makes a one-pixel GeoTIFF at `path` carrying the GeoKeys GDAL writes for the system (none
// for ""); false when it cannot.
bool WriteKeyFile(const std::string& wkt, const std::string& path);
// The system GDAL reads from the GeoKeys of the TIFF at `path`; nothing when it cannot read it.
std::optional<std::string> ReadKeyFile(const std::string& path);

}  // namespace marlo
