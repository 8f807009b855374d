#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// TIFF values are decoded byte by byte, so the code means the same on any host byte order.
namespace pelcor {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t LoadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t LoadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(LoadU16(p)) |
           (static_cast<std::uint32_t>(LoadU16(p + 2)) << 16);
}

inline double LoadDouble(const std::uint8_t* p) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(LoadU32(p)) | (static_cast<std::uint64_t>(LoadU32(p + 4)) << 32);
    return std::bit_cast<double>(bits);
}

inline void AppendU16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void AppendU32(Bytes& out, std::uint32_t value) {
    AppendU16(out, static_cast<std::uint16_t>(value));
    AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline void AppendDouble(Bytes& out, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    AppendU32(out, static_cast<std::uint32_t>(bits));
    AppendU32(out, static_cast<std::uint32_t>(bits >> 32));
}

}  // namespace pelcor
