#include "tiff_directory.h"

#include <algorithm>

namespace pelcor {

namespace {

// The most values of a SHORT tag read into memory; a GeoKey directory is far smaller.
constexpr std::uint64_t kMaxShorts = 65536;

// Whether [start, start + size) and [otherStart, otherStart + otherSize) share a byte; all values
// are checked against the file's size first, so the sums cannot wrap.
bool RangesOverlap(std::uint64_t start, std::uint64_t size, std::uint64_t otherStart,
                   std::uint64_t otherSize) {
    return size > 0 && otherSize > 0 && start < otherStart + otherSize && otherStart < start + size;
}

std::uint64_t TypeSize(std::uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:
            return 1;  // BYTE, ASCII, SBYTE, UNDEFINED
        case 3:
        case 8:
            return 2;  // SHORT, SSHORT
        case 4:
        case 9:
        case 11:
        case 13:
            return 4;  // LONG, SLONG, FLOAT, IFD
        default:
            return 8;  // RATIONAL, SRATIONAL, DOUBLE, LONG8, SLONG8, IFD8
    }
}

// The byte order and layout from the header, or nothing for a file that is no TIFF.
std::optional<TiffFormat> FormatOf(const Bytes& header) {
    TiffFormat format;
    if (header[0] == 'I' && header[1] == 'I') {
        format.bigEndian = false;
    } else if (header[0] == 'M' && header[1] == 'M') {
        format.bigEndian = true;
    } else {
        return std::nullopt;
    }
    const std::uint16_t version = format.LoadU16(header.data() + 2);
    if (version == 43) {
        format.bigTiff = true;
        // BigTIFF states its offset size (8) and a reserved 0.
        if (format.LoadU16(header.data() + 4) != 8 || format.LoadU16(header.data() + 6) != 0) {
            return std::nullopt;
        }
    } else if (version != 42) {
        return std::nullopt;
    }
    return format;
}

Entry DecodeEntry(const TiffFormat& format, const std::uint8_t* p) {
    Entry entry;
    entry.tag = format.LoadU16(p);
    entry.type = format.LoadU16(p + 2);
    entry.count = format.Load(p + 4, format.bigTiff ? 8 : 4);
    const std::uint8_t* field = p + 4 + (format.bigTiff ? 8 : 4);
    entry.valueOffset = format.LoadOffset(field);
    entry.field.assign(field, field + format.OffsetSize());
    return entry;
}

}  // namespace

std::uint64_t DirectorySize(const TiffFormat& format, std::size_t entryCount) {
    return format.CountSize() + format.EntrySize() * entryCount + format.OffsetSize();
}

std::optional<Directory> ReadFirstDirectory(const BoundedReader& reader) {
    Bytes header;
    // The classic header's 8 bytes say which format the file is; a BigTIFF one is then reread.
    if (!reader.Read(0, TiffFormat{}.HeaderSize(), header)) {
        return std::nullopt;
    }
    const auto format = FormatOf(header);
    if (!format || !reader.Read(0, format->HeaderSize(), header)) {
        return std::nullopt;
    }
    Directory directory;
    directory.format = *format;
    directory.offset = format->LoadOffset(header.data() + format->FirstDirectoryOffsetPosition());

    Bytes count;
    if (!reader.Read(directory.offset, format->CountSize(), count)) {
        return std::nullopt;
    }
    const std::uint64_t entryCount = format->Load(count.data(), static_cast<int>(count.size()));
    if (entryCount > kMaxEntries) {
        return std::nullopt;
    }
    Bytes body;
    const std::uint64_t bodySize = DirectorySize(*format, entryCount) - format->CountSize();
    if (!reader.Read(directory.offset + format->CountSize(), bodySize, body)) {
        return std::nullopt;
    }
    directory.entries.reserve(entryCount);
    for (std::uint64_t i = 0; i < entryCount; ++i) {
        directory.entries.push_back(DecodeEntry(*format, body.data() + format->EntrySize() * i));
    }
    directory.nextOffset = format->LoadOffset(body.data() + format->EntrySize() * entryCount);
    return directory;
}

std::optional<std::size_t> FindEntry(const std::vector<Entry>& entries, std::uint16_t tag) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].tag == tag) {
            return i;
        }
    }
    return std::nullopt;
}

