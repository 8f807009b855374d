#include "georeference_file.h"

#include <algorithm>
#include <span>
#include <vector>

#include "bounded_reader.h"
#include "tiff_directory.h"
#include "tiff_file.h"

namespace pelcor {

namespace {

constexpr std::uint32_t kTiepointCount = 6;
constexpr std::uint32_t kPixelScaleCount = 3;
constexpr std::uint32_t kTiepointSize = kTiepointCount * sizeof(double);
constexpr std::uint64_t kAppendedValuesSize = (kTiepointCount + kPixelScaleCount) * sizeof(double);
// Classic TIFF offsets are 32-bit: nothing Pelcor adds may end beyond this.
constexpr std::uint64_t kClassicTiffLimit = std::uint64_t{1} << 32;

// A present tag must be a DOUBLE array inside the file; an absent one reads as count 0.
bool ReadTag(const BoundedReader& reader, const Directory& directory, std::uint16_t tag,
             TagValues& out) {
    const auto index = FindEntry(directory.entries, tag);
    if (!index) {
        return true;
    }
    const Entry& entry = directory.entries[*index];
    if (!HoldsDoublesWithin(entry, reader.size())) {
        return false;
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

// Exactly one tie point and one pixel scale entry can take the values in place; any other
// combination gets a fresh pair of entries.
bool NeedsGeoEntries(const Directory& directory) {
    int found = 0;
    for (const Entry& entry : directory.entries) {
        if (entry.tag == kTagModelTiepoint || entry.tag == kTagModelPixelScale) {
            ++found;
        }
    }
    return found != 2;
}

// Keeps the directory in ascending tag order (readers warn otherwise) and puts the entry after
// any with the same tag, so the entry found first stays the one the file already had.
void InsertEntry(std::vector<Entry>& entries, const Entry& entry) {
    std::size_t position = 0;
    while (position < entries.size() && entries[position].tag <= entry.tag) {
        ++position;
    }
    for (std::size_t i = position; i < entries.size(); ++i) {
        if (entries[i].tag == entry.tag) {
            position = i + 1;
        }
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position), entry);
}

struct TagWrite {
    std::uint16_t tag = 0;
    std::vector<double> values;
};

std::vector<TagWrite> TagWritesFor(const WorldParams& world) {
    const auto asVector = [](const auto& values) {
        return std::vector<double>(values.begin(), values.end());
    };
    if (IsRotated(world)) {
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

// Works out every change a write makes, without touching the file.
class WritePlanner {
public:
    WritePlanner(const Directory& directory, std::uint64_t fileLength)
        : original_(directory), target_(directory), fileLength_(fileLength) {}

    std::optional<std::vector<Patch>> Plan(const WorldParams& world) {
        appending_ = NeedsGeoEntries(original_);
        if (appending_ && !AddGeoEntries()) {
            return std::nullopt;
        }
        std::vector<Patch> valuePatches;
        for (const TagWrite& write : TagWritesFor(world)) {
            if (!PlanTagWrite(write, valuePatches)) {
                return std::nullopt;
            }
        }
        return Assemble(std::move(valuePatches));
    }

private:
    // The new directory goes at the end of the file, behind the values of the two new entries.
    bool AddGeoEntries() {
        if (original_.entries.size() + 2 > kMaxEntries) {
            return false;
        }
        const std::uint64_t directoryOffset = fileLength_ + kAppendedValuesSize;
        const std::uint64_t newEnd = directoryOffset + DirectorySize(original_.entries.size() + 2);
        if (newEnd > kClassicTiffLimit) {
            return false;
        }
        const auto length = static_cast<std::uint32_t>(fileLength_);
        InsertEntry(target_.entries, Entry{kTagModelTiepoint, kTypeDouble, kTiepointCount, length});
        InsertEntry(target_.entries, Entry{kTagModelPixelScale, kTypeDouble, kPixelScaleCount,
                                           length + kTiepointSize});
        target_.offset = static_cast<std::uint32_t>(directoryOffset);
        return true;
    }

    // Values are written over the entry's own; an entry may shrink but never grows.
    bool PlanTagWrite(const TagWrite& write, std::vector<Patch>& patches) {
        const auto index = FindEntry(target_.entries, write.tag);
        if (!index || !TargetIsUsable(write.tag, write.values.size())) {
            return false;
        }
        Entry& entry = target_.entries[*index];
        patches.push_back({entry.valueOffset, EncodeDoubles(write.values)});
        if (entry.count > write.values.size()) {
            entry.count = static_cast<std::uint32_t>(write.values.size());
            entriesChanged_ = true;
        }
        return true;
    }

    // An entry the file already had must hold enough doubles inside the file, away from the
    // header and the directory, which a broken file could otherwise have overwritten; the first
    // entry for a tag is the file's own whenever it had one, since new ones go after it.
    bool TargetIsUsable(std::uint16_t tag, std::size_t valueCount) const {
        const auto own = FindEntry(original_.entries, tag);
        if (!own) {
            return appending_;
        }
        const Entry& entry = original_.entries[*own];
        return entry.count >= valueCount && HoldsDoublesWithin(entry, fileLength_) &&
               !ValuesOverlapStructure(entry, original_);
    }

    // The appended block goes first and the header last, so the file stays a valid TIFF if
    // writing stops half-way.
    std::vector<Patch> Assemble(std::vector<Patch> valuePatches) const {
        std::vector<Patch> patches;
        if (appending_) {
            Bytes block(kAppendedValuesSize, 0);
            const Bytes directory = EncodeDirectory(target_);
            block.insert(block.end(), directory.begin(), directory.end());
            patches.push_back({fileLength_, std::move(block)});
        }
        for (Patch& patch : valuePatches) {
            patches.push_back(std::move(patch));
        }
        if (appending_) {
            Bytes offset;
            AppendU32(offset, target_.offset);
            patches.push_back({kFirstDirectoryOffsetPosition, std::move(offset)});
        } else if (entriesChanged_) {
            patches.push_back({std::uint64_t{target_.offset} + 2, EncodeEntries(target_.entries)});
        }
        return patches;
    }

    const Directory& original_;
    Directory target_;
    std::uint64_t fileLength_;
    bool appending_ = false;
    bool entriesChanged_ = false;
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
