// The only code that talks to GDAL. It is a library of its own so that a run which never needs
// it never loads GDAL and the hundred libraries behind it.
#include "crs/gdal/crs_bridge.h"

#include "crs/gdal/key_tiff.h"
#include "crs/gdal/mapinfo_clause.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <ogr_srs_api.h>
#include <proj.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using marlo::bridge::GeoKeys;
using marlo::bridge::OnePixelTiff;
using marlo::bridge::ReadGeoKeys;

// GDAL's messages would reach the user's terminal and its auxiliary files the user's folders;
// neither belongs to a conversion.
void PrepareGdal() {
    static const bool prepared = [] {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        CPLSetConfigOption("GTIFF_REPORT_COMPD_CS", "NO");
        // A datum without an EPSG code of its own is held by its shift to WGS 84.
        CPLSetConfigOption("GTIFF_WRITE_TOWGS84", "YES");
        GDALRegister_GTiff();
        return true;
    }();
    (void)prepared;
}

struct SrsDeleter {
    void operator()(void* srs) const { OSRDestroySpatialReference(srs); }
};
using Srs = std::unique_ptr<void, SrsDeleter>;

Srs NewSrs() {
    PrepareGdal();
    Srs srs(OSRNewSpatialReference(nullptr));
    // Easting before northing, longitude before latitude, as world files and tables have them.
    OSRSetAxisMappingStrategy(srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

Srs FromWkt(const char* wkt) {
    if (wkt == nullptr || *wkt == '\0') {
        return nullptr;
    }
    Srs srs = NewSrs();
    char* text = const_cast<char*>(wkt);
    return OSRImportFromWkt(srs.get(), &text) == OGRERR_NONE ? std::move(srs) : nullptr;
}

char* Copy(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// Takes over a text GDAL allocated.
std::string Taken(char* text) {
    std::string taken = text != nullptr ? text : "";
    CPLFree(text);
    return taken;
}

char* ToWkt(const Srs& srs) {
    if (!srs) {
        return nullptr;
    }
    char* wkt = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
    if (OSRExportToWktEx(srs.get(), &wkt, options) != OGRERR_NONE) {
        CPLFree(wkt);
        return nullptr;
    }
    return Copy(Taken(wkt));
}

// The PROJ definition without datum shift parameters, which only tie a datum to WGS 84.
std::string PlacingDefinition(void* srs) {
    char* proj = nullptr;
    if (OSRExportToProj4(srs, &proj) != OGRERR_NONE) {
        CPLFree(proj);
        return {};
    }
    std::istringstream terms(Taken(proj));
    std::string kept;
    for (std::string term; terms >> term;) {
        if (term.rfind("+towgs84=", 0) != 0) {
            kept += term + ' ';
        }
    }
    return kept;
}

bool Same(void* a, void* b) {
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    if (OSRIsSameEx(a, b, options)) {
        return true;
    }
    const std::string definition = PlacingDefinition(a);
    return !definition.empty() && definition == PlacingDefinition(b);
}

// The system's code when EPSG's own authority gives it; 0 otherwise.
int32_t EpsgCode(void* srs) {
    const char* authority = OSRGetAuthorityName(srs, nullptr);
    const char* value = OSRGetAuthorityCode(srs, nullptr);
    return authority != nullptr && std::strcmp(authority, "EPSG") == 0 && value != nullptr
               ? std::atoi(value)
               : 0;
}

// A clause's comma-separated terms without blanks.
std::vector<std::string> ClauseTerms(const std::string& clause) {
    std::vector<std::string> terms;
    std::istringstream stream(clause);
    for (std::string term; std::getline(stream, term, ',');) {
        std::erase_if(term, [](char c) { return c == ' ' || c == '\t'; });
        terms.push_back(term);
    }
    return terms;
}

bool SameTermValue(const std::string& a, const std::string& b);

// Whether GDAL writes the system back as the clause it was read from.
bool WritesBackAs(void* srs, const std::string& clause) {
    char* exported = nullptr;
    if (OSRExportToMICoordSys(srs, &exported) != OGRERR_NONE) {
        CPLFree(exported);
        return false;
    }
    const auto written = ClauseTerms("CoordSys " + Taken(exported));
    const auto read = ClauseTerms(clause);
    return written.size() == read.size() &&
           std::equal(written.begin(), written.end(), read.begin(), SameTermValue);
}

// MapInfo states false easting and northing in the clause's units; GDAL 3.6 reads them as
// metres. Where GDAL writes the system back as another clause and the units are not metres,
// the offsets are taken in the clause's units.
void ReadOffsetsInClauseUnits(void* srs, const std::string& clause) {
    const double toMetres = OSRIsProjected(srs) ? OSRGetLinearUnits(srs, nullptr) : 1.0;
    if (std::fabs(toMetres - 1.0) < 1e-12 || WritesBackAs(srs, clause)) {
        return;
    }
    Srs fixed(OSRClone(srs));
    for (const char* offset : {SRS_PP_FALSE_EASTING, SRS_PP_FALSE_NORTHING}) {
        OGRErr error = OGRERR_NONE;
        const double value = OSRGetProjParm(fixed.get(), offset, 0.0, &error);
        if (error == OGRERR_NONE) {
            OSRSetProjParm(fixed.get(), offset, value * toMetres);
        }
    }
    if (WritesBackAs(fixed.get(), clause)) {
        for (const char* offset : {SRS_PP_FALSE_EASTING, SRS_PP_FALSE_NORTHING}) {
            OSRSetProjParm(srs, offset, OSRGetProjParm(fixed.get(), offset, 0.0, nullptr));
        }
    }
}

Srs FromMapInfo(const std::string& clause) {
    Srs srs = NewSrs();
    if (OSRImportFromMICoordSys(srs.get(), clause.c_str()) != OGRERR_NONE ||
        OSRIsLocal(srs.get())) {
        return nullptr;
    }
    ReadOffsetsInClauseUnits(srs.get(), clause);
    return srs;
}

// The terms of a PROJ definition that say the datum and ellipsoid rather than the grid.
constexpr std::array<const char*, 9> kDatumTerms = {"+datum", "+ellps", "+towgs84", "+a",      "+b",
                                                    "+rf",    "+f",     "+R",       "+no_defs"};

// A PROJ definition's terms by name, the datum and ellipsoid set aside.
std::map<std::string, std::string> GridTerms(void* srs) {
    char* proj = nullptr;
    std::map<std::string, std::string> terms;
    if (OSRExportToProj4(srs, &proj) != OGRERR_NONE) {
        CPLFree(proj);
        return terms;
    }
    std::istringstream stream(Taken(proj));
    for (std::string term; stream >> term;) {
        const auto equals = term.find('=');
        const std::string name = term.substr(0, equals);
        if (std::find(kDatumTerms.begin(), kDatumTerms.end(), name) == kDatumTerms.end()) {
            terms[name] = equals == std::string::npos ? "" : term.substr(equals + 1);
        }
    }
    return terms;
}

// Whether two values of a PROJ term agree: numbers to a few nanometres or nanodegrees.
bool SameTermValue(const std::string& a, const std::string& b) {
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    if (a.empty() || b.empty() || *endA != '\0' || *endB != '\0') {
        return a == b;
    }
    return std::fabs(x - y) <= 1e-7 * std::max(1.0, std::fabs(x));
}

// A geographic system's coordinates are in its angular unit, which its PROJ definition leaves
// unsaid (degrees or grads).
bool SameAngularUnit(void* a, void* b) {
    if (!OSRIsGeographic(a) && !OSRIsGeographic(b)) {
        return true;
    }
    return std::fabs(OSRGetAngularUnits(a, nullptr) - OSRGetAngularUnits(b, nullptr)) < 1e-12;
}

bool SameGrid(void* a, void* b) {
    const auto termsA = GridTerms(a);
    const auto termsB = GridTerms(b);
    if (termsA.empty() || termsA.size() != termsB.size() || !SameAngularUnit(a, b)) {
        return false;
    }
    return std::equal(termsA.begin(), termsA.end(), termsB.begin(),
                      [](const auto& x, const auto& y) {
                          return x.first == y.first && SameTermValue(x.second, y.second);
                      });
}

bool SameEllipsoid(void* a, void* b) {
    OGRErr error = OGRERR_NONE;
    const double majorA = OSRGetSemiMajor(a, &error);
    const double majorB = OSRGetSemiMajor(b, &error);
    const double minorA = OSRGetSemiMinor(a, &error);
    const double minorB = OSRGetSemiMinor(b, &error);
    return error == OGRERR_NONE && std::fabs(majorA - majorB) < 1e-6 &&
           std::fabs(minorA - minorB) < 1e-6;
}

// The shift to WGS 84 a system states or PROJ gives as its best Helmert transformation.
std::optional<marlo::bridge::Shift> ShiftToWgs84(void* srs);

// How far two shifts to WGS 84 move a point on the earth apart, at most, in metres.
double ShiftDifference(const std::array<double, 7>& a, const std::array<double, 7>& b) {
    constexpr double kEarthRadius = 6.4e6;
    constexpr double kArcSecond = 4.84813681109536e-6;
    double metres = std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
    metres += std::hypot(a[3] - b[3], a[4] - b[4], a[5] - b[5]) * kArcSecond * kEarthRadius;
    return metres + std::fabs(a[6] - b[6]) * 1e-6 * kEarthRadius;
}

struct TransformationDeleter {
    void operator()(OGRCoordinateTransformationH transformation) const {
        OCTDestroyCoordinateTransformation(transformation);
    }
};
using Transformation = std::unique_ptr<void, TransformationDeleter>;

Transformation Between(void* from, void* to) {
    return Transformation(OCTNewCoordinateTransformation(from, to));
}

// Where a system is used, in degrees of longitude and latitude, east below west across the
// antimeridian.
struct Area {
    double west = 0, south = 0, east = 0, north = 0;
};

// The system's area of use; one read from GeoKeys or a clause carries none, so it is taken
// from the EPSG entry the system names.
std::optional<Area> AreaOfUse(void* srs) {
    Area area;
    if (OSRGetAreaOfUse(srs, &area.west, &area.south, &area.east, &area.north, nullptr)) {
        return area;
    }
    const int32_t code = EpsgCode(srs);
    Srs entry = code != 0 ? NewSrs() : nullptr;
    if (entry && OSRImportFromEPSG(entry.get(), code) == OGRERR_NONE &&
        OSRGetAreaOfUse(entry.get(), &area.west, &area.south, &area.east, &area.north, nullptr)) {
        return area;
    }
    return std::nullopt;
}

// The middle of an area as longitude and latitude, kept off the antimeridian and the poles.
std::pair<double, double> Centre(const Area& area) {
    double lon =
        area.east < area.west ? (area.west + area.east + 360) / 2 : (area.west + area.east) / 2;
    lon = lon > 180 ? lon - 360 : lon;
    return {std::clamp(lon, -179.9, 179.9), std::clamp((area.south + area.north) / 2, -89.9, 89.9)};
}

// Whether GDAL puts the centre of the systems' area of use at the same place on WGS 84 (within
// a metre) through either system, each by the transformation GDAL chooses for it there;
// nothing for systems without an area of use.
std::optional<bool> PlacedAlikeOnWgs84(void* srs, void* back) {
    auto area = AreaOfUse(srs);
    area = area ? area : AreaOfUse(back);
    if (!area) {
        return std::nullopt;
    }
    const auto [lon, lat] = Centre(*area);
    Srs wgs84 = NewSrs();
    if (OSRImportFromEPSG(wgs84.get(), 4326) != OGRERR_NONE) {
        return false;
    }
    const Transformation into = Between(wgs84.get(), srs);
    const Transformation outOf = Between(back, wgs84.get());
    double x = lon;
    double y = lat;
    if (!into || !outOf || !OCTTransform(into.get(), 1, &x, &y, nullptr) ||
        !OCTTransform(outOf.get(), 1, &x, &y, nullptr)) {
        return false;
    }
    constexpr double kMetresPerDegree = 111320;
    const double metres =
        std::hypot((x - lon) * std::cos(lat * M_PI / 180), y - lat) * kMetresPerDegree;
    return metres < 1.0;
}

// Whether a clause read back places an image as the system does: the same grid on the same
// ellipsoid, and the same place on WGS 84 within a metre as GDAL transforms each in the
// system's area (for a system without an area: shifts to WGS 84 within a metre).
bool SameForTable(void* srs, void* back) {
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    if (OSRIsSameEx(srs, back, options)) {
        return true;
    }
    if (!SameGrid(srs, back) || !SameEllipsoid(srs, back)) {
        return false;
    }
    if (const auto placed = PlacedAlikeOnWgs84(srs, back)) {
        return *placed;
    }
    const auto shift = ShiftToWgs84(srs);
    const auto backShift = ShiftToWgs84(back);
    return shift && backShift && ShiftDifference(*shift, *backShift) < 1.0;
}

// GDAL's clause for the system, when GDAL reads it back as the same system.
std::string ExportedClause(void* srs);
std::string CheckedClause(void* srs) {
    const std::string clause = ExportedClause(srs);
    const Srs back = clause.empty() ? nullptr : FromMapInfo(clause);
    return back && marlo::bridge::FitsATableLine(clause) && SameForTable(srs, back.get())
               ? clause
               : std::string();
}

struct ProjContextDeleter {
    void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct ProjDeleter {
    void operator()(PJ* object) const { proj_destroy(object); }
};
struct ProjListDeleter {
    void operator()(PJ_OBJ_LIST* list) const { proj_list_destroy(list); }
};
struct ProjOperationContextDeleter {
    PJ_CONTEXT* context;
    void operator()(PJ_OPERATION_FACTORY_CONTEXT* factory) const {
        proj_operation_factory_context_destroy(factory);
    }
};

// Whether a step only moves the prime meridian (Ferro's or Paris's to Greenwich), which a clause
// states apart from the shift.
bool RotatesLongitude(PJ_CONTEXT* context, PJ* step) {
    constexpr const char* kLongitudeRotation = "9601";
    const char* authority = nullptr;
    const char* code = nullptr;
    return proj_coordoperation_get_method_info(context, step, nullptr, &authority, &code) != 0 &&
           authority != nullptr && code != nullptr && std::strcmp(authority, "EPSG") == 0 &&
           std::strcmp(code, kLongitudeRotation) == 0;
}

// The shift of a transformation that is one Helmert transformation, or a chain of them (by way of
// ETRS89, say, or another datum's Helmert) and of prime meridian moves: a chain's parameters,
// all small, are summed. Nothing for a transformation with any other step (a grid, an offset in
// degrees).
std::optional<marlo::bridge::Shift> OperationShift(PJ_CONTEXT* context, PJ* operation) {
    marlo::bridge::Shift shift{};
    if (proj_coordoperation_get_towgs84_values(context, operation, shift.data(), 7, 0) != 0) {
        return shift;
    }
    if (proj_get_type(operation) != PJ_TYPE_CONCATENATED_OPERATION) {
        return std::nullopt;
    }
    shift = {};
    for (int i = 0; i < proj_concatoperation_get_step_count(context, operation); ++i) {
        const std::unique_ptr<PJ, ProjDeleter> step(
            proj_concatoperation_get_step(context, operation, i));
        marlo::bridge::Shift part{};
        if (step && RotatesLongitude(context, step.get())) {
            continue;
        }
        if (!step ||
            proj_coordoperation_get_towgs84_values(context, step.get(), part.data(), 7, 0) == 0) {
            return std::nullopt;
        }
        std::transform(shift.begin(), shift.end(), part.begin(), shift.begin(), std::plus<>());
    }
    return shift;
}

// The shift of PROJ's best transformation from the system's datum to WGS 84 that is a
// Helmert transformation (in PROJ's order of preference: accuracy, then area).
std::optional<marlo::bridge::Shift> BestHelmertShift(const std::string& wkt,
                                                     const std::optional<Area>& area) {
    const std::unique_ptr<PJ_CONTEXT, ProjContextDeleter> context(proj_context_create());
    const std::unique_ptr<PJ, ProjDeleter> crs(proj_create(context.get(), wkt.c_str()));
    if (!crs) {
        return std::nullopt;
    }
    const std::unique_ptr<PJ, ProjDeleter> geodetic(
        proj_crs_get_geodetic_crs(context.get(), crs.get()));
    const std::unique_ptr<PJ, ProjDeleter> wgs84(proj_create(context.get(), "EPSG:4326"));
    const std::unique_ptr<PJ_OPERATION_FACTORY_CONTEXT, ProjOperationContextDeleter> factory(
        proj_create_operation_factory_context(context.get(), nullptr), {context.get()});
    if (!geodetic || !wgs84 || !factory) {
        return std::nullopt;
    }
    // As GDAL chooses at the middle of the system's area: the operations whose grids are at
    // hand and whose own area reaches there. A small box that never touches the antimeridian:
    // PROJ 9.1 recurses without end on a point there.
    if (area) {
        const auto [lon, lat] = Centre(*area);
        proj_operation_factory_context_set_area_of_interest(
            context.get(), factory.get(), lon - 0.05, lat - 0.05, lon + 0.05, lat + 0.05);
    }
    proj_operation_factory_context_set_spatial_criterion(
        context.get(), factory.get(), PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    proj_operation_factory_context_set_grid_availability_use(
        context.get(), factory.get(), PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
    const std::unique_ptr<PJ_OBJ_LIST, ProjListDeleter> operations(
        proj_create_operations(context.get(), geodetic.get(), wgs84.get(), factory.get()));
    const int count = operations ? proj_list_get_count(operations.get()) : 0;
    for (int i = 0; i < count; ++i) {
        const std::unique_ptr<PJ, ProjDeleter> operation(
            proj_list_get(context.get(), operations.get(), i));
        if (auto shift =
                operation ? OperationShift(context.get(), operation.get()) : std::nullopt) {
            return shift;
        }
    }
    return std::nullopt;
}

// The shift GDAL states in the system's PROJ definition: for a datum on another prime
// meridian (NTF Paris, say), whose way to WGS 84 PROJ gives as a chain, not one Helmert.
std::optional<marlo::bridge::Shift> ShiftInProjDefinition(void* srs) {
    char* proj = nullptr;
    if (OSRExportToProj4(srs, &proj) != OGRERR_NONE) {
        CPLFree(proj);
        return std::nullopt;
    }
    std::istringstream terms(Taken(proj));
    for (std::string term; terms >> term;) {
        if (term.rfind("+towgs84=", 0) != 0) {
            continue;
        }
        marlo::bridge::Shift shift{};
        std::istringstream values(term.substr(9));
        std::size_t count = 0;
        for (std::string value; count < shift.size() && std::getline(values, value, ',');) {
            shift[count++] = std::strtod(value.c_str(), nullptr);
        }
        return count == 3 || count == 7 ? std::optional(shift) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<marlo::bridge::Shift> ShiftToWgs84(void* srs) {
    std::array<double, 7> shift{};
    if (OSRGetTOWGS84(srs, shift.data(), 7) == OGRERR_NONE) {
        return shift;
    }
    char* wkt = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
    if (OSRExportToWktEx(srs, &wkt, options) != OGRERR_NONE) {
        CPLFree(wkt);
        return std::nullopt;
    }
    if (auto best = BestHelmertShift(Taken(wkt), AreaOfUse(srs))) {
        return best;
    }
    return ShiftInProjDefinition(srs);
}

// The clause GDAL writes for the system; "" when it writes none.
std::string ExportedClause(void* srs) {
    char* exported = nullptr;
    if (OSRExportToMICoordSys(srs, &exported) != OGRERR_NONE) {
        CPLFree(exported);
        return {};
    }
    return "CoordSys " + Taken(exported);
}

// Whether the system's geographic system is WGS 84.
bool OnWgs84(void* srs) {
    Srs wgs84 = NewSrs();
    return OSRImportFromEPSG(wgs84.get(), 4326) == OGRERR_NONE &&
           OSRIsSameGeogCS(srs, wgs84.get()) != 0;
}

// A clause built from the system's own parameters that GDAL reads back as the system: for a
// datum MapInfo has no number for (held by its ellipsoid and shift to WGS 84), a number GDAL
// reads without its shift, or a method GDAL's exporter does not write.
std::string BuiltClause(void* srs) {
    auto shift = ShiftToWgs84(srs);
    if (!shift && OnWgs84(srs)) {
        // PROJ gives no shift from WGS 84 to itself.
        shift.emplace();
    }
    for (const std::string& clause :
         marlo::bridge::ClauseCandidates(srs, ExportedClause(srs), shift)) {
        if (!marlo::bridge::FitsATableLine(clause)) {
            continue;
        }
        const Srs back = FromMapInfo(clause);
        if (back && SameForTable(srs, back.get())) {
            return clause;
        }
    }
    return {};
}

// A name in GDAL's in-memory file system, never on disk: the bridge needs no folder of its own.
std::string MemoryFileName(const void* owner, const char* suffix) {
    return "/vsimem/marlo-" + std::to_string(reinterpret_cast<std::uintptr_t>(owner)) + suffix;
}

// The system GDAL's GeoTIFF driver reads from the TIFF's bytes: "" for keys that state none;
// false when GDAL cannot open them.
bool SystemGdalReads(std::vector<unsigned char> tiff, std::string& wkt) {
    const std::string name = MemoryFileName(tiff.data(), ".tif");
    VSILFILE* file = VSIFileFromMemBuffer(name.c_str(), tiff.data(), tiff.size(), FALSE);
    if (file == nullptr) {
        return false;
    }
    VSIFCloseL(file);
    const char* const drivers[] = {"GTiff", nullptr};
    GDALDatasetH dataset =
        GDALOpenEx(name.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, drivers, nullptr, nullptr);
    bool read = false;
    if (dataset != nullptr) {
        OGRSpatialReferenceH system = GDALGetSpatialRef(dataset);
        // Keys that state a raster type only read as an unnamed engineering system: none.
        const Srs srs(system != nullptr && !OSRIsLocal(system) ? OSRClone(system) : nullptr);
        GDALClose(dataset);
        char* text = srs ? ToWkt(srs) : Copy("");
        read = text != nullptr;
        wkt = read ? text : "";
        std::free(text);
    }
    VSIUnlink(name.c_str());
    return read;
}

// The bytes of a one-pixel GeoTIFF in which GDAL states the system, declaring PixelIsPoint.
std::optional<std::vector<unsigned char>> TiffGdalWrites(void* srs) {
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) {
        return std::nullopt;
    }
    const std::string name = MemoryFileName(srs, ".tif");
    CPLErrorReset();
    GDALDatasetH dataset = GDALCreate(driver, name.c_str(), 1, 1, 1, GDT_Byte, nullptr);
    if (dataset == nullptr) {
        return std::nullopt;
    }
    double transform[6] = {0, 1, 0, 0, 0, -1};
    GDALSetMetadataItem(dataset, "AREA_OR_POINT", "Point", nullptr);
    bool written = GDALSetGeoTransform(dataset, transform) == CE_None &&
                   GDALSetSpatialRef(dataset, srs) == CE_None;
    GDALClose(dataset);
    written = written && CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
    vsi_l_offset length = 0;
    GByte* bytes = VSIGetMemFileBuffer(name.c_str(), &length, TRUE);
    std::optional<std::vector<unsigned char>> tiff;
    if (written && bytes != nullptr) {
        tiff.emplace(bytes, bytes + length);
    }
    CPLFree(bytes);
    return tiff;
}

// Whether the system is the EPSG entry of the code, compared with the entry as EPSG defines it:
// a match GDAL found may carry the system's own shift, and PROJ 9.1 crashes writing the PROJ
// definition of some of those (Vientiane 1982 with its shift as datum 9999).
bool IsEpsgEntry(void* srs, int32_t code) {
    Srs entry = code != 0 ? NewSrs() : nullptr;
    return entry && OSRImportFromEPSG(entry.get(), code) == OGRERR_NONE && Same(srs, entry.get());
}

}  // namespace

extern "C" {

char* marloCrsFromMapInfo(const char* clause) {
    return clause != nullptr ? ToWkt(FromMapInfo(clause)) : nullptr;
}

char* marloCrsToMapInfo(const char* wkt) {
    const Srs srs = FromWkt(wkt);
    if (!srs) {
        return nullptr;
    }
    std::string clause = CheckedClause(srs.get());
    if (clause.empty()) {
        clause = BuiltClause(srs.get());
    }
    return clause.empty() ? nullptr : Copy(clause);
}

char* marloCrsMethod(const char* wkt, int32_t* mapInfoHasIt) {
    const Srs srs = FromWkt(wkt);
    if (!srs || mapInfoHasIt == nullptr) {
        return nullptr;
    }
    *mapInfoHasIt = marlo::bridge::MapInfoHasMethod(srs.get()) ? 1 : 0;
    return Copy(marlo::bridge::MethodName(srs.get()));
}

int32_t marloCrsDatumShiftKnown(const char* wkt) {
    const Srs srs = FromWkt(wkt);
    if (!srs || OnWgs84(srs.get())) {
        return srs ? 1 : 0;
    }
    const auto shift = ShiftToWgs84(srs.get());
    if (!shift) {
        return 0;
    }
    // The shift must place the system where PROJ's best transformation there (a grid, it may
    // be) places it. The system with the shift is built from its PROJ definition: one that
    // keeps the EPSG code is transformed as the code is, the shift aside.
    std::string definition = PlacingDefinition(srs.get()) + "+towgs84=";
    for (std::size_t i = 0; i < shift->size(); ++i) {
        definition.append(i > 0 ? "," : "").append(std::to_string((*shift)[i]));
    }
    const Srs shifted = NewSrs();
    if (OSRImportFromProj4(shifted.get(), definition.c_str()) != OGRERR_NONE) {
        return 0;
    }
    if (OSRIsGeographic(srs.get())) {
        // Grads stay grads: a PROJ definition says nothing of a geographic system's unit.
        char* unit = nullptr;
        const double radians = OSRGetAngularUnits(srs.get(), &unit);
        OSRSetAngularUnits(shifted.get(), unit, radians);
    }
    return PlacedAlikeOnWgs84(srs.get(), shifted.get()).value_or(true) ? 1 : 0;
}

char* marloCrsFromDefinition(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    Srs srs = NewSrs();
    const std::string definition = text;
    if (definition.rfind("EPSG:", 0) == 0) {
        const std::string digits = definition.substr(5);
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string::npos ||
            OSRImportFromEPSG(srs.get(), std::atoi(digits.c_str())) != OGRERR_NONE) {
            return nullptr;
        }
        return ToWkt(srs);
    }
    // A .prj file: ESRI's WKT (or OGC's), on one line or spread over many, or the old
    // keyword form; never a file name or address GDAL would go and read.
    std::vector<std::string> lines;
    std::istringstream stream(definition);
    for (std::string line; std::getline(stream, line);) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            lines.push_back(line);
        }
    }
    if (!lines.empty() && lines.front().find('[') != std::string::npos) {
        std::string joined;
        for (const std::string& line : lines) {
            joined += line;
        }
        lines = {joined};
    }
    std::vector<char*> pointers;
    for (std::string& line : lines) {
        pointers.push_back(line.data());
    }
    pointers.push_back(nullptr);
    if (lines.empty()) {
        return nullptr;
    }
    if (OSRImportFromESRI(srs.get(), pointers.data()) != OGRERR_NONE) {
        // WKT2, as GDAL's auxiliary files may hold it.
        srs = FromWkt(lines.front().c_str());
    }
    return srs && !OSRIsLocal(srs.get()) ? ToWkt(srs) : nullptr;
}

int32_t marloCrsEpsgCode(const char* wkt, int32_t* geographic) {
    const Srs srs = FromWkt(wkt);
    if (!srs || geographic == nullptr) {
        return 0;
    }
    int count = 0;
    int* confidences = nullptr;
    OGRSpatialReferenceH* matches = OSRFindMatches(srs.get(), nullptr, &count, &confidences);
    int best = -1;
    int atBest = 0;
    for (int i = 0; i < count; ++i) {
        if (confidences[i] > (best < 0 ? -1 : confidences[best])) {
            best = i;
            atBest = 1;
        } else if (confidences[i] == confidences[best]) {
            ++atBest;
        }
    }
    if (best < 0 || atBest != 1 || confidences[best] < 90 || EpsgCode(matches[best]) == 0) {
        // A system GDAL is unsure of by name or axis order (an ESRI .prj, say): the one EPSG
        // entry that is the same system, compared as systems.
        best = -1;
        for (int i = 0; i < count; ++i) {
            if (confidences[i] >= 50 && IsEpsgEntry(srs.get(), EpsgCode(matches[i]))) {
                best = best < 0 ? i : count;
            }
        }
    }
    int32_t code = 0;
    if (best >= 0 && best < count) {
        code = EpsgCode(matches[best]);
        *geographic = OSRIsGeographic(matches[best]) ? 1 : 0;
    }
    OSRFreeSRSArray(matches);
    CPLFree(confidences);
    return code;
}

int32_t marloCrsSame(const char* wkt, const char* otherWkt) {
    const Srs a = FromWkt(wkt);
    const Srs b = FromWkt(otherWkt);
    return a && b && Same(a.get(), b.get()) ? 1 : 0;
}

}  // extern "C"

// A transformation takes PROJ a while to set up: one for each system, kept until the caller
// destroys the context (before it unloads the bridge, while PROJ and GDAL are still there).
struct MarloCrsContext {
    std::map<std::string, OGRCoordinateTransformationH> transformations;
};

extern "C" {

MarloCrsContext* marloCrsContextCreate(void) {
    return new (std::nothrow) MarloCrsContext;
}

void marloCrsContextDestroy(MarloCrsContext* context) {
    if (context == nullptr) {
        return;
    }
    for (const auto& [system, transformation] : context->transformations) {
        if (transformation != nullptr) {
            OCTDestroyCoordinateTransformation(transformation);
        }
    }
    delete context;
}

int32_t marloCrsToWgs84(MarloCrsContext* context, const char* wkt, double* x, double* y,
                        int32_t count) {
    if (context == nullptr || x == nullptr || y == nullptr || count < 0) {
        return 0;
    }
    auto& transformations = context->transformations;
    const std::string key = wkt != nullptr ? wkt : "";
    auto found = transformations.find(key);
    if (found == transformations.end()) {
        const Srs from = FromWkt(wkt);
        Srs to = NewSrs();
        OGRCoordinateTransformationH made = nullptr;
        if (from && OSRSetWellKnownGeogCS(to.get(), "WGS84") == OGRERR_NONE) {
            made = OCTNewCoordinateTransformation(from.get(), to.get());
        }
        found = transformations.emplace(key, made).first;
    }
    if (found->second == nullptr) {
        return 0;
    }
    std::vector<double> movedX(x, x + count);
    std::vector<double> movedY(y, y + count);
    if (!OCTTransform(found->second, count, movedX.data(), movedY.data(), nullptr)) {
        return 0;
    }
    std::copy(movedX.begin(), movedX.end(), x);
    std::copy(movedY.begin(), movedY.end(), y);
    return 1;
}

char* marloCrsName(const char* wkt) {
    const Srs srs = FromWkt(wkt);
    if (!srs) {
        return nullptr;
    }
    const char* name = OSRGetName(srs.get());
    const std::string given = name != nullptr ? name : "";
    if (!given.empty() && given != "unknown" && given != "unnamed") {
        return Copy(given);
    }
    // A system without a name of its own is told by what it is.
    char* proj = nullptr;
    const bool defined = OSRExportToProj4(srs.get(), &proj) == OGRERR_NONE;
    std::string definition = defined ? Taken(proj) : (CPLFree(proj), std::string());
    while (!definition.empty() && definition.back() == ' ') {
        definition.pop_back();
    }
    return Copy(definition.empty() ? given : definition);
}

char* marloCrsAuxWkt(const char* wkt, char* mapping) {
    const Srs srs = FromWkt(wkt);
    if (!srs || mapping == nullptr) {
        return nullptr;
    }
    char* text = nullptr;
    if (OSRExportToWkt(srs.get(), &text) != OGRERR_NONE) {
        CPLFree(text);
        text = nullptr;
        const char* const options[] = {"FORMAT=WKT2", nullptr};
        if (OSRExportToWktEx(srs.get(), &text, options) != OGRERR_NONE) {
            CPLFree(text);
            return nullptr;
        }
    }
    int count = 0;
    const int* axes = OSRGetDataAxisToSRSAxisMapping(srs.get(), &count);
    std::string axisText;
    for (int i = 0; i < count && i < 3; ++i) {
        if (i > 0) {
            axisText += ',';
        }
        axisText += std::to_string(axes[i]);
    }
    std::strncpy(mapping, axisText.c_str(), 15);
    mapping[15] = '\0';
    return Copy(Taken(text));
}

char* marloCrsSystemOfKeys(const uint16_t* directory, int32_t directoryCount, const double* doubles,
                           int32_t doubleCount, const char* ascii, int32_t asciiLength) {
    PrepareGdal();
    if (directoryCount < 0 || doubleCount < 0 || asciiLength < 0 ||
        (directory == nullptr && directoryCount > 0) || (doubles == nullptr && doubleCount > 0) ||
        (ascii == nullptr && asciiLength > 0)) {
        return nullptr;
    }
    const GeoKeys keys{{directory, directory + directoryCount},
                       {doubles, doubles + doubleCount},
                       {ascii, ascii + asciiLength}};
    std::string wkt;
    return SystemGdalReads(OnePixelTiff(keys), wkt) ? Copy(wkt) : nullptr;
}

int32_t marloCrsKeysOfSystem(const char* wkt, uint16_t* directory, int32_t* directoryCount,
                             double* doubles, int32_t* doubleCount, char* ascii,
                             int32_t* asciiLength) {
    PrepareGdal();
    const Srs srs = FromWkt(wkt);
    if (!srs || directoryCount == nullptr || doubleCount == nullptr || asciiLength == nullptr) {
        return 0;
    }
    const std::optional<std::vector<unsigned char>> tiff = TiffGdalWrites(srs.get());
    GeoKeys keys;
    std::string readBack;
    if (!tiff || !ReadGeoKeys(*tiff, keys) || !SystemGdalReads(*tiff, readBack)) {
        return 0;
    }
    // Keys GDAL would read as another system are no keys for it.
    const Srs back = FromWkt(readBack.c_str());
    if (!back || !SameForTable(srs.get(), back.get())) {
        keys = {};
    }
    const bool roomy = keys.directory.size() <= static_cast<std::size_t>(*directoryCount) &&
                       keys.doubles.size() <= static_cast<std::size_t>(*doubleCount) &&
                       keys.ascii.size() <= static_cast<std::size_t>(*asciiLength);
    *directoryCount = static_cast<int32_t>(keys.directory.size());
    *doubleCount = static_cast<int32_t>(keys.doubles.size());
    *asciiLength = static_cast<int32_t>(keys.ascii.size());
    if (!roomy) {
        return 2;
    }
    std::copy(keys.directory.begin(), keys.directory.end(), directory);
    std::copy(keys.doubles.begin(), keys.doubles.end(), doubles);
    std::copy(keys.ascii.begin(), keys.ascii.end(), ascii);
    return 1;
}

void marloCrsFree(char* text) {
    std::free(text);
}

}  // extern "C"
