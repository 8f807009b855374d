// CoordSys clauses built from a system's own parameters, for the systems GDAL's exporter writes
// no clause for or a clause it then reads as another system (most often through the datum: a
// MapInfo datum number GDAL reads without its shift to WGS 84).
#include "crs/gdal/mapinfo_clause.h"

#include <ogr_srs_api.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <sstream>
#include <utility>

namespace marlo::bridge {

namespace {

// What a value in a clause means; each kind is looked up under the names GDAL gives it for the
// various methods.
enum class Term {
    Longitude,
    Latitude,
    Parallel1,
    Parallel2,
    Scale,
    Easting,
    Northing,
    Azimuth,
    PseudoParallel,
    Ninety
};

struct Method {
    const char* gdalName;
    int mapInfoType;
    std::initializer_list<Term> terms;
};

using enum Term;

// MapInfo's projection types by GDAL's method names, with the values each type holds in the
// order the clause holds them.
constexpr Method kMethods[] = {
    {SRS_PT_CYLINDRICAL_EQUAL_AREA, 2, {Longitude, Parallel1, Easting, Northing}},
    {SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP,
     3,
     {Longitude, Latitude, Parallel1, Parallel2, Easting, Northing}},
    {SRS_PT_LAMBERT_AZIMUTHAL_EQUAL_AREA, 29, {Longitude, Latitude, Ninety, Easting, Northing}},
    {SRS_PT_AZIMUTHAL_EQUIDISTANT, 28, {Longitude, Latitude, Ninety, Easting, Northing}},
    {SRS_PT_EQUIDISTANT_CONIC, 6, {Longitude, Latitude, Parallel1, Parallel2, Easting, Northing}},
    {SRS_PT_HOTINE_OBLIQUE_MERCATOR, 7, {Longitude, Latitude, Azimuth, Scale, Easting, Northing}},
    {SRS_PT_TRANSVERSE_MERCATOR, 8, {Longitude, Latitude, Scale, Easting, Northing}},
    {SRS_PT_ALBERS_CONIC_EQUAL_AREA,
     9,
     {Longitude, Latitude, Parallel1, Parallel2, Easting, Northing}},
    {SRS_PT_MERCATOR_1SP, 10, {Longitude}},
    {SRS_PT_MILLER_CYLINDRICAL, 11, {Longitude}},
    {SRS_PT_ROBINSON, 12, {Longitude}},
    {SRS_PT_MOLLWEIDE, 13, {Longitude}},
    {SRS_PT_ECKERT_IV, 14, {Longitude}},
    {SRS_PT_ECKERT_VI, 15, {Longitude}},
    {SRS_PT_SINUSOIDAL, 16, {Longitude}},
    {SRS_PT_GALL_STEREOGRAPHIC, 17, {Longitude}},
    {SRS_PT_NEW_ZEALAND_MAP_GRID, 18, {Longitude, Latitude, Easting, Northing}},
    {SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP_BELGIUM,
     19,
     {Longitude, Latitude, Parallel1, Parallel2, Easting, Northing}},
    {SRS_PT_STEREOGRAPHIC, 20, {Longitude, Latitude, Scale, Easting, Northing}},
    // The polar aspect with its scale at the pole; MapInfo's stereographic holds it.
    {SRS_PT_POLAR_STEREOGRAPHIC, 20, {Longitude, Latitude, Scale, Easting, Northing}},
    {SRS_PT_SWISS_OBLIQUE_CYLINDRICAL, 25, {Longitude, Latitude, Easting, Northing}},
    {SRS_PT_MERCATOR_2SP, 26, {Longitude, Parallel1}},
    {SRS_PT_POLYCONIC, 27, {Longitude, Latitude, Easting, Northing}},
    {SRS_PT_CASSINI_SOLDNER, 30, {Longitude, Latitude, Easting, Northing}},
    {SRS_PT_OBLIQUE_STEREOGRAPHIC, 31, {Longitude, Latitude, Scale, Easting, Northing}},
    {SRS_PT_KROVAK, 32, {Longitude, Latitude, PseudoParallel, Azimuth, Easting, Northing}},
    {SRS_PT_EQUIRECTANGULAR, 33, {Longitude, Latitude, Easting, Northing}},
    // Hotine's second variant, which MapInfo's type holds as the first (GDAL reads it so).
    {SRS_PT_HOTINE_OBLIQUE_MERCATOR_AZIMUTH_CENTER,
     7,
     {Longitude, Latitude, Azimuth, Scale, Easting, Northing}},
    // By its two parallels, as GDAL converts it before the values are taken.
    {SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP,
     3,
     {Longitude, Latitude, Parallel1, Parallel2, Easting, Northing}},
};

// The names GDAL gives a kind of value, the usual first.
std::vector<const char*> NamesOf(Term term) {
    switch (term) {
        case Longitude:
            return {SRS_PP_CENTRAL_MERIDIAN, SRS_PP_LONGITUDE_OF_CENTER,
                    SRS_PP_LONGITUDE_OF_ORIGIN};
        case Latitude:
            return {SRS_PP_LATITUDE_OF_ORIGIN, SRS_PP_LATITUDE_OF_CENTER};
        case Parallel1:
            return {SRS_PP_STANDARD_PARALLEL_1};
        case Parallel2:
            return {SRS_PP_STANDARD_PARALLEL_2};
        case Scale:
            return {SRS_PP_SCALE_FACTOR};
        case Easting:
            return {SRS_PP_FALSE_EASTING};
        case Northing:
            return {SRS_PP_FALSE_NORTHING};
        case Azimuth:
            return {SRS_PP_AZIMUTH};
        case PseudoParallel:
            return {SRS_PP_PSEUDO_STD_PARALLEL_1};
        case Ninety:
            break;
    }
    return {};
}

double Value(void* srs, Term term) {
    if (term == Ninety) {
        return 90;
    }
    for (const char* name : NamesOf(term)) {
        OGRErr error = OGRERR_NONE;
        // Angles in degrees whatever the system's unit (grads, say); offsets in its own unit,
        // as a clause states them.
        const double value = term == Easting || term == Northing
                                 ? OSRGetProjParm(srs, name, 0.0, &error)
                                 : OSRGetNormProjParm(srs, name, 0.0, &error);
        if (error == OGRERR_NONE) {
            return value;
        }
    }
    return term == Scale ? 1.0 : 0.0;
}

const Method* MethodOf(void* srs) {
    const char* name = OSRGetAttrValue(srs, "PROJECTION", 0);
    if (name == nullptr) {
        return nullptr;
    }
    for (const Method& method : kMethods) {
        if (std::strcmp(method.gdalName, name) == 0) {
            return &method;
        }
    }
    return nullptr;
}

// A number as a clause holds it: as many digits as a double carries (or `digits`), no exponent
// for the values a clause meets.
std::string Number(double value, int digits = 15) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value == 0.0 ? 0.0 : value);
    return text;
}

