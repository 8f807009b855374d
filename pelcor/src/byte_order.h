#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// TIFF values are decoded byte by byte in the file's own byte order, so the code means the same
// on any host.
namespace pelcor {

using Bytes = std::vector<std::uint8_t>;

// How a file lays out its numbers and its structure: "II" or "MM", classic TIFF (42) or
// BigTIFF (43), whose counts and offsets are 64-bit.
struct TiffFormat {
    bool bigEndian = false;
    bool bigTiff = false;

    std::uint64_t OffsetSize() const { return bigTiff ? 8 : 4; }
    std::uint64_t CountSize() const { return bigTiff ? 8 : 2; }
    std::uint64_t EntrySize() const { return 4 + 2 * OffsetSize(); }
    std::uint64_t FirstDirectoryOffsetPosition() const { return bigTiff ? 8 : 4; }
    // The header: byte order, version, (BigTIFF: offset size and padding), first directory.
    std::uint64_t HeaderSize() const { return bigTiff ? 16 : 8; }
    // The largest offset the format can hold.
    std::uint64_t OffsetLimit() const { return bigTiff ? UINT64_MAX : UINT32_MAX; }

    std::uint64_t Load(const std::uint8_t* p, int size) const {
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            value |= static_cast<std::uint64_t>(p[i]) << shift;
        }
        return value;
    }
    std::uint16_t LoadU16(const std::uint8_t* p) const {
        return static_cast<std::uint16_t>(Load(p, 2));
    }
    std::uint32_t LoadU32(const std::uint8_t* p) const {
        return static_cast<std::uint32_t>(Load(p, 4));
    }
    std::uint64_t LoadOffset(const std::uint8_t* p) const {
        return Load(p, static_cast<int>(OffsetSize()));
    }
    double LoadDouble(const std::uint8_t* p) const { return std::bit_cast<double>(Load(p, 8)); }

    void Append(Bytes& out, std::uint64_t value, int size) const {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            out.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    }
    void AppendU16(Bytes& out, std::uint16_t value) const { Append(out, value, 2); }
    void AppendOffset(Bytes& out, std::uint64_t value) const {
        Append(out, value, static_cast<int>(OffsetSize()));
    }
    void AppendDouble(Bytes& out, double value) const {
        Append(out, std::bit_cast<std::uint64_t>(value), 8);
    }
};

}  // namespace pelcor
