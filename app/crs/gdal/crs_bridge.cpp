// The only code that talks to GDAL. It is a library of its own so that a run which never needs
// it never loads GDAL and the hundred libraries behind it.
#include "crs/gdal/crs_bridge.h"

#include "crs/gdal/key_tiff.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_frmts.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
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

Srs FromMapInfo(const std::string& clause) {
    Srs srs = NewSrs();
    if (OSRImportFromMICoordSys(srs.get(), clause.c_str()) != OGRERR_NONE ||
        OSRIsLocal(srs.get())) {
        return nullptr;
    }
    return srs;
}

// GDAL's clause for the system, when GDAL reads it back as the same system.
std::string CheckedClause(void* srs) {
    char* exported = nullptr;
    if (OSRExportToMICoordSys(srs, &exported) != OGRERR_NONE) {
        CPLFree(exported);
        return {};
    }
    const std::string clause = "CoordSys " + Taken(exported);
    const Srs back = FromMapInfo(clause);
    return back && Same(srs, back.get()) ? clause : std::string();
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
        // MapInfo names few datums; others it takes by their shift to WGS 84, which PROJ knows
        // for many of them.
        Srs shifted(OSRClone(srs.get()));
        if (OSRAddGuessedTOWGS84(shifted.get()) == OGRERR_NONE) {
            clause = CheckedClause(shifted.get());
        }
    }
    return clause.empty() ? nullptr : Copy(clause);
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
            if (confidences[i] >= 50 && EpsgCode(matches[i]) != 0 && Same(srs.get(), matches[i])) {
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

int32_t marloCrsToWgs84(const char* wkt, double* x, double* y, int32_t count) {
    if (x == nullptr || y == nullptr || count < 0) {
        return 0;
    }
    // A transformation takes PROJ a while to set up: one for each system, kept.
    static std::map<std::string, OGRCoordinateTransformationH> transformations;
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
    if (!tiff || !ReadGeoKeys(*tiff, keys)) {
        return 0;
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