// MapInfo's names of linear units by their length in metres.
struct Unit {
    double metres;
    const char* name;
};
constexpr Unit kUnits[] = {
    {1.0, "m"},     {1000.0, "km"},  {0.3048, "ft"},   {1200.0 / 3937.0, "survey ft"},
    {0.0254, "in"}, {0.9144, "yd"},  {1609.344, "mi"}, {0.01, "cm"},
    {0.001, "mm"},  {1852.0, "nmi"}, {0.201168, "li"}, {20.1168, "ch"},
    {5.0292, "rd"}};

std::string UnitName(void* srs) {
    const double metres = OSRGetLinearUnits(srs, nullptr);
    for (const Unit& unit : kUnits) {
        if (std::fabs(unit.metres - metres) <= 1e-12 * metres) {
            return unit.name;
        }
    }
    return {};
}

// `"m", 19, 0, 0.9993, 500000, -5300000`: the units and the values after the datum.
std::string BuiltTail(void* srs, const Method& method) {
    const std::string unit = UnitName(srs);
    if (unit.empty()) {
        return {};
    }
    // The conic by one parallel and a scale is the conic by the two parallels of that scale.
    const bool oneParallel = std::strcmp(method.gdalName, SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP) == 0;
    OGRSpatialReferenceH converted =
        oneParallel ? OSRConvertToOtherProjection(srs, SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP, nullptr)
                    : nullptr;
    if (oneParallel && converted == nullptr) {
        return {};
    }
    std::string tail = "\"" + unit + "\"";
    for (const Term term : method.terms) {
        tail += ", " + Number(Value(converted != nullptr ? converted : srs, term));
    }
    OSRDestroySpatialReference(converted);
    return tail;
}

