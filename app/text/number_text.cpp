#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "text/trimmed.h"

namespace marlo {

namespace {

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t Find(const std::string& text, const std::string& what, std::size_t from,
                 bool caseSensitive) {
    if (caseSensitive) {
        return text.find(what, from);
    }
    auto it =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), what.begin(),
                    what.end(), [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
    return it == text.end() ? std::string::npos : static_cast<std::size_t>(it - text.begin());
}

std::string ReplaceOccurrences(std::string text, const std::string& find,
                               const std::string& replacement, bool all, bool caseSensitive) {
    // Every search starts again at the beginning of the text. The text before the last
    // replacement has been searched already, so the next occurrence can begin at the earliest
    // find.size() - 1 characters before the inserted text: starting there gives the same result
    // without going over the whole text again.
    const bool replacementRecreatesFind =
        Find(replacement, find, 0, caseSensitive) != std::string::npos;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = Find(text, find, from, caseSensitive);
        if (at == std::string::npos) {
            return text;
        }
        text.replace(at, find.size(), replacement);
        if (!all) {
            return text;
        }
        // A replacement that holds what it replaces would be found again for ever; go on after
        // it instead.
        from = replacementRecreatesFind ? at + replacement.size()
                                        : (at >= find.size() - 1 ? at - (find.size() - 1) : 0);
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Parses [sign] digits [decimal-sign digits] [exponent] into C-locale text for from_chars;
// returns false when the text does not have that shape.
bool ToPlainNumber(const std::string& text, const std::string& decimalSign, std::string& plain) {
    const std::string s = Trimmed(text);
    std::size_t i = 0;
    plain.clear();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') {
            plain += '-';
        }
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        plain += s[i++];
        ++digits;
    }
    if (!decimalSign.empty() && s.compare(i, decimalSign.size(), decimalSign) == 0) {
        plain += '.';
        i += decimalSign.size();
        while (i < s.size() && IsDigit(s[i])) {
            plain += s[i++];
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            plain += s[i++];
        }
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDigit(s[i])) {
            plain += s[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

}  // namespace

std::string ReplaceString(const std::string& text, const std::string& sought,
                          const std::string& replacement, bool replaceAll, bool caseSensitive) {
    if (text.empty() || sought.empty()) {
        return text;
    }
    return ReplaceOccurrences(text, sought, replacement, replaceAll, caseSensitive);
}

std::string WithDecimalPoints(const std::string& value) {
    return ReplaceString(value, ",", ".", true, false);
}

const RegionalSettings& FileNumberSettings() {
    static const FixedRegionalSettings kFileSettings(".");
    return kFileSettings;
}

std::string FileNumberText(double value) {
    const std::string text = WithDecimalPoints(NumberText(value, FileNumberSettings()));
    // Fifteen digits can round a value near the largest double past it: such a text would not
    // read back, so it is an overflow before anything is written.
    ToDouble(text, FileNumberSettings());
    return text;
}

std::string FromFileNumberText(const std::string& text) {
    return ReplaceString(text, ",", ".", true, false);
}

std::string NumberText(double value, const RegionalSettings& regional) {
    if (!std::isfinite(value)) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    if (value == 0) {
        return "0";  // never "-0"
    }
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::general, 15);
    if (ec != std::errc()) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    std::string text(buffer.data(), end);
    std::string result;
    for (char c : text) {
        if (c == '.') {
            result += regional.DecimalSign();
        } else {
            result += (c == 'e') ? 'E' : c;
        }
    }
    return result;
}

bool IsNumeric(const std::string& text, const RegionalSettings& regional) {
    std::string plain;
    return ToPlainNumber(text, regional.DecimalSign(), plain);
}

double ToDouble(const std::string& text, const RegionalSettings& regional) {
    std::string plain;
    if (!ToPlainNumber(text, regional.DecimalSign(), plain)) {
        throw RunTimeError(err::TypeMismatch, "Type mismatch");
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec == std::errc::result_out_of_range) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    if (ec != std::errc() || end != plain.data() + plain.size()) {
        throw RunTimeError(err::TypeMismatch, "Type mismatch");
    }
    return value;
}

}  // namespace marlo
