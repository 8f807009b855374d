#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace marlo::utf8 {

// Reads the code point that starts at `pos` and moves `pos` past it. Returns false, after
// moving one byte, when the bytes there are not a well-formed UTF-8 sequence (overlong forms,
// surrogates and values above U+10FFFF included), so that callers can go on after bad input.
bool NextCodePoint(std::string_view text, std::size_t& pos, char32_t& codePoint);

// True when every byte belongs to a well-formed UTF-8 sequence.
bool IsValid(std::string_view text);

void Append(std::string& out, char32_t codePoint);

// The text's code points with every letter of Windows-1250 (ASCII, Latin-1 and Latin
// Extended-A) in lower case, for comparisons that ignore letter case. Bytes that are not UTF-8
// become values above every code point, so that they match only themselves.
std::u32string CaseFolded(std::string_view text);
// CaseFolded, and the Polish letters with their marks taken off (ł as l, ż and ź as z), so that
// a search typed without them ("uklad") finds names written with them ("układ").
std::u32string SearchFolded(std::string_view text);

}  // namespace marlo::utf8
