#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bounded_reader.h"
#include "byte_order.h"

namespace pelcor {

inline constexpr std::uint16_t kTagModelPixelScale = 33550;
inline constexpr std::uint16_t kTagModelTiepoint = 33922;
inline constexpr std::uint16_t kTagModelTransformation = 34264;
inline constexpr std::uint16_t kTagGeoKeyDirectory = 34735;
inline constexpr std::uint16_t kTagGeoDoubleParams = 34736;
inline constexpr std::uint16_t kTagGeoAsciiParams = 34737;
inline constexpr std::uint16_t kTypeAscii = 2;
inline constexpr std::uint16_t kTypeShort = 3;
inline constexpr std::uint16_t kTypeDouble = 12;

// The most entries a directory may hold, including any that Pelcor adds.
inline constexpr std::size_t kMaxEntries = 1024;

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    // The entry's last field read as an offset, and its bytes as they stand, which hold the
    // values themselves when they fit.
    std::uint64_t valueOffset = 0;
    Bytes field;
};

// The first image directory of a TIFF, in either byte order, classic or BigTIFF.
struct Directory {
    TiffFormat format;
    std::uint64_t offset = 0;  // where its entry count stands
    std::vector<Entry> entries;
    std::uint64_t nextOffset = 0;  // the next image's directory, 0 for none
};

// Size in bytes of a directory with this many entries: count, entries, next-directory offset.
std::uint64_t DirectorySize(const TiffFormat& format, std::size_t entryCount);

// The first directory, or nothing when the file is no TIFF, the directory holds more than
// kMaxEntries entries, or it does not lie wholly inside the file.
std::optional<Directory> ReadFirstDirectory(const BoundedReader& reader);

// Index of the first entry carrying the tag; later duplicates are never used.
std::optional<std::size_t> FindEntry(const std::vector<Entry>& entries, std::uint16_t tag);

// Whether the entry's values stand inside the entry itself rather than at its offset.
bool ValuesInsideEntry(const TiffFormat& format, const Entry& entry);
// Whether the entry's values are `count` doubles stored inside the first fileSize bytes.
bool HoldsDoublesWithin(const TiffFormat& format, const Entry& entry, std::uint64_t fileSize);
// The values of a SHORT entry, or nothing when it is no SHORT array inside the file.
std::optional<std::vector<std::uint16_t>> ReadShorts(const BoundedReader& reader,
                                                     const Directory& directory,
                                                     const Entry& entry);
// The values of a DOUBLE entry and the text of an ASCII entry (up to its first NUL), or
// nothing when the entry is of another type or not inside the file.
std::optional<std::vector<double>> ReadDoubles(const BoundedReader& reader,
                                               const Directory& directory, const Entry& entry);
std::optional<std::string> ReadAscii(const BoundedReader& reader, const Directory& directory,
                                     const Entry& entry);
// Whether the entry's values would lie over the file header or over the directory itself.
bool ValuesOverlapStructure(const Entry& entry, const Directory& directory);
// Whether the entry's values share a byte with those of another entry of the directory, which
// a write in place would then change too.
bool ValuesOverlapOtherEntries(const Entry& entry, const Directory& directory);

// A run of bytes in the file.
struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};
// Whether any of the ranges shares a byte with the image's pixel data: its strips or tiles as
// their offsets and byte counts place them. A strip whose byte count cannot be read is taken to
// run to the end of the file. Nothing when the offsets themselves cannot be read, so nobody can
// tell where the pixels lie.
std::optional<bool> OverlapsPixelData(const BoundedReader& reader, const Directory& directory,
                                      const std::vector<ByteRange>& ranges);

enum class BlockKind { Strips, Tiles };
// Where the first of the image's strips or tiles starts (the lowest offset); nothing when the
// image has none of that kind or their offsets cannot be read.
std::optional<std::uint64_t> FirstBlockOffset(const BoundedReader& reader,
                                              const Directory& directory, BlockKind kind);

Bytes EncodeEntries(const TiffFormat& format, const std::vector<Entry>& entries);
Bytes EncodeDirectory(const Directory& directory);

}  // namespace pelcor
