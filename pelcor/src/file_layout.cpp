#include "file_layout.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace pelcor {

namespace {

// GDAL's structural metadata: "GDAL_STRUCTURAL_METADATA_SIZE=" six digits " bytes\n", then
// that many bytes of KEY=VALUE lines.
constexpr std::string_view kStructuralPrefix = "GDAL_STRUCTURAL_METADATA_SIZE=";
constexpr std::uint64_t kStructuralDigits = 6;
constexpr std::string_view kStructuralSuffix = " bytes\n";
constexpr std::string_view kDirectoriesFirst = "LAYOUT=IFDS_BEFORE_DATA";

// The structural metadata's lines, or "" when the file carries none.
std::string StructuralMetadata(const BoundedReader& reader, const TiffFormat& format) {
    const std::uint64_t start = format.HeaderSize();
    const std::uint64_t leadSize =
        kStructuralPrefix.size() + kStructuralDigits + kStructuralSuffix.size();
    Bytes lead;
    if (!reader.Read(start, leadSize, lead)) {
        return {};
    }
    const std::string text(lead.begin(), lead.end());
    const std::string digits = text.substr(kStructuralPrefix.size(), kStructuralDigits);
    if (text.rfind(kStructuralPrefix, 0) != 0 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    Bytes body;
    if (!reader.Read(start + leadSize, std::stoull(digits), body)) {
        return {};
    }
    return std::string(body.begin(), body.end());
}

}  // namespace

bool KeepsDirectoriesFirst(const BoundedReader& reader, const Directory& directory) {
    if (StructuralMetadata(reader, directory.format).find(kDirectoriesFirst) != std::string::npos) {
        return true;
    }
    const auto firstTile = FirstBlockOffset(reader, directory, BlockKind::Tiles);
    return directory.offset == directory.format.HeaderSize() && firstTile &&
           *firstTile > directory.offset;
}

}  // namespace pelcor
