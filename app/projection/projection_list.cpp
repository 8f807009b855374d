#include "projection/projection_list.h"

#include "text/trimmed.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "crs/coordinate_systems.h"
#include "platform/utf8.h"

namespace marlo {

namespace {

constexpr const char* kHeaderMark = "---";
constexpr std::size_t kHeaderMarkSize = 3;

}  // namespace

std::vector<std::string> ReadProjectionLines(const FileSystemService& files,
                                             const std::string& path) {
    std::vector<std::string> lines;
    TextReadStream stream = files.OpenTextFileForReading(path);
    while (!stream.AtEndOfStream()) {
        lines.push_back(stream.ReadLine());
    }
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
    ProjectionEntry entry{line.substr(open + 1, close - open - 1), line.substr(parametersStart)};
    const auto mark = entry.name.rfind("\\p");
    const bool coded = mark != std::string::npos && mark + 2 < entry.name.size() &&
                       mark + 2 + 9 >= entry.name.size() &&
                       entry.name.find_first_not_of("0123456789", mark + 2) == std::string::npos;
    if (coded) {
        entry.epsg = std::stoi(entry.name.substr(mark + 2));
        entry.name.erase(mark);
    }
    return entry;
}

std::string CoordSysClause(const ProjectionEntry& entry) {
    return "CoordSys Earth Projection " + entry.parameters;
}

namespace {

// MapInfo's keywords in any letter case, with blanks between them as they come.
constexpr std::string_view kClausePrefix[] = {"coordsys", "earth", "projection"};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
    return text;
}

// Where a clause's parameters start: past "CoordSys Earth Projection", whatever its letter case
// and blanks; 0 when the text does not begin so.
std::size_t ParametersStart(const std::string& lowered) {
    std::size_t at = lowered.find_first_not_of(" \t");
    for (std::string_view keyword : kClausePrefix) {
        if (at == std::string::npos || lowered.compare(at, keyword.size(), keyword) != 0) {
            return 0;
        }
        at = lowered.find_first_not_of(" \t", at + keyword.size());
    }
    return at == std::string::npos ? lowered.size() : at;
}

// A number as clauses are compared: to six decimals, as printf's "%f" writes it. std::to_chars
// writes the same digits at a fraction of printf's cost (a run looks up a table's clause in the
// list for each of its files), and in every locale alike.
std::string NumberTerm(double value) {
    char digits[400];  // the longest double, to six decimals
    const auto [end, error] =
        std::to_chars(digits, digits + sizeof(digits), value, std::chars_format::fixed, 6);
    return std::string(digits, error == std::errc() ? end : digits);
}

// A clause's parameters one by one: numbers as numbers, anything else as its text without
// blanks, in lower case (MapInfo reads "M" as "m"); a Bounds part and what follows are not
// part of the system.
std::vector<std::string> ClauseTerms(const std::string& clause) {
    std::string text = AsciiLowered(clause);
    text = text.substr(ParametersStart(text));
    if (const auto bounds = text.find("bounds"); bounds != std::string::npos) {
        text = text.substr(0, bounds);
    }
    std::vector<std::string> terms;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        auto end = text.find(',', begin);
        end = end == std::string::npos ? text.size() : end;
        std::string term = text.substr(begin, end - begin);
        std::erase_if(term, [](char c) { return c == ' ' || c == '\t'; });
        char* parsedEnd = nullptr;
        const double value = std::strtod(term.c_str(), &parsedEnd);
        const bool number = !term.empty() && parsedEnd == term.c_str() + term.size();
        terms.push_back(number ? NumberTerm(value) : term);
        begin = end + 1;
    }
    return terms;
}

