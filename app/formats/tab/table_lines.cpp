#include "formats/tab/table_lines.h"

#include <algorithm>

#include "platform/failures.h"

namespace marlo {

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// `lowerWord` must be lower case already.
bool ContainsIgnoringCase(std::string_view text, std::string_view lowerWord) {
    return std::search(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(),
                       [](char a, char b) { return LowerAscii(a) == b; }) != text.end();
}

bool Contains(std::string_view text, char c) {
    return text.find(c) != std::string_view::npos;
}

// The text strictly between two positions; a missing or reversed pair is the run-time error
// that taking such a substring has always been.
std::string Between(std::string_view text, std::size_t open, std::size_t close) {
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        throw RunTimeError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    }
    return std::string(text.substr(open + 1, close - open - 1));
}

// The position after `from` (npos stays npos, so a missing first mark gives a missing second).
std::size_t After(std::size_t from) {
    return from == std::string_view::npos ? from : from + 1;
}

}  // namespace

bool IsCoordSysLine(std::string_view line) {
    return ContainsIgnoringCase(line, "coordsys");
}

bool IsImageLine(std::string_view line) {
    return ContainsIgnoringCase(line, "file \"");
}

std::string ImageReferenceOf(std::string_view line) {
    const std::size_t quote = line.find('"');
    std::string reference(quote == std::string_view::npos ? std::string_view()
                                                          : line.substr(quote));
    // Removed in one pass: a line of many quotes must not cost one copy per quote.
    std::erase(reference, '"');
    return reference;
}

bool IsControlPointLine(std::string_view line) {
    return ContainsIgnoringCase(line, "label") && Contains(line, '"') && Contains(line, ',') &&
           Contains(line, '(') && Contains(line, ')');
}

ControlPointText ControlPointTextOf(std::string_view line) {
    const std::size_t open1 = line.find('(');
    const std::size_t close1 = line.find(')');
    const std::size_t open2 = line.find('(', After(open1));
    const std::size_t close2 = line.find(')', After(close1));
    ControlPointText text;
    text.map = Between(line, open1, close1);
    text.pixel = Between(line, open2, close2);
    return text;
}

std::pair<std::string, std::string> CoordinatePair(std::string_view text) {
    const std::size_t comma1 = text.find(',');
    if (comma1 == std::string_view::npos) {
        throw RunTimeError(err::SubscriptOutOfRange, "Subscript out of range");
    }
    const std::size_t comma2 = text.find(',', comma1 + 1);
    const std::size_t secondLength =
        comma2 == std::string_view::npos ? std::string_view::npos : comma2 - comma1 - 1;
    return {std::string(text.substr(0, comma1)),
            std::string(text.substr(comma1 + 1, secondLength))};
}

}  // namespace marlo
