#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace marlo {

// The two kinds of line a raster table reader looks at, as MapInfo writes them:
//   File "sheet.tif"
//   (4810000.5,5570000.25) (0,0) Label "Pt 1",
// Everything else in a table (header, Type, Units, CoordSys) is passed over.

// A line that holds `File "` in any letter case.
bool IsImageLine(std::string_view line);
// The image reference of an image line: the rest of the line from its first double quote,
// with every double quote removed. Text after the closing quote stays part of it.
std::string ImageReferenceOf(std::string_view line);

// A line that holds "CoordSys" in any letter case, outside a control point's label.
bool IsCoordSysLine(std::string_view line);

// A line that holds "Label" in any letter case, a double quote, ",", "(" and ")".
bool IsControlPointLine(std::string_view line);

// The coordinate texts of a control-point line: the map text inside the first pair of
// parentheses, the pixel text inside the second.
struct ControlPointText {
    std::string map;
    std::string pixel;
};
// Raises run-time error 5 when the line lacks the second "(" or ")", or a ")" comes before
// its "(".
ControlPointText ControlPointTextOf(std::string_view line);

// "x, y" split at its commas: the first two parts (parts after the second are ignored).
// Raises run-time error 9 when the text holds no ",".
std::pair<std::string, std::string> CoordinatePair(std::string_view text);

}  // namespace marlo
