#pragma once

#include <string>

namespace marlo::test {

// The georeferences the tests give their images, written as a user's files are (CR LF).

// Pixels of 2 map units, the first pixel's centre at (100, 900): where its place does not
// matter, any image's world file.
inline constexpr const char* kWorldFile100x900 = "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n";

// The small sheet: a 40 x 30 image with pixels of 2 map units, its corner at (100, 900).
inline constexpr const char* kSmallSheetWorldFile = "2\r\n0\r\n0\r\n-2\r\n101\r\n899\r\n";
// Its table beside `image`, without a coordinate system.
std::string SmallSheetTable(const std::string& image);

// The CS92 sheet: a 40 x 30 image in EPSG:2180 with pixels of 10 m, its corner at
// (500000, 6000000).
inline constexpr const char* kCs92SheetWorldFile = "10\r\n0\r\n0\r\n-10\r\n500005\r\n5999995\r\n";
// Its table beside `image`, as a MapInfo user writes it, without a coordinate system.
std::string Cs92SheetTable(const std::string& image);
// The CoordSys line of EPSG:2180, to end a table with.
inline constexpr const char* kCs92CoordSys =
    "  CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000\r\n";

}  // namespace marlo::test
