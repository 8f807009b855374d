#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds little-endian TIFF files byte by byte, so each test chooses its entries, counts and
// offsets, including broken ones.
namespace marlo::test {

inline constexpr std::uint16_t kShort = 3;
inline constexpr std::uint16_t kLong = 4;
inline constexpr std::uint16_t kFloat = 11;
inline constexpr std::uint16_t kDouble = 12;

inline constexpr std::uint16_t kPixelScaleTag = 33550;
inline constexpr std::uint16_t kTiepointTag = 33922;
inline constexpr std::uint16_t kTransformationTag = 34264;
inline constexpr std::uint16_t kGeoKeyDirectoryTag = 34735;

std::string U16(std::uint16_t value);
std::string U32(std::uint32_t value);
std::string Doubles(const std::vector<double>& values);
std::vector<double> ReadDoubles(const std::string& bytes, std::uint64_t offset, std::size_t count);
std::uint32_t ReadU32(const std::string& bytes, std::uint64_t offset);

class TiffBuilder {
public:
    // A valid 8-bit grey image of the given size in one strip, with the baseline entries.
    static TiffBuilder Image(std::uint32_t width = 4, std::uint32_t height = 3);
    // Only the header and a directory, with no entries of its own.
    static TiffBuilder Bare();

    // An entry whose values are placed in the file (or inside the entry when they fit in 4).
    TiffBuilder& Add(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                     const std::string& values);
    TiffBuilder& AddDoubles(std::uint16_t tag, const std::vector<double>& values);
    // An entry exactly as given, its last field taken as is.
    TiffBuilder& AddRaw(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                        std::uint32_t lastField);
    // A second image directory behind the first, linked from its next-directory offset.
    TiffBuilder& WithSecondPage();

    std::string Build() const;

private:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        std::string values;
        bool raw;
        std::uint32_t lastField;
    };

    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::vector<Entry> entries_;
    bool secondPage_ = false;
};

// Where a built file's first directory stands, and its entries' raw bytes.
std::uint32_t FirstDirectoryOffset(const std::string& file);
std::vector<std::string> DirectoryEntries(const std::string& file, std::uint32_t offset);

}  // namespace marlo::test
