#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

namespace pelcor {

// Seeks and tells with 64-bit offsets on every platform the library is built for.
bool SeekTo(std::FILE* file, std::uint64_t offset);
// The file's length, leaving the position at its end.
std::optional<std::uint64_t> LengthOf(std::FILE* file);

}  // namespace pelcor
