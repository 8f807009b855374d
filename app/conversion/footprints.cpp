#include "conversion/footprints.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "conversion/run_summary.h"
#include "crs/answer_cache.h"
#include "crs/coordinate_systems.h"
#include "files/folder_checks.h"
#include "formats/geotiff/geotiff.h"
#include "platform/utf8.h"
#include "projection/projection_list.h"
#include "text/catalogue.h"
#include "text/trimmed.h"
#include "values/paths.h"

namespace marlo {

namespace {

constexpr const char* kEpsgPrefix = "EPSG:";

std::string CodeSystem(std::int32_t epsg) {
    return kEpsgPrefix + std::to_string(epsg);
}

bool NamedByCode(const std::string& system) {
    return system.rfind(kEpsgPrefix, 0) == 0;
}

bool NamedByClause(const std::string& system) {
    return system.rfind("CoordSys", 0) == 0;
}

// A system by its EPSG code where GDAL finds one confidently, else as `system` stands: a
// footprint's system is what people and other programs read, and a code is what they know.
template <typename ToWkt>
std::string IdentifiedSystem(const Environment& env, const std::string& system, ToWkt toWkt) {
    if (system.empty()) {
        return system;
    }
    try {
        if (const std::optional<std::string> wkt = toWkt(system)) {
            if (const CoordinateSystemCode code = EpsgCodeOf(env, *wkt); code.epsg != 0) {
                return CodeSystem(code.epsg);
            }
        }
    } catch (const Failure&) {
    }
    return system;
}

// A clause as a footprint names its system: by the list's code where it has one.
std::string ClauseSystem(const Environment& env, const std::vector<std::string>& codeList,
                         const std::string& line) {
    const std::string clause = Trimmed(line);  // a table's CoordSys line is indented
    if (clause.empty()) {
        return {};
    }
    if (const auto listed = EntryForClause(codeList, clause); listed && listed->epsg != 0) {
        return CodeSystem(listed->epsg);
    }
    return IdentifiedSystem(env, clause,
                            [&](const std::string& known) { return SystemOfClause(env, known); });
}

// What the GeoKeys of a TIFF state: a code, else GDAL's system, else none.
std::string KeysSystem(const Environment& env, const std::string& path) {
    if (const CoordinateSystemCode code = ReadGeoTiffSystem(env.libraries.Pelcor(), path);
        code.epsg != 0) {
        return CodeSystem(code.epsg);
    }
    const GeoKeyTags keys = ReadGeoKeyTags(env.libraries.Pelcor(), path);
    if (!KeysStateASystem(keys)) {
        return {};
    }
    try {
        const std::string wkt = SystemOfKeys(env, keys).value_or("");
        return IdentifiedSystem(env, wkt, [](const std::string& known) { return known; });
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
            return ClauseSystem(env, plan.codeList,
                                system.clause.empty() ? plan.coordSysClause : system.clause);
        case FileFormat::TFW:
            return plan.inputFormat == FileFormat::TAB
                       ? ClauseSystem(env, plan.codeList, read.tableCoordSys)
                       : KeysSystem(env, written.image);
        default:
            return KeysSystem(env, written.output);
    }
}

// The WKT of a footprint's system; nothing for none or one GDAL does not know.
std::optional<std::string> WktOf(const Environment& env, const std::string& system) {
    if (system.empty()) {
        return std::nullopt;
    }
    try {
        if (NamedByCode(system)) {
            return SystemOfDefinition(BridgeOf(env), system);
        }
        if (NamedByClause(system)) {
            return SystemOfClause(BridgeOf(env), system);
        }
    } catch (const Failure&) {
        return std::nullopt;
    }
    return system;
}

// The projection list's entry for a footprint's system, named by its code or by its clause;
// nothing for a system the list lacks.
std::optional<ProjectionEntry> ListedEntry(const std::string& system,
                                           const std::vector<std::string>& codeList) {
    if (NamedByCode(system)) {
        const auto code = EpsgCodeNamed(system);
        return code ? EntryForCode(codeList, *code) : std::nullopt;
    }
    return NamedByClause(system) ? EntryForClause(codeList, system) : std::nullopt;
}

// A unit as a scale bar names it: the usual short forms of GDAL's unit names, else the name.
std::string ShortUnitName(const std::string& name) {
    for (const auto& [known, shortName] :
         {std::pair{"metre", "m"}, std::pair{"meter", "m"}, std::pair{"degree", "°"},
          std::pair{"foot", "ft"}, std::pair{"US survey foot", "US ft"}}) {
        if (name == known) {
            return shortName;
        }
    }
    return name;
}

// The unit of a system the projection list holds, from its clause (a geographic system's is
// the degree, a projected one's is named third), named as GDAL would name it: the list answers
// for the usual systems without GDAL being loaded. Nothing for a system the list lacks or a
// unit it names otherwise.
std::optional<std::string> ListedUnit(const std::string& system,
                                      const std::vector<std::string>& codeList) {
    const std::optional<ProjectionEntry> listed = ListedEntry(system, codeList);
    if (!listed) {
        return std::nullopt;
    }
    if (SystemOf(*listed).geographic) {
        return ShortUnitName("degree");
    }
    const std::size_t open = listed->parameters.find('"');
    const std::size_t close =
        open == std::string::npos ? open : listed->parameters.find('"', open + 1);
    if (close == std::string::npos) {
        return std::nullopt;
    }
    const std::string unit = listed->parameters.substr(open + 1, close - open - 1);
    for (const auto& [clauseUnit, gdalName] : {std::pair{"m", "metre"}, std::pair{"ft", "foot"},
                                               std::pair{"survey ft", "US survey foot"}}) {
        if (unit == clauseUnit) {
            return ShortUnitName(gdalName);
        }
    }
    return std::nullopt;
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

// A sheet's size: the longer of its sides, whatever its rotation.
double SheetSize(const Footprint& footprint) {
    const auto& c = footprint.corners;
    return std::max(std::hypot(c[1].x - c[0].x, c[1].y - c[0].y),
                    std::hypot(c[3].x - c[0].x, c[3].y - c[0].y));
}

// Points in a k-d tree laid out in place (each range's median splits it, x and y in turn), for
// every point's nearest neighbour in O(n log n) whatever the spread of the points.
class NearestNeighbours {
public:
    explicit NearestNeighbours(std::vector<MapPoint> points) : points_(std::move(points)) {
        order_.resize(points_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) {
            order_[i] = i;
        }
        Build(0, order_.size(), 0);
    }

    // The distance from point `i` to the nearest other point; infinity when there is none.
    double DistanceFrom(std::size_t i) const {
        double best = std::numeric_limits<double>::infinity();
        Search(i, 0, order_.size(), 0, best);
        return std::sqrt(best);
    }

private:
    static double Along(const MapPoint& point, std::size_t axis) {
        return axis == 0 ? point.x : point.y;
    }

    void Build(std::size_t begin, std::size_t end, std::size_t axis) {
        if (end - begin < 2) {
            return;
        }
        const std::size_t middle = begin + (end - begin) / 2;
        const auto at = [this](std::size_t n) { return order_.begin() + static_cast<long>(n); };
        std::nth_element(at(begin), at(middle), at(end), [&](std::size_t a, std::size_t b) {
            return Along(points_[a], axis) < Along(points_[b], axis);
        });
        Build(begin, middle, 1 - axis);
        Build(middle + 1, end, 1 - axis);
    }

    // `best` is a squared distance: the nearest found so far.
    void Search(std::size_t i, std::size_t begin, std::size_t end, std::size_t axis,
                double& best) const {
        if (begin >= end) {
            return;
        }
        const std::size_t middle = begin + (end - begin) / 2;
        const MapPoint& query = points_[i];
        const MapPoint& split = points_[order_[middle]];
        if (order_[middle] != i) {
            const double dx = split.x - query.x;
            const double dy = split.y - query.y;
            best = std::min(best, dx * dx + dy * dy);
        }
        const double across = Along(query, axis) - Along(split, axis);
        const bool lowFirst = across < 0;
        Search(i, lowFirst ? begin : middle + 1, lowFirst ? middle : end, 1 - axis, best);
        if (across * across < best) {
            Search(i, lowFirst ? middle + 1 : begin, lowFirst ? end : middle, 1 - axis, best);
        }
    }

    std::vector<MapPoint> points_;
    std::vector<std::size_t> order_;
};

// A sheet lies far from the rest when no other sheet of its system has its centre within a few
// lengths of it: a few of its own sizes, or of the series' typical spacing (the median distance
// between neighbours) where the series leaves gaps wider than its sheets. Neighbours, not a
// centre of the whole: a series may be a long strip, two towns apart, or holed, and each sheet
// of it still has a neighbour next to it; a stray sheet has none for many sheet lengths. One
// sheet alone, or two far apart, say nothing about which is misplaced.
constexpr double kFewLengths = 5;

void FarFromTheRest(const RunOutcome& outcome, const FootprintGroup& group,
                    std::vector<std::size_t>& far) {
    if (group.files.size() < 3) {
        return;
    }
    std::vector<MapPoint> centres;
    std::vector<double> sizes;
    for (const std::size_t file : group.files) {
        centres.push_back(CentreOf(*outcome.files[file].footprint));
        sizes.push_back(SheetSize(*outcome.files[file].footprint));
    }
    const NearestNeighbours neighbours(std::move(centres));
    std::vector<double> nearest;
    for (std::size_t i = 0; i < group.files.size(); ++i) {
        nearest.push_back(neighbours.DistanceFrom(i));
    }
    const double spacing = Median(nearest);
    for (std::size_t i = 0; i < group.files.size(); ++i) {
        if (nearest[i] > kFewLengths * std::max(sizes[i], spacing)) {
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
            constexpr const char* kHex = "0123456789abcdef";
            json += "\\u00";
            json += kHex[c >> 4];
            json += kHex[c & 15];
        } else {
            utf8::Append(json, c);
        }
    }
    return json + "\"";
}

// What the index says of a sheet besides its outline.
struct SheetVerdicts {
    std::string system;
    bool farFromRest = false;
    bool coversAnother = false;
};

std::string JsonBool(bool value) {
    return value ? "true" : "false";
}

std::string Feature(const FileReport& file, std::vector<MapPoint> ring,
                    const SheetVerdicts& verdicts) {
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
           ",\"system\":" + JsonString(verdicts.system) +
           ",\"far_from_rest\":" + JsonBool(verdicts.farFromRest) +
           ",\"covers_another\":" + JsonBool(verdicts.coversAnother) +
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
        written.size.width > 0 ? written.size : MeasuredImage(env, written.image).value;
    if (size.width <= 0 || size.height <= 0 || !PlacesAnImage(atCorner)) {
        return std::nullopt;
    }
    return Footprint{OutlineOf(atCorner, size), SystemOfOutput(env, job, read, system, written),
                     size, written.output};
}

std::optional<Footprint> KeptFootprintOf(Environment& env, const FileJob& job,
                                         const std::string& output) {
    const RunPlan& plan = job.plan;
    const InputRead kept = StepsOf(plan.outputFormat).read(env, {plan, job.file, output});
    // A world file states no system: its sheet's is its input table's.
    const std::string clause =
        plan.outputFormat == FileFormat::TFW && plan.inputFormat == FileFormat::TAB
            ? PlannedReadOf(job).tableCoordSys
            : kept.tableCoordSys;
    // A world file's reader gives the world file; its image lies beside it.
    const std::string image = plan.outputFormat == FileFormat::TFW
                                  ? FindImageFor(env.fileSystem, output).value_or("")
                                  : kept.imagePath;
    const InputRead read{kept.georeference, image, clause};
    return FootprintOf(env, job, read, OutputSystem{clause, {}, false},
                       OutputWritten{output, image, {}, ""},
                       MoveOrigin(kept.georeference, plan.outputFormat, FileFormat::TAB));
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

std::string SystemTitle(const Environment& env, const std::string& system,
                        const std::vector<std::string>& codeList) {
    if (system.empty()) {
        return env.texts.Caption(caption::NoSystem);
    }
    const std::optional<ProjectionEntry> listed = ListedEntry(system, codeList);
    if (NamedByCode(system) && listed) {
        return listed->name + " (" + system + ")";
    }
    if (NamedByClause(system)) {
        return listed ? listed->name : system;
    }
    try {
        if (const auto wkt = WktOf(env, system)) {
            const std::string name = SystemName(BridgeOf(env), *wkt);
            return NamedByCode(system) ? name + " (" + system + ")" : name;
        }
    } catch (const Failure&) {
    }
    return system;
}

std::string SystemUnit(const Environment& env, const std::string& system,
                       const std::vector<std::string>& codeList) {
    if (auto unit = ListedUnit(system, codeList)) {
        return *unit;
    }
    const std::optional<std::string> wkt = WktOf(env, system);
    // The system's own unit is the last one its WKT names (WKT 1 and 2 alike): the base
    // system's and the parameters' come before it.
    const std::size_t unit = wkt ? wkt->rfind("UNIT[\"") : std::string::npos;
    if (unit == std::string::npos) {
        return {};
    }
    const std::size_t begin = unit + 6;
    return ShortUnitName(wkt->substr(begin, wkt->find('"', begin) - begin));
}

Outliers FindOutliers(const RunOutcome& outcome) {
    Outliers outliers;
    for (const FootprintGroup& group : FootprintGroups(outcome)) {
        FarFromTheRest(outcome, group, outliers.farAway);
        Overlapping(outcome, group, outliers.overlapping);
    }
    return outliers;
}

std::string FootprintsGeoJson(const Environment& env, const RunOutcome& outcome,
                              std::size_t& leftOut) {
    leftOut = 0;
    std::string features;
    const Outliers outliers = FindOutliers(outcome);
    const std::set<std::size_t> far(outliers.farAway.begin(), outliers.farAway.end());
    const std::set<std::size_t> covering(outliers.overlapping.begin(), outliers.overlapping.end());
    for (const FootprintGroup& group : FootprintGroups(outcome)) {
        const auto wkt = WktOf(env, group.system);
        // Its code where the system has one, else its name.
        const std::string system = NamedByCode(group.system)
                                       ? group.system
                                       : SystemTitle(env, group.system, outcome.plan.codeList);
        for (const std::size_t file : group.files) {
            const FileReport& report = outcome.files[file];
            const auto& corners = report.footprint->corners;
            std::optional<std::vector<MapPoint>> moved;
            try {
                moved = wkt ? ToWgs84(BridgeOf(env), *wkt, {corners.begin(), corners.end()})
                            : std::nullopt;
            } catch (const Failure&) {
                moved = std::nullopt;
            }
            if (!moved) {
                ++leftOut;
                continue;
            }
            features +=
                (features.empty() ? "\n" : ",\n") +
                Feature(report, *moved, {system, far.count(file) != 0, covering.count(file) != 0});
        }
    }
    return "{\"type\":\"FeatureCollection\",\"features\":[" + features + "\n]}\n";
}

std::size_t WriteFootprints(const Environment& env, const FileSystemService& files,
                            const RunOutcome& outcome, const std::string& path) {
    std::size_t leftOut = 0;
    WriteRunFile(env.texts, files, outcome, path, FootprintsGeoJson(env, outcome, leftOut),
                 kFootprintsStart);
    return leftOut;
}

}  // namespace marlo
