#include "text/line_breaks.h"

#include <algorithm>

namespace marlo {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
    }
    return out;
}

std::string OnOneLine(const std::string& text) {
    std::string line = WithLineFeeds(text);
    std::replace(line.begin(), line.end(), '\n', ' ');
    return line;
}

}  // namespace marlo
