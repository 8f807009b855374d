#include "platform/utf8.h"

namespace marlo::utf8 {

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the sequence a lead byte announces and the smallest code point it may carry;
// 0 for a byte that cannot start a sequence.
std::size_t SequenceLength(unsigned char lead, char32_t& smallest) {
    if (lead < 0x80) {
        smallest = 0;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        smallest = 0x80;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        smallest = 0x800;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        smallest = 0x10000;
        return 4;
    }
    return 0;
}

}  // namespace

bool NextCodePoint(std::string_view text, std::size_t& pos, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    char32_t smallest = 0;
    const std::size_t length = SequenceLength(lead, smallest);
    if (length == 0 || text.size() - pos < length) {
        ++pos;
        return false;
    }
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[pos + i]);
        if (!IsContinuation(byte)) {
            ++pos;
            return false;
        }
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += length;
    codePoint = value;
    return true;
}

bool IsValid(std::string_view text) {
    std::size_t pos = 0;
    char32_t codePoint = 0;
    while (pos < text.size()) {
        if (!NextCodePoint(text, pos, codePoint)) {
            return false;
        }
    }
    return true;
}

void Append(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

namespace {

// Capitals of Latin Extended-A stand before their small letters in pairs.
char32_t LowerCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    const bool evenUpper = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && c % 2 == 0) || (oddUpper && c % 2 == 1)) {
        return c + 1;
    }
    return c == 0x178 ? 0xFF : c;
}

constexpr char32_t kRawByteBase = 0x110000;

}  // namespace

std::u32string CaseFolded(std::string_view text) {
    std::u32string folded;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        char32_t codePoint = 0;
        folded += NextCodePoint(text, pos, codePoint)
                      ? LowerCase(codePoint)
                      : kRawByteBase + static_cast<unsigned char>(text[start]);
    }
    return folded;
}

std::u32string SearchFolded(std::string_view text) {
    constexpr std::u32string_view marked = U"ąćęłńóśźż";
    constexpr std::u32string_view plain = U"acelnoszz";
    std::u32string folded = CaseFolded(text);
    for (char32_t& c : folded) {
        if (const auto at = marked.find(c); at != std::u32string_view::npos) {
            c = plain[at];
        }
    }
    return folded;
}

}  // namespace marlo::utf8
