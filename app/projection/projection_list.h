#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crs/coordinate_systems.h"
#include "platform/file_system.h"
#include "values/georeference.h"

namespace marlo {

// MapInfo's projection list (mapinfow.prj) as the projection window reads it: group headers
// hold "---", an empty line ends a group, every other line is a projection line of the form
// "Name", parameters. Lines that break that form are passed over, never fatal.

// A projection line taken apart: the name between its first two double quotes, and the
// parameters from the third character after the first double quote that a comma follows.
// MapInfo marks an entry's EPSG code by "\p" and the code at the end of the name, inside the
// quotes ("CS92\p2180"): the code is taken off the name.
struct ProjectionEntry {
    std::string name;
    std::string parameters;
    std::int32_t epsg = 0;
};

// Other names of listed systems, by EPSG code: the names users know them by ("PUWG 1992",
// "układ 2000" for the Polish grids), which the window's search also finds. Read from the
// file `projection-aliases.txt` beside the shipped list: one system a line, its code, a tab,
// its names separated by ";". Lines of another form are passed over.
using ProjectionAliases = std::map<std::int32_t, std::vector<std::string>>;
ProjectionAliases ReadProjectionAliases(const FileSystemService& files, const std::string& folder);

// Every line of the file, empty ones included, in file order.
std::vector<std::string> ReadProjectionLines(const FileSystemService& files,
                                             const std::string& path);

bool IsGroupHeader(const std::string& line);
// The text between a header's first "---" and the next "---" after it, blanks included;
// nothing for a line that is no header or holds a single "---".
std::optional<std::string> GroupName(const std::string& line);
// Nothing for a line without two double quotes, without a double quote followed by a comma,
// or without any parameters after them.
std::optional<ProjectionEntry> ParseProjectionLine(const std::string& line);

// The indexes of the usable projection lines of the group whose header stands at headerLine:
// the lines after it up to the next header, the first empty line or the end of the list.
std::vector<std::size_t> GroupProjectionLines(const std::vector<std::string>& lines,
                                              std::size_t headerLine);
// The first line that is no group header and contains `text`, whatever the letter case.
std::optional<std::size_t> FindProjectionLine(const std::vector<std::string>& lines,
                                              const std::string& text);

// The CoordSys clause of an entry, as tables hold it.
std::string CoordSysClause(const ProjectionEntry& entry);
// The coded entry whose clause a table's CoordSys line states (blanks, number spellings and a
// Bounds part aside); nothing when no coded entry matches.
std::optional<ProjectionEntry> EntryForClause(const std::vector<std::string>& lines,
                                              const std::string& coordSysLine);
// The entry with the EPSG code; nothing when the list has none.
std::optional<ProjectionEntry> EntryForCode(const std::vector<std::string>& lines,
                                            std::int32_t epsg);
// A geographic system (MapInfo's projection type 1, longitude/latitude) or a projected one.
CoordinateSystemCode SystemOf(const ProjectionEntry& entry);

// The text a search or an answer looks for: without the blanks at its ends, and without an
// "EPSG:" (letters in any case) in front.
std::string WithoutEpsgPrefix(const std::string& text);
// The EPSG code a text names ("2180", "EPSG:2180"); nothing for any other text.
std::optional<std::int32_t> EpsgCodeNamed(const std::string& text);
// An entry for a code the list may lack: the system GDAL knows by it, named as GDAL names it,
// with the clause a table holds for it; nothing when GDAL does not know it or no clause holds
// it.
std::optional<ProjectionEntry> EntryFromGdal(const GdalBridge& bridge, std::int32_t epsg);

// Whether every projection line's parameters are whole: no empty parameter (a line cut after a
// comma, as a copy cut short leaves it) and no quote left open. Other lines are passed over as
// the window passes them over.
bool IsWholeProjectionList(const std::vector<std::string>& lines);

// An entry of the list with the group it stands in (its name trimmed).
struct ListedProjection {
    std::string group;
    ProjectionEntry entry;
};
// The entries whose name or group contains `text` (letters in any case), or whose EPSG code
// starts with it (a leading "EPSG:" aside); every entry for "".
std::vector<ListedProjection> MatchingProjections(const std::vector<std::string>& lines,
                                                  const std::string& text);

// Whether `text` contains `part`, letters compared without regard to case (the letters of
// the ANSI code page: ASCII and the Latin letters of Windows-1250).
bool ContainsIgnoringCase(const std::string& text, const std::string& part);
// The same, blind to the marks of Polish letters as well.
bool ContainsForSearch(const std::string& text, const std::string& part);

}  // namespace marlo