// The clause's comma-separated terms as written.
std::vector<std::string> Terms(const std::string& text) {
    std::vector<std::string> terms;
    std::istringstream stream(text);
    for (std::string term; std::getline(stream, term, ',');) {
        const auto first = term.find_first_not_of(' ');
        terms.push_back(first == std::string::npos ? "" : term.substr(first));
    }
    return terms;
}

std::string Joined(const std::vector<std::string>& terms, std::size_t from, std::size_t to) {
    std::string joined;
    for (std::size_t i = from; i < to && i < terms.size(); ++i) {
        joined += (joined.empty() ? "" : ", ") + terms[i];
    }
    return joined;
}

// A clause GDAL writes, in its three parts.
struct ClauseParts {
    std::string type;   // "8"
    std::string datum;  // "104", or "9999, 10, 1, 2, 3, 0, 0, 0, 0, 0"
    std::string tail;   // "\"m\", 15, 0, 0.9999, 500000, 0" ("" for a geographic system)
};

std::optional<ClauseParts> Split(const std::string& clause) {
    const std::string head = "CoordSys Earth Projection ";
    if (clause.rfind(head, 0) != 0) {
        return std::nullopt;
    }
    const auto terms = Terms(clause.substr(head.size()));
    if (terms.size() < 2) {
        return std::nullopt;
    }
    // 999 states the datum by ellipsoid and three translations; 9999 by all seven values and
    // the prime meridian.
    const std::size_t datumTerms = terms[1] == "9999" ? 10 : terms[1] == "999" ? 5 : 1;
    return ClauseParts{terms[0], Joined(terms, 1, 1 + datumTerms),
                       Joined(terms, 1 + datumTerms, terms.size())};
}

// MapInfo's number for the system's ellipsoid, found by asking GDAL how it reads each one.
std::optional<int> EllipsoidNumber(void* srs) {
    const double major = OSRGetSemiMajor(srs, nullptr);
    const double minor = OSRGetSemiMinor(srs, nullptr);
    constexpr int kLastEllipsoid = 60;
    for (int number = 0; number <= kLastEllipsoid; ++number) {
        const std::string clause =
            "Earth Projection 1, 9999, " + std::to_string(number) + ", 0, 0, 0, 0, 0, 0, 0, 0";
        OGRSpatialReferenceH probe = OSRNewSpatialReference(nullptr);
        const bool read = OSRImportFromMICoordSys(probe, clause.c_str()) == OGRERR_NONE;
        const bool same = read && std::fabs(OSRGetSemiMajor(probe, nullptr) - major) < 1e-6 &&
                          std::fabs(OSRGetSemiMinor(probe, nullptr) - minor) < 1e-6;
        OSRDestroySpatialReference(probe);
        if (same) {
            return number;
        }
    }
    return std::nullopt;
}

