#include "georeference_file.h"

#include <algorithm>
#include <span>
#include <vector>

#include "bounded_reader.h"
#include "tiff_directory.h"
#include "tiff_file.h"

namespace pelcor {

namespace {

// Classic TIFF offsets are 32-bit: nothing Pelcor adds may end beyond this.
constexpr std::uint64_t kClassicTiffLimit = std::uint64_t{1} << 32;

// A tag counts only as a DOUBLE array inside the file; one that is absent or unusable reads as
// count 0, as GDAL reads it. False only when the file cannot be read.
bool ReadTag(const BoundedReader& reader, const Directory& directory, std::uint16_t tag,
             TagValues& out) {
    const auto index = FindEntry(directory.entries, tag);
    if (!index) {
        return true;
    }
    const Entry& entry = directory.entries[*index];
    if (!HoldsDoublesWithin(entry, reader.size())) {
        return true;
    }
    const std::uint32_t kept = std::min(entry.count, TagValues::kMaxKept);
    Bytes bytes;
    if (!reader.Read(entry.valueOffset, std::uint64_t{kept} * sizeof(double), bytes)) {
        return false;
    }
    out.count = entry.count;
    for (std::uint32_t i = 0; i < kept; ++i) {
        out.values[i] = LoadDouble(bytes.data() + i * sizeof(double));
    }
    return true;
}

std::optional<GeoTags> ReadGeoTags(const BoundedReader& reader, const Directory& directory) {
    GeoTags tags;
    if (!ReadTag(reader, directory, kTagModelTiepoint, tags.tiepoint) ||
        !ReadTag(reader, directory, kTagModelPixelScale, tags.pixelScale) ||
        !ReadTag(reader, directory, kTagModelTransformation, tags.transformation)) {
        return std::nullopt;
    }
    return tags;
}

bool IsGeoreferenceTag(std::uint16_t tag) {
    return tag == kTagModelPixelScale || tag == kTagModelTiepoint || tag == kTagModelTransformation;
}

// Keeps the directory in ascending tag order (readers warn otherwise).
void InsertEntry(std::vector<Entry>& entries, const Entry& entry) {
    std::size_t position = 0;
    while (position < entries.size() && entries[position].tag <= entry.tag) {
        ++position;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position), entry);
}

struct TagWrite {
    std::uint16_t tag = 0;
    std::vector<double> values;
};

// The tags that hold the georeference, in ascending tag order.
std::vector<TagWrite> TagWritesFor(const WorldParams& world) {
    const auto asVector = [](const auto& values) {
        return std::vector<double>(values.begin(), values.end());
    };
    if (NeedsMatrix(world)) {
        return {{kTagModelTransformation, asVector(TransformationValues(world))}};
    }
    return {{kTagModelPixelScale, asVector(PixelScaleValues(world))},
            {kTagModelTiepoint, asVector(TiepointValues(world))}};
}

Bytes EncodeDoubles(std::span<const double> values) {
    Bytes out;
    for (double value : values) {
        AppendDouble(out, value);
    }
    return out;
}

// Works out every change a write makes, without touching the file. Afterwards the directory
// holds exactly the tags of one georeference, so every reader finds the same one: the values
// go in place when the file holds exactly those tags, once each and usable; otherwise the
// values and a new directory without the old georeference tags are appended.
class WritePlanner {
public:
    WritePlanner(const Directory& directory, std::uint64_t fileLength)
        : directory_(directory), fileLength_(fileLength) {}

    std::optional<std::vector<Patch>> Plan(const WorldParams& world) {
        if (!PlacesAnImage(world)) {
            return std::nullopt;
        }
        const std::vector<TagWrite> writes = TagWritesFor(world);
        if (CanWriteInPlace(writes)) {
            return InPlace(writes);
        }
        return Appended(writes);
    }

private:
    bool CanWriteInPlace(const std::vector<TagWrite>& writes) const {
        std::size_t georeferenceEntries = 0;
        for (const Entry& entry : directory_.entries) {
            georeferenceEntries += IsGeoreferenceTag(entry.tag) ? 1 : 0;
        }
        if (georeferenceEntries != writes.size()) {
            return false;
        }
        for (const TagWrite& write : writes) {
            const auto index = FindEntry(directory_.entries, write.tag);
            if (!index || !TakesValuesInPlace(directory_.entries[*index], write.values.size())) {
                return false;
            }
        }
        return true;
    }

