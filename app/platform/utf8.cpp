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

}  // namespace marlo::utf8
