#include "crs/answer_cache.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <vector>

#include "platform/shared_library.h"

namespace marlo {

namespace {

// Environment variables by these prefixes steer GDAL and PROJ (data folders, GeoTIFF reading
// options, axis order): answers given under other values are other answers.
constexpr std::array<std::string_view, 5> kSettingPrefixes = {"GDAL_", "PROJ_", "OSR_", "GTIFF_",
                                                              "CPL_"};
// The libraries whose code gives the answers, by the start of their file names.
constexpr std::array<std::string_view, 4> kAnsweringLibraries = {"libmarlo_crs", "libgdal",
                                                                 "libproj", "libgeotiff"};
// The database PROJ keeps open: its own package may be upgraded without the library.
constexpr std::string_view kProjDatabase = "proj.db";

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsAnsweringFile(const std::string& path) {
    const std::string_view name = BaseName(path);
    return name == kProjDatabase ||
           std::any_of(kAnsweringLibraries.begin(), kAnsweringLibraries.end(),
                       [&](std::string_view prefix) { return name.starts_with(prefix); });
}

// Answers travel as texts: each type has its encoding, and a text that does not decode is no
// answer (it is asked again).
// A present answer after "=" (appended: GCC 12 misjudges "=" + text at -O3), none as "-".
std::string Present(const std::string& text) {
    std::string encoded(1, '=');
    encoded.append(text);
    return encoded;
}

std::string Encoded(const std::optional<std::string>& text) {
    return text ? Present(*text) : "-";
}
bool Decode(const std::string& text, std::optional<std::string>& answer) {
    if (text == "-") {
        answer.reset();
        return true;
    }
    if (text.empty() || text[0] != '=') {
        return false;
    }
    answer = text.substr(1);
    return true;
}

std::string Encoded(const std::string& text) {
    return text;
}
bool Decode(const std::string& text, std::string& answer) {
    answer = text;
    return true;
}

std::string Encoded(bool verdict) {
    return verdict ? "1" : "0";
}
bool Decode(const std::string& text, bool& answer) {
    answer = text == "1";
    return text == "1" || text == "0";
}

template <class Number>
bool DecodeNumber(std::string_view text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

std::string Encoded(const CoordinateSystemCode& code) {
    std::string encoded(1, code.geographic ? 'g' : 'p');
    return encoded.append(std::to_string(code.epsg));
}
bool Decode(const std::string& text, CoordinateSystemCode& answer) {
    if (text.empty() || (text[0] != 'g' && text[0] != 'p')) {
        return false;
    }
    answer.geographic = text[0] == 'g';
    return DecodeNumber(std::string_view(text).substr(1), answer.epsg);
}

std::string Encoded(const std::optional<AuxiliarySystem>& aux) {
    return aux ? Present(aux->axisMapping + "\n" + aux->wkt) : "-";
}
bool Decode(const std::string& text, std::optional<AuxiliarySystem>& answer) {
    std::optional<std::string> whole;
    if (!Decode(text, whole)) {
        return false;
    }
    answer.reset();
    if (whole) {
        const std::size_t end = whole->find('\n');
        if (end == std::string::npos) {
            return false;
        }
        answer = AuxiliarySystem{whole->substr(end + 1), whole->substr(0, end)};
    }
    return true;
}

// Keys as three lines: the directory's numbers, the doubles (shortest exact form), the text.
template <class Number>
std::string NumbersLine(const std::vector<Number>& numbers) {
    std::string line;
    for (const Number number : numbers) {
        std::array<char, 32> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
        line.append(line.empty() ? "" : " ").append(digits.data(), end);
    }
    return line + "\n";
}
template <class Number>
bool DecodeNumbers(std::string_view line, std::vector<Number>& numbers) {
    numbers.clear();
    while (!line.empty()) {
        const std::size_t space = std::min(line.find(' '), line.size());
        Number number{};
        if (!DecodeNumber(line.substr(0, space), number)) {
            return false;
        }
        numbers.push_back(number);
        line.remove_prefix(std::min(space + 1, line.size()));
    }
    return true;
}

std::string Encoded(const GeoKeyTags& keys) {
    return NumbersLine(keys.directory) + NumbersLine(keys.doubles) + keys.ascii;
}
bool Decode(const std::string& text, GeoKeyTags& answer) {
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    if (second == std::string::npos) {
        return false;
    }
    const std::string_view all(text);
    answer.ascii = text.substr(second + 1);
    return DecodeNumbers(all.substr(0, first), answer.directory) &&
           DecodeNumbers(all.substr(first + 1, second - first - 1), answer.doubles);
}

// The kept answer to the question of this kind, else the bridge's (`ask`), kept when
// `keepable` says it is an answer.
template <class Answer, class Ask, class Keepable>
Answer KeptOrAsked(const KeptAnswers& kept, std::string_view kind, const std::string& question,
                   Ask ask, Keepable keepable) {
    const std::string key = std::string(kind) + "\n" + question;
    if (const auto found = kept.Find(key, BridgeSettings)) {
        Answer answer{};
        if (Decode(*found, answer)) {
            return answer;
        }
    }
    Answer answer = ask();
    if (keepable(answer)) {
        kept.Keep(key, Encoded(answer), BridgeAnswerSource());
    }
    return answer;
}

template <class Answer, class Ask>
Answer KeptOrAsked(const KeptAnswers& kept, std::string_view kind, const std::string& question,
                   Ask ask) {
    return KeptOrAsked<Answer>(kept, kind, question, ask, [](const Answer&) { return true; });
}

}  // namespace

std::string BridgeSettings() {
    std::vector<std::string> settings;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view setting(*variable);
        if (std::any_of(kSettingPrefixes.begin(), kSettingPrefixes.end(),
                        [&](std::string_view prefix) { return setting.starts_with(prefix); })) {
            settings.emplace_back(setting);
        }
    }
    std::sort(settings.begin(), settings.end());
    std::string text = "bridge " + LibraryFileToLoad(kCrsBridgeLibrary) + "\n";
    for (const std::string& setting : settings) {
        text += setting + "\n";
    }
    return text;
}

AnswerSource BridgeAnswerSource() {
    AnswerSource source{{}, BridgeSettings()};
    std::vector<std::string> files = LoadedLibraryFiles();
    const std::vector<std::string> open = OpenFiles();
    files.insert(files.end(), open.begin(), open.end());
    for (const std::string& file : files) {
        if (IsAnsweringFile(file)) {
            if (auto identity = FileIdentityOf(file)) {
                source.files.push_back(std::move(*identity));
            }
        }
    }
    return source;
}

std::optional<std::string> SystemOfClause(const Environment& env, const std::string& clause) {
    return KeptOrAsked<std::optional<std::string>>(
        env.bridgeAnswers, "system of clause", clause,
        [&] { return SystemOfClause(BridgeOf(env), clause); });
}

std::optional<std::string> ClauseOfSystem(const Environment& env, const std::string& wkt) {
    return KeptOrAsked<std::optional<std::string>>(env.bridgeAnswers, "clause of system", wkt, [&] {
        return ClauseOfSystem(BridgeOf(env), wkt);
    });
}

std::optional<std::string> SystemOfDefinition(const Environment& env,
                                              const std::string& definition) {
    return KeptOrAsked<std::optional<std::string>>(
        env.bridgeAnswers, "system of definition", definition,
        [&] { return SystemOfDefinition(BridgeOf(env), definition); });
}

CoordinateSystemCode EpsgCodeOf(const Environment& env, const std::string& wkt) {
    return KeptOrAsked<CoordinateSystemCode>(env.bridgeAnswers, "EPSG code", wkt,
                                             [&] { return EpsgCodeOf(BridgeOf(env), wkt); });
}

bool SameSystem(const Environment& env, const std::string& wkt, const std::string& otherWkt) {
    return KeptOrAsked<bool>(env.bridgeAnswers, "same system", wkt + '\0' + otherWkt,
                             [&] { return SameSystem(BridgeOf(env), wkt, otherWkt); });
}

std::string SystemName(const Environment& env, const std::string& wkt) {
    return KeptOrAsked<std::string>(env.bridgeAnswers, "name", wkt,
                                    [&] { return SystemName(BridgeOf(env), wkt); });
}

std::optional<AuxiliarySystem> AuxiliaryFormOf(const Environment& env, const std::string& wkt) {
    return KeptOrAsked<std::optional<AuxiliarySystem>>(
        env.bridgeAnswers, "auxiliary form", wkt,
        [&] { return AuxiliaryFormOf(BridgeOf(env), wkt); });
}

std::optional<std::string> SystemOfGeoKeys(const Environment& env, const GeoKeyTags& keys) {
    return KeptOrAsked<std::optional<std::string>>(
        env.bridgeAnswers, "system of keys", Encoded(keys),
        [&] { return SystemOfGeoKeys(BridgeOf(env), keys); },
        [](const std::optional<std::string>& system) { return system.has_value(); });
}

GeoKeyTags GeoKeysOfSystem(const Environment& env, const std::string& wkt) {
    return KeptOrAsked<GeoKeyTags>(env.bridgeAnswers, "keys of system", wkt,
                                   [&] { return GeoKeysOfSystem(BridgeOf(env), wkt); });
}

}  // namespace marlo
