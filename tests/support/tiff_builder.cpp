#include "support/tiff_builder.h"

#include <bit>
#include <stdexcept>

namespace marlo::test {

namespace {

constexpr std::uint32_t kHeaderSize = 8;

std::string Header(std::uint32_t firstDirectory) {
    return std::string("II\x2a\0", 4) + U32(firstDirectory);
}

void PadToEven(std::string& bytes) {
    if (bytes.size() % 2 != 0) {
        bytes.push_back('\0');
    }
}

}  // namespace

std::string U16(std::uint16_t value) {
    return {static_cast<char>(value & 0xff), static_cast<char>(value >> 8)};
}

std::string U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value)) + U16(static_cast<std::uint16_t>(value >> 16));
}

std::string Doubles(const std::vector<double>& values) {
    std::string out;
    for (double value : values) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        out += U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
    }
    return out;
}

std::uint32_t ReadU32(const std::string& bytes, std::uint64_t offset) {
    if (offset + 4 > bytes.size()) {
        throw std::out_of_range("ReadU32 past the end");
    }
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

std::vector<double> ReadDoubles(const std::string& bytes, std::uint64_t offset, std::size_t count) {
    std::vector<double> values;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t low = ReadU32(bytes, offset + 8 * i);
        const std::uint64_t high = ReadU32(bytes, offset + 8 * i + 4);
        values.push_back(std::bit_cast<double>(low | (high << 32)));
    }
    return values;
}

TiffBuilder TiffBuilder::Image(std::uint32_t width, std::uint32_t height) {
    TiffBuilder builder;
    builder.width_ = width;
    builder.height_ = height;
    builder.AddRaw(256, kLong, 1, width)
        .AddRaw(257, kLong, 1, height)
        .AddRaw(258, kShort, 1, 8)
        .AddRaw(259, kShort, 1, 1)
        .AddRaw(262, kShort, 1, 1)
        .AddRaw(273, kLong, 1, kHeaderSize)
        .AddRaw(277, kShort, 1, 1)
        .AddRaw(278, kLong, 1, height)
        .AddRaw(279, kLong, 1, width * height);
    return builder;
}

TiffBuilder TiffBuilder::Bare() {
    return TiffBuilder();
}

TiffBuilder& TiffBuilder::Add(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                              const std::string& values) {
    entries_.push_back({tag, type, count, values, false, 0});
    return *this;
}

TiffBuilder& TiffBuilder::AddDoubles(std::uint16_t tag, const std::vector<double>& values) {
    return Add(tag, kDouble, static_cast<std::uint32_t>(values.size()), Doubles(values));
}

TiffBuilder& TiffBuilder::AddRaw(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                                 std::uint32_t lastField) {
    entries_.push_back({tag, type, count, "", true, lastField});
    return *this;
}

TiffBuilder& TiffBuilder::WithSecondPage() {
    secondPage_ = true;
    return *this;
}

// Layout: header, pixels, values too big for their entry, first directory, second directory.
std::string TiffBuilder::Build() const {
    std::string body(width_ * height_, '\x80');
    std::string fields;
    for (const Entry& entry : entries_) {
        std::uint32_t lastField = entry.lastField;
        if (!entry.raw && entry.values.size() <= 4) {
            lastField = ReadU32(entry.values + std::string(4, '\0'), 0);
        } else if (!entry.raw) {
            PadToEven(body);
            lastField = kHeaderSize + static_cast<std::uint32_t>(body.size());
            body += entry.values;
        }
        fields += U16(entry.tag) + U16(entry.type) + U32(entry.count) + U32(lastField);
    }
    PadToEven(body);
    const auto directory = kHeaderSize + static_cast<std::uint32_t>(body.size());
    const auto directorySize = static_cast<std::uint32_t>(2 + fields.size() + 4);
    const std::uint32_t next = secondPage_ ? directory + directorySize : 0;
    std::string file = Header(directory) + body + U16(static_cast<std::uint16_t>(entries_.size())) +
                       fields + U32(next);
    if (secondPage_) {
        // The second page shares the first one's pixels and baseline entries.
        const TiffBuilder page = Image(width_, height_);
        std::string pageFields;
        for (const Entry& entry : page.entries_) {
            pageFields +=
                U16(entry.tag) + U16(entry.type) + U32(entry.count) + U32(entry.lastField);
        }
        file += U16(static_cast<std::uint16_t>(page.entries_.size())) + pageFields + U32(0);
    }
    return file;
}

std::uint32_t FirstDirectoryOffset(const std::string& file) {
    return ReadU32(file, 4);
}

std::vector<std::string> DirectoryEntries(const std::string& file, std::uint32_t offset) {
    const std::size_t count = static_cast<std::uint8_t>(file.at(offset)) |
                              (static_cast<std::uint8_t>(file.at(offset + 1)) << 8);
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < count; ++i) {
        entries.push_back(file.substr(offset + 2 + 12 * i, 12));
    }
    return entries;
}

}  // namespace marlo::test
