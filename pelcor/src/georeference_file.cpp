#include "georeference_file.h"

#include <algorithm>
#include <span>
#include <vector>

#include "bounded_reader.h"
#include "file_layout.h"
#include "tiff_directory.h"
#include "tiff_file.h"

namespace pelcor {

namespace {

// Offsets, values and directories begin on a word boundary, as TIFF requires.
constexpr std::uint64_t kWordSize = 2;
// A crash-safe append starts on an 8-byte boundary, which suits the offsets of either format.
constexpr std::uint64_t kCrashSafeAlignment = 8;

// A tag counts only as a DOUBLE array inside the file; one that is absent or unusable reads as
// count 0, as GDAL reads it. False only when the file cannot be read.
bool ReadTag(const BoundedReader& reader, const Directory& directory, std::uint16_t tag,
             TagValues& out) {
    const auto index = FindEntry(directory.entries, tag);
    if (!index) {
        return true;
    }
    const Entry& entry = directory.entries[*index];
    if (!HoldsDoublesWithin(directory.format, entry, reader.size())) {
        return true;
    }
    const auto kept =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(entry.count, TagValues::kMaxKept));
    Bytes bytes;
    if (!reader.Read(entry.valueOffset, std::uint64_t{kept} * sizeof(double), bytes)) {
        return false;
    }
    out.count = static_cast<std::uint32_t>(std::min<std::uint64_t>(entry.count, UINT32_MAX));
    for (std::uint32_t i = 0; i < kept; ++i) {
        out.values[i] = directory.format.LoadDouble(bytes.data() + i * sizeof(double));
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

// The file's GeoKeys; nothing when it has none or they are unusable.
std::optional<GeoKeys> ReadGeoKeys(const BoundedReader& reader, const Directory& directory) {
    const auto index = FindEntry(directory.entries, kTagGeoKeyDirectory);
    if (!index) {
        return std::nullopt;
    }
    const auto values = ReadShorts(reader, directory, directory.entries[*index]);
    return values ? ParseGeoKeys(*values) : std::nullopt;
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

// One tag's new values, already in the file's byte order.
struct TagWrite {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    Bytes bytes;
};

TagWrite DoublesWrite(const TiffFormat& format, std::uint16_t tag, std::span<const double> values) {
    TagWrite write{tag, kTypeDouble, values.size(), {}};
    for (double value : values) {
        format.AppendDouble(write.bytes, value);
    }
    return write;
}

TagWrite ShortsWrite(const TiffFormat& format, std::uint16_t tag,
                     const std::vector<std::uint16_t>& values) {
    TagWrite write{tag, kTypeShort, values.size(), {}};
    for (std::uint16_t value : values) {
        format.AppendU16(write.bytes, value);
    }
    return write;
}

TagWrite AsciiWrite(std::uint16_t tag, const std::string& text) {
    TagWrite write{tag, kTypeAscii, text.size() + 1, Bytes(text.begin(), text.end())};
    write.bytes.push_back(0);
    return write;
}

// The tags that hold the georeference, in ascending tag order.
std::vector<TagWrite> GeoreferenceWrites(const TiffFormat& format, const WorldParams& world,
                                         TieAt tieAt) {
    if (NeedsMatrix(world)) {
        return {DoublesWrite(format, kTagModelTransformation, TransformationValues(world, tieAt))};
    }
    return {DoublesWrite(format, kTagModelPixelScale, PixelScaleValues(world)),
            DoublesWrite(format, kTagModelTiepoint, TiepointValues(world, tieAt))};
}

TieAt TieOf(const std::optional<GeoKeys>& keys) {
    const bool point = keys && KeyValue(*keys, kKeyRasterType) == kRasterPixelIsPoint;
    return point ? TieAt::PixelCentre : TieAt::OuterCorner;
}

// The GeoKey tags a write sets, and the ones it removes: an unkeyed write leaves the keys
// alone; a keyed one declares PixelIsPoint in the file's own keys, or replaces them whole.
struct KeyTags {
    std::vector<TagWrite> writes;
    std::vector<std::uint16_t> removed;
    TieAt tieAt = TieAt::OuterCorner;
};

std::optional<KeyTags> KeyTagsFor(const TiffFormat& format, const std::optional<GeoKeys>& existing,
                                  const KeyWrite& keys) {
    KeyTags tags;
    if (keys.replacement && keys.replacement->directory.empty()) {
        // No keys at all: a file that states no system, read as the GeoTIFF default has it.
        tags.removed = {kTagGeoKeyDirectory, kTagGeoDoubleParams, kTagGeoAsciiParams};
        tags.tieAt = TieAt::OuterCorner;
    } else if (keys.replacement) {
        const RawGeoKeys& raw = *keys.replacement;
        if (!IsConsistent(raw)) {
            return std::nullopt;
        }
        tags.writes.push_back(
            ShortsWrite(format, kTagGeoKeyDirectory, DeclarePixelIsPoint(raw.directory)));
        if (!raw.doubles.empty()) {
            tags.writes.push_back(DoublesWrite(format, kTagGeoDoubleParams, raw.doubles));
        }
        if (!raw.ascii.empty()) {
            tags.writes.push_back(AsciiWrite(kTagGeoAsciiParams, raw.ascii));
        }
        tags.removed = {kTagGeoDoubleParams, kTagGeoAsciiParams};
        tags.tieAt = TieAt::PixelCentre;
    } else if (keys.declarePixelIsPoint) {
        tags.writes.push_back(ShortsWrite(format, kTagGeoKeyDirectory,
                                          EncodeGeoKeys(KeysForWrite(existing, keys.system))));
        tags.tieAt = TieAt::PixelCentre;
    } else {
        tags.tieAt = TieOf(existing);
    }
    return tags;
}

// Works out every change a write makes, without touching the file. Afterwards the directory
// holds exactly the tags of one georeference, so every reader finds the same one: the values
// go in place when the file holds exactly those tags, once each and usable; otherwise the
// values and a new directory without the replaced tags are appended.
class WritePlanner {
public:
    WritePlanner(const Directory& directory, std::uint64_t fileLength,
                 std::vector<std::uint16_t> removed, WriteMode mode)
        : directory_(directory),
          fileLength_(fileLength),
          removed_(std::move(removed)),
          mode_(mode) {}

    std::optional<std::vector<Patch>> Plan(std::vector<TagWrite> writes) const {
        if (mode_ == WriteMode::Update && CanWriteInPlace(writes)) {
            return InPlace(writes);
        }
        return Appended(writes);
    }

private:
    bool IsReplaced(std::uint16_t tag, const std::vector<TagWrite>& writes) const {
        return IsGeoreferenceTag(tag) ||
               std::find(removed_.begin(), removed_.end(), tag) != removed_.end() ||
               std::any_of(writes.begin(), writes.end(),
                           [tag](const auto& w) { return w.tag == tag; });
    }

    bool CanWriteInPlace(const std::vector<TagWrite>& writes) const {
        std::size_t replaced = 0;
        for (const Entry& entry : directory_.entries) {
            replaced += IsReplaced(entry.tag, writes) ? 1 : 0;
        }
        if (replaced != writes.size()) {
            return false;
        }
        return std::all_of(writes.begin(), writes.end(), [this](const TagWrite& write) {
            const auto index = FindEntry(directory_.entries, write.tag);
            return index && TakesValuesInPlace(directory_.entries[*index], write);
        });
    }

    // An entry the file already has must be of the same type and hold enough values at an
    // offset inside the file, away from the header and the directory, which a broken file
    // could otherwise have overwritten.
    bool TakesValuesInPlace(const Entry& entry, const TagWrite& write) const {
        const TiffFormat& format = directory_.format;
        return entry.type == write.type && entry.count >= write.count &&
               !ValuesInsideEntry(format, entry) &&
               FitsWithin(entry.valueOffset, write.bytes.size(), fileLength_) &&
               entry.count <= fileLength_ && !ValuesOverlapStructure(entry, directory_) &&
               !ValuesOverlapOtherEntries(entry, directory_);
    }

    // Values are written over the entry's own; an entry may shrink but never grows.
    std::vector<Patch> InPlace(const std::vector<TagWrite>& writes) const {
        Directory target = directory_;
        bool entriesChanged = false;
        std::vector<Patch> patches;
        for (const TagWrite& write : writes) {
            Entry& entry = target.entries[*FindEntry(target.entries, write.tag)];
            patches.push_back({entry.valueOffset, write.bytes});
            if (entry.count > write.count) {
                entry.count = write.count;
                entriesChanged = true;
            }
        }
        if (entriesChanged) {
            const TiffFormat& format = target.format;
            patches.push_back(
                {target.offset + format.CountSize(), EncodeEntries(format, target.entries)});
        }
        return patches;
    }

    // The block starts on a word boundary; it goes first and the header last, so the file
    // stays a valid TIFF if writing stops half-way.
    std::optional<std::vector<Patch>> Appended(const std::vector<TagWrite>& writes) const {
        const TiffFormat& format = directory_.format;
        Directory target = directory_;
        std::erase_if(target.entries, [&](const Entry& e) { return IsReplaced(e.tag, writes); });
        const std::uint64_t alignment =
            mode_ == WriteMode::CrashSafe ? kCrashSafeAlignment : kWordSize;
        Bytes block((alignment - fileLength_ % alignment) % alignment, 0);
        for (const TagWrite& write : writes) {
            if (write.bytes.size() <= format.OffsetSize()) {
                // Values that fit in the entry's own field must stand there.
                Bytes field = write.bytes;
                field.resize(format.OffsetSize(), 0);
                InsertEntry(target.entries, Entry{write.tag, write.type, write.count, 0, field});
                continue;
            }
            InsertEntry(target.entries,
                        Entry{write.tag, write.type, write.count, fileLength_ + block.size(), {}});
            block.insert(block.end(), write.bytes.begin(), write.bytes.end());
            block.resize(block.size() + (fileLength_ + block.size()) % kWordSize, 0);
        }
        const std::uint64_t directoryOffset = fileLength_ + block.size();
        const std::uint64_t newEnd = directoryOffset + DirectorySize(format, target.entries.size());
        if (target.entries.size() > kMaxEntries || newEnd > format.OffsetLimit()) {
            return std::nullopt;
        }
        target.offset = directoryOffset;
        const Bytes directory = EncodeDirectory(target);
        block.insert(block.end(), directory.begin(), directory.end());
        Bytes offset;
        format.AppendOffset(offset, target.offset);
        return std::vector<Patch>{{fileLength_, std::move(block)},
                                  {format.FirstDirectoryOffsetPosition(), std::move(offset)}};
    }

    const Directory& directory_;
    std::uint64_t fileLength_;
    std::vector<std::uint16_t> removed_;
    WriteMode mode_;
};

// Whether no patch touches the image's strips or tiles: a crafted file may point its tag values
// into its own pixels, which a write in place would then overwrite.
bool SparesPixelData(const BoundedReader& reader, const Directory& directory,
                     const std::vector<Patch>& patches) {
    std::vector<ByteRange> ranges;
    for (const Patch& patch : patches) {
        ranges.push_back({patch.offset, patch.bytes.size()});
    }
    return OverlapsPixelData(reader, directory, ranges) == false;
}

// Every change a write makes, or nothing when it is refused.
std::optional<std::vector<Patch>> PlannedWrite(const BoundedReader& reader,
                                               const Directory& directory, const WorldParams& world,
                                               const KeyWrite& keys, WriteMode mode) {
    if (mode == WriteMode::CrashSafe && KeepsDirectoriesFirst(reader, directory)) {
        return std::nullopt;
    }
    auto keyTags = KeyTagsFor(directory.format, ReadGeoKeys(reader, directory), keys);
    if (!keyTags) {
        return std::nullopt;
    }
    std::vector<TagWrite> writes = GeoreferenceWrites(directory.format, world, keyTags->tieAt);
    for (TagWrite& write : keyTags->writes) {
        writes.push_back(std::move(write));
    }
    auto planned =
        WritePlanner(directory, reader.size(), keyTags->removed, mode).Plan(std::move(writes));
    if (!planned || !SparesPixelData(reader, directory, *planned)) {
        return std::nullopt;
    }
    return planned;
}

template <class Use>
auto WithFirstDirectory(const FileHandle& file, Use use)
    -> decltype(use(std::declval<const BoundedReader&>(), std::declval<const Directory&>())) {
    const BoundedReader reader(file.get());
    const auto directory = ReadFirstDirectory(reader);
    if (!directory) {
        return std::nullopt;
    }
    return use(reader, *directory);
}

}  // namespace

std::optional<WorldParams> ReadGeoreference(const char* path) {
    const FileHandle file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    return WithFirstDirectory(file, [](const BoundedReader& reader, const Directory& directory) {
        const auto tags = ReadGeoTags(reader, directory);
        return tags ? WorldFromTags(*tags, TieOf(ReadGeoKeys(reader, directory))) : std::nullopt;
    });
}

std::optional<GeoreferenceKind> ReadGeoreferenceKind(const char* path) {
    const FileHandle file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    return WithFirstDirectory(file, [](const BoundedReader& reader, const Directory& directory) {
        const auto tags = ReadGeoTags(reader, directory);
        return tags ? std::optional<GeoreferenceKind>(KindOfTags(*tags)) : std::nullopt;
    });
}

std::optional<KeyInfo> ReadKeyInfo(const char* path) {
    const FileHandle file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    return WithFirstDirectory(file, [](const BoundedReader& reader, const Directory& directory) {
        const auto keys = ReadGeoKeys(reader, directory);
        KeyInfo info;
        if (keys) {
            info.rasterType = KeyValue(*keys, kKeyRasterType).value_or(kRasterPixelIsArea);
            info.modelType = KeyValue(*keys, kKeyModelType).value_or(0);
            const std::uint16_t codeKey =
                info.modelType == kModelGeographic ? kKeyGeographicType : kKeyProjectedType;
            info.epsg = KeyValue(*keys, codeKey).value_or(0);
            if (info.epsg == kUserDefined) {
                info.epsg = 0;
            }
        }
        return std::optional<KeyInfo>(info);
    });
}

std::optional<RawGeoKeys> ReadRawGeoKeys(const char* path) {
    const FileHandle file = OpenForReading(path);
    if (!file) {
        return std::nullopt;
    }
    return WithFirstDirectory(file, [](const BoundedReader& reader, const Directory& directory) {
        RawGeoKeys raw;
        const auto read = [&](std::uint16_t tag, auto reading, auto& out) {
            if (const auto index = FindEntry(directory.entries, tag)) {
                out = reading(reader, directory, directory.entries[*index]).value_or(out);
            }
        };
        read(kTagGeoKeyDirectory, ReadShorts, raw.directory);
        read(kTagGeoDoubleParams, ReadDoubles, raw.doubles);
        read(kTagGeoAsciiParams, ReadAscii, raw.ascii);
        if (!raw.directory.empty() && !ParseGeoKeys(raw.directory)) {
            raw = {};
        }
        return std::optional<RawGeoKeys>(raw);
    });
}

std::optional<CrashSafeBlocker> CrashSafeBlockerOf(const char* path) {
    const FileHandle file = OpenForUpdate(path);
    if (!file) {
        return std::nullopt;
    }
    return WithFirstDirectory(file, [&](const BoundedReader& reader, const Directory& directory) {
        if (KeepsDirectoriesFirst(reader, directory)) {
            return std::optional(CrashSafeBlocker::DirectoriesFirst);
        }
        return std::optional(LockWholeFile(file.get()) ? CrashSafeBlocker::None
                                                       : CrashSafeBlocker::LockedElsewhere);
    });
}

bool WriteGeoreference(const char* path, const WorldParams& world, const KeyWrite& keys,
                       WriteMode mode) {
    if (!PlacesAnImage(world)) {
        return false;
    }
    FileHandle file = OpenForUpdate(path);
    const bool crashSafe = mode == WriteMode::CrashSafe;
    if (!file || (crashSafe && !LockWholeFile(file.get()))) {
        return false;
    }
    const auto patches =
        WithFirstDirectory(file, [&](const BoundedReader& reader, const Directory& directory) {
            return PlannedWrite(reader, directory, world, keys, mode);
        });
    if (!patches) {
        return false;
    }
    if (crashSafe) {
        // An append is always a block at the end and the header's pointer to it.
        return patches->size() == 2 &&
               ApplyCrashSafelyAndClose(std::move(file), patches->front(), patches->back());
    }
    return ApplyPatchesAndClose(std::move(file), *patches);
}

}  // namespace pelcor
