// The footprint index of a run, judged by GDAL: one polygon a converted sheet, where GDAL
// places the output, in WGS 84; ogrinfo reads it without a word.
#include <gtest/gtest.h>

#include <regex>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;

TEST(Footprints, TheIndexPlacesEverySheetWhereGdalPlacesItsOutput) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    test::TempFolder folder;
    const std::string out = folder.MakeFolder("out");
    folder.MakeFolder("in");
    std::string inputs;
    // Three sheets in EPSG:2180, one rotated, and one that fails (kept out of the index).
    const char* worldFiles[] = {"10\r\n0\r\n0\r\n-10\r\n500005\r\n600000\r\n",
                                "10\r\n0\r\n0\r\n-10\r\n500645\r\n600000\r\n",
                                "9.9\r\n0.5\r\n0.5\r\n-9.9\r\n501300\r\n600000\r\n", "broken\r\n"};
    for (int i = 0; i < 4; ++i) {
        const std::string name = "s" + std::to_string(i);
        test::Shell("gdal_create -q -of GTiff -outsize 64 48 -bands 1 " +
                    Quoted(folder / ("in/" + name + ".tif")));
        inputs += " " + Quoted(folder.Write("in/" + name + ".tfw", worldFiles[i]));
    }
    const std::string index = folder / "sheets.geojson";
    const test::CommandResult run = test::MarloConvert(
        "--from tfw --to geotiff --projection EPSG:2180 --keep-going --output-dir " + Quoted(out) +
        " --footprints " + Quoted(index) + inputs);
    EXPECT_EQ(run.status, 1) << run.err;  // one sheet failed
    EXPECT_NE(run.out.find("Converted: 3, skipped: 0, failed: 1"), std::string::npos) << run.out;

    const std::string judged =
        test::Shell("/usr/bin/python3 " + Quoted(MARLO_FOOTPRINTS_JUDGE) + " " + Quoted(index));
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(judged, m, std::regex(R"(features=(\d+) worst=(\S+) count=(\d+))")))
        << judged;
    EXPECT_EQ(m[1], "3");
    EXPECT_EQ(m[3], "3");
    EXPECT_LT(std::stod(m[2]), 1e-9) << judged;

    const test::CommandResult info = test::RunCommand("ogrinfo -al -so " + Quoted(index));
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    EXPECT_NE(info.out.find("Feature Count: 3"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Geometry: Polygon"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace marlo