bool ValuesInsideEntry(const TiffFormat& format, const Entry& entry) {
    const std::uint64_t size = TypeSize(entry.type);
    return entry.count <= format.OffsetSize() / size;
}

bool HoldsDoublesWithin(const TiffFormat& format, const Entry& entry, std::uint64_t fileSize) {
    return entry.type == kTypeDouble && entry.count <= fileSize / sizeof(double) &&
           !ValuesInsideEntry(format, entry) &&
           FitsWithin(entry.valueOffset, entry.count * sizeof(double), fileSize);
}

namespace {

// The bytes of an entry's values, when it is of `type` and holds at most maxCount of them
// inside the file.
std::optional<Bytes> ValueBytes(const BoundedReader& reader, const Directory& directory,
                                const Entry& entry, std::uint16_t type, std::uint64_t maxCount) {
    if (entry.type != type || entry.count > maxCount) {
        return std::nullopt;
    }
    if (ValuesInsideEntry(directory.format, entry)) {
        return Bytes(entry.field.begin(), entry.field.begin() + static_cast<std::ptrdiff_t>(
                                                                    entry.count * TypeSize(type)));
    }
    Bytes bytes;
    if (!reader.Read(entry.valueOffset, entry.count * TypeSize(type), bytes)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::vector<std::uint16_t>> ReadShorts(const BoundedReader& reader,
                                                     const Directory& directory,
                                                     const Entry& entry) {
    const auto bytes = ValueBytes(reader, directory, entry, kTypeShort, kMaxShorts);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> values;
    for (std::uint64_t i = 0; i < entry.count; ++i) {
        values.push_back(directory.format.LoadU16(bytes->data() + 2 * i));
    }
    return values;
}

std::optional<std::vector<double>> ReadDoubles(const BoundedReader& reader,
                                               const Directory& directory, const Entry& entry) {
    const auto bytes = ValueBytes(reader, directory, entry, kTypeDouble, kMaxShorts);
    if (!bytes) {
        return std::nullopt;
    }
    std::vector<double> values;
    for (std::uint64_t i = 0; i < entry.count; ++i) {
        values.push_back(directory.format.LoadDouble(bytes->data() + sizeof(double) * i));
    }
    return values;
}

std::optional<std::string> ReadAscii(const BoundedReader& reader, const Directory& directory,
                                     const Entry& entry) {
    const auto bytes = ValueBytes(reader, directory, entry, kTypeAscii, kMaxShorts);
    if (!bytes) {
        return std::nullopt;
    }
    std::string text(bytes->begin(), bytes->end());
    // The text ends at its first NUL, which TIFF puts at its end.
    return text.substr(0, text.find('\0'));
}

bool ValuesOverlapStructure(const Entry& entry, const Directory& directory) {
    const std::uint64_t size = entry.count * TypeSize(entry.type);
    return RangesOverlap(entry.valueOffset, size, 0, directory.format.HeaderSize()) ||
           RangesOverlap(entry.valueOffset, size, directory.offset,
                         DirectorySize(directory.format, directory.entries.size()));
}

bool ValuesOverlapOtherEntries(const Entry& entry, const Directory& directory) {
    const std::uint64_t size = entry.count * TypeSize(entry.type);
    for (const Entry& other : directory.entries) {
        if (&other == &entry || ValuesInsideEntry(directory.format, other) ||
            other.count > UINT64_MAX / 8) {
            continue;
        }
        const std::uint64_t otherSize = other.count * TypeSize(other.type);
        if (other.valueOffset <= UINT64_MAX - otherSize &&
            RangesOverlap(entry.valueOffset, size, other.valueOffset, otherSize)) {
            return true;
        }
    }
    return false;
}

namespace {

constexpr std::uint16_t kTagStripOffsets = 273;
constexpr std::uint16_t kTagStripByteCounts = 279;
constexpr std::uint16_t kTagTileOffsets = 324;
constexpr std::uint16_t kTagTileByteCounts = 325;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint16_t kTypeLong8 = 16;

// The values of an unsigned integer array (SHORT, LONG or LONG8) inside the file; each value
// takes at least two of the file's bytes, so the count is bounded by the file's size.
std::optional<std::vector<std::uint64_t>> ReadUnsigneds(const BoundedReader& reader,
                                                        const Directory& directory,
                                                        const Entry& entry) {
    if (entry.type != kTypeShort && entry.type != kTypeLong && entry.type != kTypeLong8) {
        return std::nullopt;
    }
    const auto bytes = ValueBytes(reader, directory, entry, entry.type, reader.size());
    if (!bytes) {
        return std::nullopt;
    }
    const auto size = static_cast<int>(TypeSize(entry.type));
    std::vector<std::uint64_t> values;
    values.reserve(entry.count);
    for (std::uint64_t i = 0; i < entry.count; ++i) {
        values.push_back(directory.format.Load(bytes->data() + size * i, size));
    }
    return values;
}

bool OverlapsAny(const std::vector<ByteRange>& ranges, std::uint64_t start, std::uint64_t size) {
    return std::any_of(ranges.begin(), ranges.end(), [&](const ByteRange& range) {
        return RangesOverlap(range.offset, range.size, start, size);
    });
}

// Whether the ranges touch the data that one offsets/byte-counts pair places.
std::optional<bool> OverlapsBlocks(const BoundedReader& reader, const Directory& directory,
                                   std::uint16_t offsetsTag, std::uint16_t countsTag,
                                   const std::vector<ByteRange>& ranges) {
    const auto offsetsIndex = FindEntry(directory.entries, offsetsTag);
    if (!offsetsIndex) {
        return false;
    }
    const auto offsets = ReadUnsigneds(reader, directory, directory.entries[*offsetsIndex]);
    if (!offsets) {
        return std::nullopt;
    }
    const auto countsIndex = FindEntry(directory.entries, countsTag);
    const auto counts = countsIndex
                            ? ReadUnsigneds(reader, directory, directory.entries[*countsIndex])
                            : std::nullopt;
    const std::uint64_t fileSize = reader.size();
    for (std::size_t i = 0; i < offsets->size(); ++i) {
        const std::uint64_t start = std::min((*offsets)[i], fileSize);
        const bool counted = counts && i < counts->size();
        // Ranges lie within the file or just past its end (an append), so clipping a block to
        // one byte past the file keeps every overlap and avoids overflow.
        const std::uint64_t room = fileSize + 1 - start;
        const std::uint64_t size = counted ? std::min((*counts)[i], room) : fileSize - start;
        if (OverlapsAny(ranges, start, size)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<bool> OverlapsPixelData(const BoundedReader& reader, const Directory& directory,
                                      const std::vector<ByteRange>& ranges) {
    const auto strips =
        OverlapsBlocks(reader, directory, kTagStripOffsets, kTagStripByteCounts, ranges);
    const auto tiles =
        OverlapsBlocks(reader, directory, kTagTileOffsets, kTagTileByteCounts, ranges);
    if (!strips || !tiles) {
        return std::nullopt;
    }
    return *strips || *tiles;
}

std::optional<std::uint64_t> FirstBlockOffset(const BoundedReader& reader,
                                              const Directory& directory, BlockKind kind) {
    const auto index =
        FindEntry(directory.entries, kind == BlockKind::Tiles ? kTagTileOffsets : kTagStripOffsets);
    if (!index) {
        return std::nullopt;
    }
    const auto offsets = ReadUnsigneds(reader, directory, directory.entries[*index]);
    if (!offsets || offsets->empty()) {
        return std::nullopt;
    }
    return *std::min_element(offsets->begin(), offsets->end());
}

Bytes EncodeEntries(const TiffFormat& format, const std::vector<Entry>& entries) {
    Bytes out;
    out.reserve(format.EntrySize() * entries.size());
    for (const Entry& entry : entries) {
        format.AppendU16(out, entry.tag);
        format.AppendU16(out, entry.type);
        format.Append(out, entry.count, format.bigTiff ? 8 : 4);
        // A field whose values stand inside it is kept byte for byte.
        if (entry.field.size() == format.OffsetSize() && ValuesInsideEntry(format, entry)) {
            out.insert(out.end(), entry.field.begin(), entry.field.end());
        } else {
            format.AppendOffset(out, entry.valueOffset);
        }
    }
    return out;
}

Bytes EncodeDirectory(const Directory& directory) {
    const TiffFormat& format = directory.format;
    Bytes out;
    format.Append(out, directory.entries.size(), static_cast<int>(format.CountSize()));
    const Bytes entries = EncodeEntries(format, directory.entries);
    out.insert(out.end(), entries.begin(), entries.end());
    format.AppendOffset(out, directory.nextOffset);
    return out;
}

}  // namespace pelcor
