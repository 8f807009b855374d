#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "conversion/file_steps.h"
#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "values/georeference.h"

namespace marlo {

// Where converted sheets lie, for the summary's map and the footprint index.

// The outline of an image of `size` placed by `georeference` (origin at the outer corner of
// the first pixel): its four outer corners clockwise from that one.
std::array<MapPoint, 4> OutlineOf(const Georeference& georeference, const ImageSize& size);

// A file's footprint once its output is written; nothing when the image's size is unknown.
// What fails in it is raised: the caller keeps the file's result, since a footprint is extra.
// `atCorner` is the written georeference with its origin at the first pixel's outer corner.
std::optional<Footprint> FootprintOf(Environment& env, const FileJob& job, const InputRead& read,
                                     const OutputSystem& system, const OutputWritten& written,
                                     const Georeference& atCorner);

// The footprint of a file that kept the output it had, read from that output; what fails in
// reading it is raised, as by FootprintOf.
std::optional<Footprint> KeptFootprintOf(Environment& env, const FileJob& job,
                                         const std::string& output);

// The coordinate systems of a run's footprints, each with the files that lie in it, in the
// order the systems first appear; files without a footprint are in none.
struct FootprintGroup {
    std::string system;
    std::vector<std::size_t> files;
};
std::vector<FootprintGroup> FootprintGroups(const RunOutcome& outcome);

// A system's name for people: the projection list's name with its code, GDAL's name for one
// the list lacks, the clause itself, or "" for none.
std::string SystemTitle(const Environment& env, const std::string& system,
                        const std::vector<std::string>& codeList);

// The unit of a system's coordinates as a map's scale bar names it ("m", "ft", "°", else the
// unit's own name); "" for none or a system GDAL does not know. A system the projection list
// holds is answered from the list.
std::string SystemUnit(const Environment& env, const std::string& system,
                       const std::vector<std::string>& codeList);

// The sheets that lie far from the rest of their system (no other sheet's centre within five
// lengths of theirs, the length being the sheet's longer side or the series' median distance
// between neighbours, whichever is longer) or cover another almost entirely (nine tenths of
// the smaller one's bounding box), by file index.
struct Outliers {
    std::vector<std::size_t> farAway;
    std::vector<std::size_t> overlapping;
};
Outliers FindOutliers(const RunOutcome& outcome);

// The footprint index of a run as GeoJSON (RFC 7946): one polygon a sheet, moved to WGS 84
// longitude and latitude by GDAL, with its file name, output path, size in pixels, system
// ("EPSG:CODE" or its name) and the verdicts `far_from_rest` and `covers_another`. Sheets
// whose system GDAL cannot move (or that have none) are left out and counted in `leftOut`.
std::string FootprintsGeoJson(const Environment& env, const RunOutcome& outcome,
                              std::size_t& leftOut);
// Writes that index to `path` as WriteRunFile does; the number of sheets left out.
std::size_t WriteFootprints(const Environment& env, const FileSystemService& files,
                            const RunOutcome& outcome, const std::string& path);

}  // namespace marlo
