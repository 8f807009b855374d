#pragma once

#include <string>

namespace marlo {

// Message texts break lines with CR LF or a lone CR, as message boxes expect; screens and
// terminals want a line feed alone.
std::string WithLineFeeds(const std::string& text);
// The same text with every line break a blank, for a status line.
std::string OnOneLine(const std::string& text);

}  // namespace marlo
