#include "conversion/footprints.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "conversion/run_summary.h"
#include "crs/coordinate_systems.h"
#include "formats/geotiff/geotiff.h"
#include "platform/utf8.h"
#include "projection/projection_list.h"
#include "state/folder_checks.h"
#include "state/paths.h"
#include "text/catalogue.h"
#include "text/trimmed.h"

namespace marlo {

namespace {

constexpr const char* kEpsgPrefix = "EPSG:";

// The size of an image without a report or a message: a footprint is extra, never a failure.
ImageSize QuietlyMeasured(const Environment& env, const std::string& path) {
    try {
        return MeasuredImage(env, path);
    } catch (const Failure&) {
        return {};
    }
}

std::string CodeSystem(std::int32_t epsg) {
    return kEpsgPrefix + std::to_string(epsg);
}

// A clause as a footprint names its system: by the list's code where it has one.
std::string ClauseSystem(const std::vector<std::string>& codeList, const std::string& line) {
    const std::string clause = Trimmed(line);  // a table's CoordSys line is indented
    if (clause.empty()) {
        return {};
    }
    const auto listed = EntryForClause(codeList, clause);
    return listed && listed->epsg != 0 ? CodeSystem(listed->epsg) : clause;
}

// What the GeoKeys of a TIFF state: a code, else GDAL's system, else none.
std::string KeysSystem(const Environment& env, const std::string& path) {
    if (const CoordinateSystemCode code = ReadGeoTiffSystem(env.libraries.pelcor, path);
        code.epsg != 0) {
        return CodeSystem(code.epsg);
    }
    const GeoKeyTags keys = ReadGeoKeyTags(env.libraries.pelcor, path);
    if (!KeysStateASystem(keys)) {
        return {};
    }
    try {
        return SystemOfKeys(env.libraries.pelcor, keys).value_or("");
    } catch (const Failure&) {
        return {};
    }
}

// The system the output states, as GDAL reads it beside the image.
std::string SystemOfOutput(const Environment& env, const FileJob& job, const InputRead& read,
                           const OutputSystem& system, const OutputWritten& written) {
    const RunPlan& plan = job.plan;
    switch (plan.outputFormat) {
        case FileFormat::TAB:
            return ClauseSystem(plan.codeList,
                                system.clause.empty() ? plan.coordSysClause : system.clause);
        case FileFormat::TFW:
            return plan.inputFormat == FileFormat::TAB
                       ? ClauseSystem(plan.codeList, read.tableCoordSys)
                       : KeysSystem(env, written.image);
        default:
            return KeysSystem(env, written.output);
    }
}

// The WKT of a footprint's system; nothing for none or one GDAL does not know.
std::optional<std::string> WktOf(const std::string& system) {
    if (system.empty()) {
        return std::nullopt;
    }
    try {
        if (system.rfind(kEpsgPrefix, 0) == 0) {
            return SystemOfDefinition(system);
        }
        if (system.rfind("CoordSys", 0) == 0) {
            return SystemOfClause(system);
        }
    } catch (const Failure&) {
        return std::nullopt;
    }
    return system;
}

MapPoint CentreOf(const Footprint& footprint) {
    MapPoint centre;
    for (const MapPoint& corner : footprint.corners) {
        centre.x += corner.x / 4;
        centre.y += corner.y / 4;
    }
    return centre;
}

// Twice the signed area of a ring (positive counterclockwise).
double SignedArea(const std::vector<MapPoint>& ring) {
    double area = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const MapPoint& a = ring[i];
        const MapPoint& b = ring[(i + 1) % ring.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct Box {
    double minX, minY, maxX, maxY;
    double Area() const { return (maxX - minX) * (maxY - minY); }
};

Box BoxOf(const Footprint& footprint) {
    Box box{footprint.corners[0].x, footprint.corners[0].y, footprint.corners[0].x,
            footprint.corners[0].y};
    for (const MapPoint& corner : footprint.corners) {
        box.minX = std::min(box.minX, corner.x);
        box.minY = std::min(box.minY, corner.y);
        box.maxX = std::max(box.maxX, corner.x);
        box.maxY = std::max(box.maxY, corner.y);
    }
    return box;
}

void FarFromTheRest(const RunOutcome& outcome, const FootprintGroup& group,
                    std::vector<std::size_t>& far) {
    std::vector<double> xs, ys, sizes;
    for (const std::size_t file : group.files) {
        const Footprint& footprint = *outcome.files[file].footprint;
        const MapPoint centre = CentreOf(footprint);
        xs.push_back(centre.x);
        ys.push_back(centre.y);
        const std::vector<MapPoint> ring(footprint.corners.begin(), footprint.corners.end());
        sizes.push_back(std::sqrt(std::abs(SignedArea(ring)) / 2));
    }
    const MapPoint middle{Median(xs), Median(ys)};
    const double sheet = Median(sizes);
    for (std::size_t i = 0; i < group.files.size(); ++i) {
        if (std::hypot(xs[i] - middle.x, ys[i] - middle.y) > 10 * sheet) {
            far.push_back(group.files[i]);
        }
    }
}

// Pairs whose boxes overlap, found by sweeping across x: each box meets only those that start
// before it ends.
void Overlapping(const RunOutcome& outcome, const FootprintGroup& group,
                 std::vector<std::size_t>& overlapping) {
    std::vector<std::pair<Box, std::size_t>> boxes;
    for (const std::size_t file : group.files) {
        boxes.emplace_back(BoxOf(*outcome.files[file].footprint), file);
    }
    std::sort(boxes.begin(), boxes.end(),
              [](const auto& a, const auto& b) { return a.first.minX < b.first.minX; });
    std::vector<bool> marked(boxes.size(), false);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        for (std::size_t j = i + 1; j < boxes.size() && boxes[j].first.minX < boxes[i].first.maxX;
             ++j) {
            const Box& a = boxes[i].first;
            const Box& b = boxes[j].first;
            const double width = std::min(a.maxX, b.maxX) - std::max(a.minX, b.minX);
            const double height = std::min(a.maxY, b.maxY) - std::max(a.minY, b.minY);
            if (width > 0 && height > 0 && width * height > 0.9 * std::min(a.Area(), b.Area())) {
                marked[i] = marked[j] = true;
            }
        }
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (marked[i]) {
            overlapping.push_back(boxes[i].second);
        }
    }
}

std::string JsonNumber(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : "0";
}

// A JSON string: quotes, backslashes and control characters escaped; bytes that are not UTF-8
// (a file name may hold any) become U+FFFD.
std::string JsonString(const std::string& text) {
    std::string json = "\"";
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t c = 0;
        if (!utf8::NextCodePoint(text, pos, c)) {
            c = 0xFFFD;
        }
        if (c == '"' || c == '\\') {
            json += '\\';
            json += static_cast<char>(c);
        } else if (c < 0x20) {
            static const char* kHex = "0123456789abcdef";
            json += "\\u00";
            json += kHex[c >> 4];
            json += kHex[c & 15];
        } else {
            utf8::Append(json, c);
        }
    }
    return json + "\"";
}

std::string Feature(const FileReport& file, std::vector<MapPoint> ring) {
    // RFC 7946: the outer ring counterclockwise, closed.
    if (SignedArea(ring) < 0) {
        std::reverse(ring.begin(), ring.end());
    }
    ring.push_back(ring.front());
    std::string coordinates;
    for (const MapPoint& point : ring) {
        coordinates += (coordinates.empty() ? "[" : ",[") + JsonNumber(point.x) + "," +
                       JsonNumber(point.y) + "]";
    }
    const Footprint& footprint = *file.footprint;
    return "{\"type\":\"Feature\",\"properties\":{\"file\":" + JsonString(file.file) +
           ",\"output\":" + JsonString(footprint.output) +
           ",\"width\":" + std::to_string(footprint.size.width) +
           ",\"height\":" + std::to_string(footprint.size.height) +
           ",\"system\":" + JsonString(footprint.system) +
           "},\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[" + coordinates + "]]}}";
}

}  // namespace

std::array<MapPoint, 4> OutlineOf(const Georeference& g, const ImageSize& size) {
    const auto at = [&](double column, double row) {
        return MapPoint{MapX(g, column, row), MapY(g, column, row)};
    };
    return {at(0, 0), at(size.width, 0), at(size.width, size.height), at(0, size.height)};
}

std::optional<Footprint> FootprintOf(Environment& env, const FileJob& job, const InputRead& read,
                                     const OutputSystem& system, const OutputWritten& written,
                                     const Georeference& atCorner) {
    const ImageSize size =
        written.size.width > 0 ? written.size : QuietlyMeasured(env, written.image);
    if (size.width <= 0 || size.height <= 0 || !PlacesAnImage(atCorner)) {
        return std::nullopt;
    }
    return Footprint{OutlineOf(atCorner, size), SystemOfOutput(env, job, read, system, written),
                     size, written.output};
}

std::vector<FootprintGroup> FootprintGroups(const RunOutcome& outcome) {
    std::vector<FootprintGroup> groups;
    std::map<std::string, std::size_t> index;
    for (std::size_t file = 0; file < outcome.files.size(); ++file) {
        const auto& footprint = outcome.files[file].footprint;
        if (!footprint) {
            continue;
        }
        const auto [at, added] = index.emplace(footprint->system, groups.size());
        if (added) {
            groups.push_back({footprint->system, {}});
        }
        groups[at->second].files.push_back(file);
    }
    return groups;
}

std::string SystemTitle(const std::string& system, const std::vector<std::string>& codeList) {
    if (system.empty()) {
        return CaptionText(caption::NoSystem);
    }
    if (system.rfind(kEpsgPrefix, 0) == 0) {
        const auto code = EpsgCodeNamed(system);
        if (const auto listed = code ? EntryForCode(codeList, *code) : std::nullopt) {
            return listed->name + " (" + system + ")";
        }
    } else if (system.rfind("CoordSys", 0) == 0) {
        const auto listed = EntryForClause(codeList, system);
        return listed ? listed->name : system;
    }
    try {
        if (const auto wkt = WktOf(system)) {
            const std::string name = SystemName(*wkt);
            return system.rfind(kEpsgPrefix, 0) == 0 ? name + " (" + system + ")" : name;
        }
    } catch (const Failure&) {
    }
    return system;
}

Outliers FindOutliers(const RunOutcome& outcome) {
    Outliers outliers;
    for (const FootprintGroup& group : FootprintGroups(outcome)) {
        FarFromTheRest(outcome, group, outliers.farAway);
        Overlapping(outcome, group, outliers.overlapping);
    }
    return outliers;
}

std::string FootprintsGeoJson(const RunOutcome& outcome, std::size_t& leftOut) {
    leftOut = 0;
    std::string features;
    for (const FootprintGroup& group : FootprintGroups(outcome)) {
        const auto wkt = WktOf(group.system);
        for (const std::size_t file : group.files) {
            const FileReport& report = outcome.files[file];
            const auto& corners = report.footprint->corners;
            std::optional<std::vector<MapPoint>> moved;
            try {
                moved = wkt ? ToWgs84(*wkt, {corners.begin(), corners.end()}) : std::nullopt;
            } catch (const Failure&) {
                moved = std::nullopt;
            }
            if (!moved) {
                ++leftOut;
                continue;
            }
            features += (features.empty() ? "\n" : ",\n") + Feature(report, *moved);
        }
    }
    return "{\"type\":\"FeatureCollection\",\"features\":[" + features + "\n]}\n";
}

std::size_t WriteFootprints(const FileSystemService& files, const RunOutcome& outcome,
                            const std::string& path) {
    std::size_t leftOut = 0;
    WriteRunFile(files, outcome, path, FootprintsGeoJson(outcome, leftOut), kFootprintsStart);
    return leftOut;
}

}  // namespace marlo
