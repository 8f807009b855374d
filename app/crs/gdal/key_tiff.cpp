#include "crs/gdal/key_tiff.h"

#include <cstring>
#include <optional>

namespace marlo::bridge {

namespace {

constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kAsciiType = 2;
constexpr std::uint16_t kDouble = 12;
constexpr std::uint16_t kDirectoryTag = 34735;
constexpr std::uint16_t kDoublesTag = 34736;
constexpr std::uint16_t kAsciiTag = 34737;
constexpr std::size_t kEntrySize = 12;

std::size_t TypeSize(std::uint16_t type) {
    switch (type) {
        case kAsciiType:
            return 1;
        case kShort:
            return 2;
        case kLong:
            return 4;
        case kDouble:
            return 8;
        default:
            return 0;
    }
}

// One directory entry: its values as little-endian bytes.
struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::vector<unsigned char> values;
};

void Put(std::vector<unsigned char>& bytes, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

void PutAt(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

Entry Shorts(std::uint16_t tag, const std::vector<std::uint16_t>& values) {
    Entry entry{tag, kShort, static_cast<std::uint32_t>(values.size()), {}};
    for (std::uint16_t value : values) {
        Put(entry.values, value, 2);
    }
    return entry;
}

Entry Doubles(std::uint16_t tag, const std::vector<double>& values) {
    Entry entry{tag, kDouble, static_cast<std::uint32_t>(values.size()), {}};
    for (double value : values) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Put(entry.values, bits, 8);
    }
    return entry;
}

Entry Long(std::uint16_t tag, std::uint32_t value) {
    Entry entry{tag, kLong, 1, {}};
    Put(entry.values, value, 4);
    return entry;
}

std::uint64_t Get(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t size) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

// Where an entry's values lie (inside the entry or at its offset), when they lie in the bytes.
std::optional<std::size_t> ValuesAt(const std::vector<unsigned char>& tiff, std::size_t entry,
                                    std::size_t length) {
    if (length <= 4) {
        return entry + 8;
    }
    const std::size_t offset = Get(tiff, entry + 8, 4);
    if (offset > tiff.size() || length > tiff.size() - offset) {
        return std::nullopt;
    }
    return offset;
}

}  // namespace

std::vector<unsigned char> OnePixelTiff(const GeoKeys& keys) {
    std::vector<Entry> entries = {
        Shorts(256, {1}),
        Shorts(257, {1}),
        Shorts(258, {8}),
        Shorts(259, {1}),
        Shorts(262, {1}),
        Long(273, 0),
        Shorts(277, {1}),
        Shorts(278, {1}),
        Long(279, 1),
        Doubles(33550, {1, 1, 0}),
        Doubles(33922, {0, 0, 0, 0, 0, 0}),
    };
    if (!keys.directory.empty()) {
        entries.push_back(Shorts(kDirectoryTag, keys.directory));
        if (!keys.doubles.empty()) {
            entries.push_back(Doubles(kDoublesTag, keys.doubles));
        }
        if (!keys.ascii.empty()) {
            Entry ascii{kAsciiTag,
                        kAsciiType,
                        static_cast<std::uint32_t>(keys.ascii.size() + 1),
                        {keys.ascii.begin(), keys.ascii.end()}};
            ascii.values.push_back(0);
            entries.push_back(ascii);
        }
    }
    std::vector<unsigned char> bytes = {'I', 'I', 42, 0};
    Put(bytes, 8, 4);
    Put(bytes, entries.size(), 2);
    const std::size_t firstEntry = bytes.size();
    std::size_t data = firstEntry + entries.size() * kEntrySize + 4;
    std::vector<unsigned char> values;
    std::size_t stripOffsetEntry = 0;
    for (const Entry& entry : entries) {
        if (entry.tag == 273) {
            stripOffsetEntry = bytes.size();
        }
        Put(bytes, entry.tag, 2);
        Put(bytes, entry.type, 2);
        Put(bytes, entry.count, 4);
        if (entry.values.size() <= 4) {
            std::vector<unsigned char> inline4 = entry.values;
            inline4.resize(4, 0);
            bytes.insert(bytes.end(), inline4.begin(), inline4.end());
        } else {
            Put(bytes, data + values.size(), 4);
            values.insert(values.end(), entry.values.begin(), entry.values.end());
            values.resize((values.size() + 1) / 2 * 2, 0);
        }
    }
    Put(bytes, 0, 4);
    bytes.insert(bytes.end(), values.begin(), values.end());
    PutAt(bytes, stripOffsetEntry + 8, static_cast<std::uint32_t>(bytes.size()));
    bytes.push_back(0);
    return bytes;
}

bool ReadGeoKeys(const std::vector<unsigned char>& tiff, GeoKeys& keys) {
    keys = {};
    if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || Get(tiff, 2, 2) != 42) {
        return false;
    }
    const std::size_t directory = Get(tiff, 4, 4);
    if (directory > tiff.size() || tiff.size() - directory < 2) {
        return false;
    }
    const std::size_t count = Get(tiff, directory, 2);
    if ((tiff.size() - directory - 2) / kEntrySize < count) {
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = directory + 2 + i * kEntrySize;
        const auto tag = static_cast<std::uint16_t>(Get(tiff, entry, 2));
        const auto type = static_cast<std::uint16_t>(Get(tiff, entry + 2, 2));
        const std::size_t values = Get(tiff, entry + 4, 4);
        if (tag != kDirectoryTag && tag != kDoublesTag && tag != kAsciiTag) {
            continue;
        }
        const std::size_t size = TypeSize(type);
        const auto at = size != 0 && values <= tiff.size() / size
                            ? ValuesAt(tiff, entry, values * size)
                            : std::nullopt;
        if (!at) {
            return false;
        }
        for (std::size_t v = 0; v < values; ++v) {
            const std::uint64_t value = Get(tiff, *at + v * size, size);
            if (tag == kDirectoryTag && type == kShort) {
                keys.directory.push_back(static_cast<std::uint16_t>(value));
            } else if (tag == kDoublesTag && type == kDouble) {
                double number = 0;
                std::memcpy(&number, &value, sizeof number);
                keys.doubles.push_back(number);
            } else if (tag == kAsciiTag && type == kAsciiType) {
                keys.ascii.push_back(static_cast<char>(value));
            } else {
                return false;
            }
        }
    }
    while (!keys.ascii.empty() && keys.ascii.back() == '\0') {
        keys.ascii.pop_back();
    }
    return true;
}

}  // namespace marlo::bridge
