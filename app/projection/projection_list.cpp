#include "projection/projection_list.h"

#include <algorithm>

#include "platform/utf8.h"

namespace marlo {

namespace {

constexpr const char* kHeaderMark = "---";
constexpr std::size_t kHeaderMarkSize = 3;

}  // namespace

std::vector<std::string> ReadProjectionLines(ConversionContext& form, const std::string& path) {
    std::vector<std::string> lines;
    TextReadStream stream = form.fileSystem.OpenTextFileForReading(path);
    while (!stream.AtEndOfStream()) {
        lines.push_back(stream.ReadLine());
    }
    stream.Close();
    return lines;
}

bool IsGroupHeader(const std::string& line) {
    return line.find(kHeaderMark) != std::string::npos;
}

std::optional<std::string> GroupName(const std::string& line) {
    const std::size_t first = line.find(kHeaderMark);
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t nameStart = first + kHeaderMarkSize;
    const std::size_t next = line.find(kHeaderMark, nameStart);
    if (next == std::string::npos) {
        return std::nullopt;
    }
    return line.substr(nameStart, next - nameStart);
}

std::optional<ProjectionEntry> ParseProjectionLine(const std::string& line) {
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    const std::size_t quoteComma = line.find("\",");
    // The parameters start past the quote, the comma and the one blank that should follow it.
    const std::size_t parametersStart =
        quoteComma == std::string::npos ? quoteComma : quoteComma + 3;
    if (close == std::string::npos || close == open + 1 || parametersStart >= line.size()) {
        return std::nullopt;
    }
    return ProjectionEntry{line.substr(open + 1, close - open - 1), line.substr(parametersStart)};
}

std::vector<std::size_t> GroupProjectionLines(const std::vector<std::string>& lines,
                                              std::size_t headerLine) {
    std::vector<std::size_t> group;
    for (std::size_t line = headerLine + 1; line < lines.size(); ++line) {
        if (lines[line].empty() || IsGroupHeader(lines[line])) {
            break;
        }
        if (ParseProjectionLine(lines[line])) {
            group.push_back(line);
        }
    }
    return group;
}

std::optional<std::size_t> FindProjectionLine(const std::vector<std::string>& lines,
                                              const std::string& text) {
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (!IsGroupHeader(lines[line]) && ContainsIgnoringCase(lines[line], text)) {
            return line;
        }
    }
    return std::nullopt;
}

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
    return utf8::CaseFolded(text).find(utf8::CaseFolded(part)) != std::u32string::npos;
}

}  // namespace marlo
