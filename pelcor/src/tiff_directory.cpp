#include "tiff_directory.h"

namespace pelcor {

namespace {

// Whether [start, start + size) and [otherStart, otherStart + otherSize) share a byte; all values
// stay far below 2^64, so the sums cannot wrap.
bool RangesOverlap(std::uint64_t start, std::uint64_t size, std::uint64_t otherStart,
                   std::uint64_t otherSize) {
    return size > 0 && otherSize > 0 && start < otherStart + otherSize && otherStart < start + size;
}

Entry DecodeEntry(const std::uint8_t* p) {
    return Entry{LoadU16(p), LoadU16(p + 2), LoadU32(p + 4), LoadU32(p + 8)};
}

}  // namespace

std::optional<Directory> ReadFirstDirectory(const BoundedReader& reader) {
    Bytes header;
    if (!reader.Read(0, kHeaderSize, header) || LoadU32(header.data()) != kHeaderMagic) {
        return std::nullopt;
    }
    Directory directory;
    directory.offset = LoadU32(header.data() + kFirstDirectoryOffsetPosition);

    Bytes count;
    if (!reader.Read(directory.offset, 2, count)) {
        return std::nullopt;
    }
    const std::size_t entryCount = LoadU16(count.data());
    if (entryCount > kMaxEntries) {
        return std::nullopt;
    }
    Bytes body;
    if (!reader.Read(std::uint64_t{directory.offset} + 2, DirectorySize(entryCount) - 2, body)) {
        return std::nullopt;
    }
    directory.entries.reserve(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        directory.entries.push_back(DecodeEntry(body.data() + kEntrySize * i));
    }
    directory.nextOffset = LoadU32(body.data() + kEntrySize * entryCount);
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

bool HoldsDoublesWithin(const Entry& entry, std::uint64_t fileSize) {
    return entry.type == kTypeDouble &&
           FitsWithin(entry.valueOffset, std::uint64_t{entry.count} * sizeof(double), fileSize);
}

bool ValuesOverlapStructure(const Entry& entry, const Directory& directory) {
    const std::uint64_t size = std::uint64_t{entry.count} * sizeof(double);
    return RangesOverlap(entry.valueOffset, size, 0, kHeaderSize) ||
           RangesOverlap(entry.valueOffset, size, directory.offset,
                         DirectorySize(directory.entries.size()));
}

Bytes EncodeEntries(const std::vector<Entry>& entries) {
    Bytes out;
    out.reserve(kEntrySize * entries.size());
    for (const Entry& entry : entries) {
        AppendU16(out, entry.tag);
        AppendU16(out, entry.type);
        AppendU32(out, entry.count);
        AppendU32(out, entry.valueOffset);
    }
    return out;
}

Bytes EncodeDirectory(const Directory& directory) {
    Bytes out;
    AppendU16(out, static_cast<std::uint16_t>(directory.entries.size()));
    const Bytes entries = EncodeEntries(directory.entries);
    out.insert(out.end(), entries.begin(), entries.end());
    AppendU32(out, directory.nextOffset);
    return out;
}

}  // namespace pelcor
