#include "formats/tab/projection_list.h"

#include <algorithm>

namespace marlo {

namespace {

constexpr const char* kHeaderMark = "---";
constexpr std::size_t kHeaderMarkSize = 3;
// Bytes that are not part of valid UTF-8 keep their own identity above every code point.
constexpr char32_t kRawByte = 0x110000;

// Lower case of the letters Windows-1250 can hold: ASCII, Latin-1 and Latin Extended-A,
// whose capitals come before their small letters in pairs.
char32_t LowerLetter(char32_t c) {
    const bool pairEven = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool pairOdd = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if ((pairEven && c % 2 == 0) || (pairOdd && c % 2 == 1)) {
        return c + 1;
    }
    return c == 0x178 ? 0xFF : c;
}

std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    return (lead >= 0xF0 && lead <= 0xF4) ? 4 : 1;
}

// The code point starting at `at`, and how many bytes it takes; a byte that starts no valid
// sequence stands for itself.
std::pair<char32_t, std::size_t> DecodeAt(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = SequenceLength(lead);
    if (length == 1 || at + length > text.size()) {
        return {lead < 0x80 ? lead : kRawByte + lead, 1};
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return {kRawByte + lead, 1};
        }
        code = (code << 6) | (next & 0x3F);
    }
    return {code, length};
}

std::u32string FoldedText(const std::string& text) {
    std::u32string folded;
    for (std::size_t at = 0; at < text.size();) {
        const auto [code, length] = DecodeAt(text, at);
        folded.push_back(LowerLetter(code));
        at += length;
    }
    return folded;
}

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
    return FoldedText(text).find(FoldedText(part)) != std::u32string::npos;
}

}  // namespace marlo