// The datum as MapInfo's 9999: ellipsoid, shift and prime meridian. MapInfo turns the rotations
// the other way than PROJ (as GDAL writes them). GDAL 3.6 reads the scale with its sign turned,
// and reads numbers equal to a datum of its own list as that datum without the shift: each is
// offered with either sign of the scale, and with the scale a ten-millionth of a ppm (under a
// micrometre on the earth) apart.
std::vector<std::string> DatumsByShift(void* srs, const Shift& shift, int digits) {
    const auto ellipsoid = EllipsoidNumber(srs);
    if (!ellipsoid) {
        return {};
    }
    std::string fixed = "9999, " + std::to_string(*ellipsoid);
    for (int i = 0; i < 6; ++i) {
        fixed += ", " + Number(i < 3 ? shift[i] : -shift[i], digits);
    }
    const std::string meridian = Number(OSRGetPrimeMeridian(srs, nullptr));
    std::vector<std::string> datums;
    for (const double nudge : {0.0, 1e-7}) {
        for (const double scale : {-shift[6], shift[6]}) {
            datums.push_back(fixed + ", " + Number(scale + nudge, digits) + ", " + meridian);
        }
    }
    return datums;
}

bool Unshifted(const Shift& shift) {
    for (const double value : shift) {
        if (value != 0.0) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> DatumCandidates(void* srs, const std::optional<ClauseParts>& exported,
                                         const std::optional<Shift>& shift) {
    std::vector<std::string> datums;
    if (exported) {
        datums.push_back(exported->datum);
    }
    if (shift && Unshifted(*shift) && OSRGetPrimeMeridian(srs, nullptr) == 0.0) {
        // A datum PROJ takes as WGS 84: MapInfo's WGS 84 (104) or EUREF 89 (115, on GRS 80);
        // 9999 without a shift would read back as NAD 83.
        datums.insert(datums.end(), {"115", "104"});
    }
    // Twelve digits still hold a shift to far under a micrometre, in a line GDAL can read.
    for (const int digits : {15, 12}) {
        const auto byShift =
            shift ? DatumsByShift(srs, *shift, digits) : std::vector<std::string>{};
        datums.insert(datums.end(), byShift.begin(), byShift.end());
    }
    return datums;
}

}  // namespace

bool FitsATableLine(const std::string& clause) {
    constexpr std::size_t kLongestLine = 199;
    return 2 + clause.size() <= kLongestLine;
}

std::string MethodName(void* srs) {
    const char* name = OSRIsProjected(srs) ? OSRGetAttrValue(srs, "PROJECTION", 0) : nullptr;
    return name != nullptr ? name : "";
}

// A Lambert conic with one parallel is held by its two parallels, which one whose scale is above
// 1 has none of.
bool HasTwoParallels(void* srs) {
    const Method* method = MethodOf(srs);
    if (method == nullptr ||
        std::strcmp(method->gdalName, SRS_PT_LAMBERT_CONFORMAL_CONIC_1SP) != 0) {
        return true;
    }
    OGRSpatialReferenceH converted =
        OSRConvertToOtherProjection(srs, SRS_PT_LAMBERT_CONFORMAL_CONIC_2SP, nullptr);
    OSRDestroySpatialReference(converted);
    return converted != nullptr;
}

bool MapInfoHasMethod(void* srs) {
    return !OSRIsProjected(srs) || (MethodOf(srs) != nullptr && HasTwoParallels(srs));
}

std::vector<std::string> ClauseCandidates(void* srs, const std::string& exported,
                                          const std::optional<Shift>& shift) {
    const auto parts = Split(exported);
    const bool projected = OSRIsProjected(srs);
    const Method* method = projected ? MethodOf(srs) : nullptr;
    std::vector<std::pair<std::string, std::string>> projections;  // type, tail
    if (parts && !(projected && parts->tail.empty())) {
        projections.emplace_back(parts->type, parts->tail);
    }
    if (const std::string tail = method ? BuiltTail(srs, *method) : ""; !tail.empty()) {
        projections.emplace_back(std::to_string(method->mapInfoType), tail);
    } else if (!projected) {
        projections.emplace_back("1", "");
    }
    std::vector<std::string> clauses;
    for (const std::string& datum : DatumCandidates(srs, parts, shift)) {
        for (const auto& [type, tail] : projections) {
            std::string clause = "CoordSys Earth Projection " + type + ", " + datum;
            clause += tail.empty() ? "" : ", " + tail;
            if (clause != exported) {
                clauses.push_back(clause);
            }
        }
    }
    return clauses;
}

}  // namespace marlo::bridge
