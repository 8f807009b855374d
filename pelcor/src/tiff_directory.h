#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "bounded_reader.h"
#include "little_endian.h"

namespace pelcor {

inline constexpr std::uint16_t kTagModelPixelScale = 33550;
inline constexpr std::uint16_t kTagModelTiepoint = 33922;
inline constexpr std::uint16_t kTagModelTransformation = 34264;
inline constexpr std::uint16_t kTypeDouble = 12;

inline constexpr std::uint32_t kHeaderMagic = 0x002A4949;  // "II", 42, 0
inline constexpr std::uint64_t kFirstDirectoryOffsetPosition = 4;
inline constexpr std::uint64_t kHeaderSize = 8;
inline constexpr std::uint64_t kEntrySize = 12;
// The most entries a directory may hold, including any that Pelcor adds.
inline constexpr std::size_t kMaxEntries = 1024;

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t valueOffset = 0;
};

// The first image directory of a classic little-endian TIFF.
struct Directory {
    std::uint32_t offset = 0;  // where its entry count stands
    std::vector<Entry> entries;
    std::uint32_t nextOffset = 0;  // the next image's directory, 0 for none
};

// Size in bytes of a directory with this many entries: count, entries, next-directory offset.
inline std::uint64_t DirectorySize(std::size_t entryCount) {
    return 2 + kEntrySize * entryCount + 4;
}

// The first directory, or nothing when the file is not a little-endian classic TIFF, the
// directory holds more than kMaxEntries entries, or it does not lie wholly inside the file.
std::optional<Directory> ReadFirstDirectory(const BoundedReader& reader);

// Index of the first entry carrying the tag; later duplicates are never used.
std::optional<std::size_t> FindEntry(const std::vector<Entry>& entries, std::uint16_t tag);

// Whether the entry's values are count doubles stored inside the first fileSize bytes.
bool HoldsDoublesWithin(const Entry& entry, std::uint64_t fileSize);

// Whether the entry's values would lie over the file header or over the directory itself.
bool ValuesOverlapStructure(const Entry& entry, const Directory& directory);

Bytes EncodeEntries(const std::vector<Entry>& entries);
Bytes EncodeDirectory(const Directory& directory);

}  // namespace pelcor
