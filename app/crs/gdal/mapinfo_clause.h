#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace marlo::bridge {

// A datum's shift to WGS 84: three translations (m), three rotations (") and a scale (ppm).
using Shift = std::array<double, 7>;

// CoordSys clauses that may state the system (an OGRSpatialReferenceH) in a MapInfo table, the
// likeliest first: the projection as GDAL writes it (`exported`, "" when GDAL writes none) or
// as built from the system's own parameters for its method, each with the datum by GDAL's
// number for it, by MapInfo's number for a datum that is WGS 84 to PROJ, or by its ellipsoid
// and shift (written again with fewer digits, after, for a table line). None is certain: the caller
// keeps the first that GDAL reads back as the system.
std::vector<std::string> ClauseCandidates(void* srs, const std::string& exported,
                                          const std::optional<Shift>& shift);

// Whether a table line can hold the clause as GDAL reads it: GDAL's table reader takes lines of
// at most 199 characters, and a table indents its clause by two blanks. A longer line loses its
// system to GDAL (the image is still placed).
bool FitsATableLine(const std::string& clause);

// The system's projection method as GDAL names it; "" for a geographic system.
std::string MethodName(void* srs);

// Whether MapInfo has a projection type for the system's method (a geographic system has).
bool MapInfoHasMethod(void* srs);

}  // namespace marlo::bridge