template <class Matches>
std::optional<ProjectionEntry> FirstCodedEntry(const std::vector<std::string>& lines,
                                               Matches matches) {
    for (const std::string& line : lines) {
        if (IsGroupHeader(line)) {
            continue;
        }
        const auto entry = ParseProjectionLine(line);
        if (entry && entry->epsg != 0 && matches(*entry)) {
            return entry;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<ProjectionEntry> EntryForClause(const std::vector<std::string>& lines,
                                              const std::string& coordSysLine) {
    const std::vector<std::string> wanted = ClauseTerms(coordSysLine);
    return FirstCodedEntry(lines, [&](const ProjectionEntry& entry) {
        return ClauseTerms(CoordSysClause(entry)) == wanted;
    });
}

std::optional<ProjectionEntry> EntryForCode(const std::vector<std::string>& lines,
                                            std::int32_t epsg) {
    return FirstCodedEntry(lines,
                           [epsg](const ProjectionEntry& entry) { return entry.epsg == epsg; });
}

CoordinateSystemCode SystemOf(const ProjectionEntry& entry) {
    return {ClauseTerms(entry.parameters).front() == NumberTerm(1.0), entry.epsg};
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

bool ContainsForSearch(const std::string& text, const std::string& part) {
    return utf8::SearchFolded(text).find(utf8::SearchFolded(part)) != std::u32string::npos;
}

ProjectionAliases ReadProjectionAliases(const FileSystemService& files, const std::string& folder) {
    ProjectionAliases aliases;
    const std::string path = folder + "/projection-aliases.txt";
    if (folder.empty() || !files.FileExists(path)) {
        return aliases;
    }
    for (const std::string& line : ReadProjectionLines(files, path)) {
        const auto tab = line.find('\t');
        const std::string code = tab == std::string::npos ? "" : line.substr(0, tab);
        const auto epsg = EpsgCodeNamed(code);
        if (!epsg) {
            continue;
        }
        std::size_t start = tab + 1;
        while (start <= line.size()) {
            const auto end = std::min(line.find(';', start), line.size());
            if (const std::string name = Trimmed(line.substr(start, end - start)); !name.empty()) {
                aliases[*epsg].push_back(name);
            }
            start = end + 1;
        }
    }
    return aliases;
}

namespace {

bool ParametersWhole(const std::string& parameters) {
    bool quoted = false;
    bool elementHasText = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            elementHasText = true;
        } else if (c == ',' && !quoted) {
            if (!elementHasText) {
                return false;
            }
            elementHasText = false;
        } else if (c != ' ' && c != '\t' && c != '\r') {
            elementHasText = true;
        }
    }
    return !quoted && elementHasText;
}

}  // namespace

std::string WithoutEpsgPrefix(const std::string& text) {
    const std::string query = Trimmed(text);
    if (query.size() >= 5 && ContainsIgnoringCase(query.substr(0, 5), "epsg:")) {
        return Trimmed(query.substr(5));
    }
    return query;
}

std::optional<std::int32_t> EpsgCodeNamed(const std::string& text) {
    const std::string digits = WithoutEpsgPrefix(text);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(digits);
}

std::optional<ProjectionEntry> EntryFromGdal(const GdalBridge& bridge, std::int32_t epsg) {
    constexpr std::string_view kClauseStart = "CoordSys Earth Projection ";
    const auto system = SystemOfDefinition(bridge, "EPSG:" + std::to_string(epsg));
    const auto clause = system ? ClauseOfSystem(bridge, *system) : std::nullopt;
    if (!clause || clause->rfind(kClauseStart, 0) != 0) {
        return std::nullopt;
    }
    std::string name = SystemName(bridge, *system);
    std::replace(name.begin(), name.end(), '"', '\'');
    return ProjectionEntry{name, clause->substr(kClauseStart.size()), epsg};
}

bool IsWholeProjectionList(const std::vector<std::string>& lines) {
    return std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
        const auto entry = IsGroupHeader(line) ? std::nullopt : ParseProjectionLine(line);
        return !entry || ParametersWhole(entry->parameters);
    });
}

std::vector<ListedProjection> MatchingProjections(const std::vector<std::string>& lines,
                                                  const std::string& text) {
    const std::string query = WithoutEpsgPrefix(text);
    const bool code = EpsgCodeNamed(query).has_value();
    std::vector<ListedProjection> found;
    std::string group;
    for (const std::string& line : lines) {
        if (const auto name = GroupName(line)) {
            group = Trimmed(*name);
            continue;
        }
        const auto entry = IsGroupHeader(line) ? std::nullopt : ParseProjectionLine(line);
        if (!entry) {
            continue;
        }
        const bool matches =
            code ? entry->epsg != 0 && std::to_string(entry->epsg).rfind(query, 0) == 0
                 : ContainsIgnoringCase(entry->name, query) || ContainsIgnoringCase(group, query);
        if (matches) {
            found.push_back({group, *entry});
        }
    }
    return found;
}

}  // namespace marlo