    // An entry the file already has must hold enough doubles inside the file, away from the
    // header and the directory, which a broken file could otherwise have overwritten.
    bool TakesValuesInPlace(const Entry& entry, std::size_t valueCount) const {
        return entry.count >= valueCount && HoldsDoublesWithin(entry, fileLength_) &&
               !ValuesOverlapStructure(entry, directory_);
    }

    // Values are written over the entry's own; an entry may shrink but never grows.
    std::vector<Patch> InPlace(const std::vector<TagWrite>& writes) const {
        Directory target = directory_;
        bool entriesChanged = false;
        std::vector<Patch> patches;
        for (const TagWrite& write : writes) {
            Entry& entry = target.entries[*FindEntry(target.entries, write.tag)];
            patches.push_back({entry.valueOffset, EncodeDoubles(write.values)});
            if (entry.count > write.values.size()) {
                entry.count = static_cast<std::uint32_t>(write.values.size());
                entriesChanged = true;
            }
        }
        if (entriesChanged) {
            patches.push_back({std::uint64_t{target.offset} + 2, EncodeEntries(target.entries)});
        }
        return patches;
    }

    // The block starts on a word boundary, as TIFF requires of values and directories; it goes
    // first and the header last, so the file stays a valid TIFF if writing stops half-way.
    std::optional<std::vector<Patch>> Appended(const std::vector<TagWrite>& writes) const {
        const std::uint64_t start = fileLength_ + fileLength_ % 2;
        Directory target = directory_;
        std::erase_if(target.entries, [](const Entry& e) { return IsGeoreferenceTag(e.tag); });
        Bytes block(start - fileLength_, 0);
        for (const TagWrite& write : writes) {
            const std::uint64_t valueOffset = fileLength_ + block.size();
            const Bytes values = EncodeDoubles(write.values);
            block.insert(block.end(), values.begin(), values.end());
            InsertEntry(target.entries, Entry{write.tag, kTypeDouble,
                                              static_cast<std::uint32_t>(write.values.size()),
                                              static_cast<std::uint32_t>(valueOffset)});
        }
        const std::uint64_t directoryOffset = fileLength_ + block.size();
        const std::uint64_t newEnd = directoryOffset + DirectorySize(target.entries.size());
        if (target.entries.size() > kMaxEntries || newEnd > kClassicTiffLimit) {
            return std::nullopt;
        }
        target.offset = static_cast<std::uint32_t>(directoryOffset);
        const Bytes directory = EncodeDirectory(target);
        block.insert(block.end(), directory.begin(), directory.end());
        Bytes offset;
        AppendU32(offset, target.offset);
        return std::vector<Patch>{{fileLength_, std::move(block)},
                                  {kFirstDirectoryOffsetPosition, std::move(offset)}};
    }

    const Directory& directory_;
    std::uint64_t fileLength_;
};

}  // namespace

std::optional<WorldParams> ReadGeoreference(const char* path) {
    const FileHandle file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    const BoundedReader reader(file.get());
    const auto directory = ReadFirstDirectory(reader);
    if (!directory) {
        return std::nullopt;
    }
    const auto tags = ReadGeoTags(reader, *directory);
    if (!tags) {
        return std::nullopt;
    }
    return WorldFromTags(*tags);
}

bool WriteGeoreference(const char* path, const WorldParams& world) {
    FileHandle file = OpenForUpdate(path);
    if (!file) {
        return false;
    }
    const BoundedReader reader(file.get());
    const auto directory = ReadFirstDirectory(reader);
    if (!directory) {
        return false;
    }
    const auto patches = WritePlanner(*directory, reader.size()).Plan(world);
    if (!patches) {
        return false;
    }
    return ApplyPatchesAndClose(std::move(file), *patches);
}

}  // namespace pelcor
