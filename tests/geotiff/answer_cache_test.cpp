// A second process answers from the answers the first kept: GDAL is not loaded again, and the
// outputs are byte for byte the first's.
#include <gtest/gtest.h>

#include <string>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;
using test::TempFolder;

TEST(AnswerCache, ASecondRunInASystemMetBeforeLoadsNoGdalAndWritesTheSameBytes) {
    TempFolder folder;
    const std::string cache = "XDG_CACHE_HOME=" + Quoted(folder / "cache");
    test::Shell(
        "gdal_create -q -of GTiff -outsize 4 3 -a_srs EPSG:27700 "
        "-a_ullr 400000 300040 400040 300010 " +
        Quoted(folder / "sheet.tif"));
    const std::string sheet = Quoted(folder / "sheet.tif");
    const std::string table = Quoted(folder / "sheet.tab");
    const std::string out = Quoted(folder.MakeFolder("out"));
    // A transverse Mercator with no EPSG code: its GeoTIFF gets the full keys GDAL writes.
    const std::string custom = Quoted(folder.Write(
        "custom.tab",
        "!table\r\n!version 300\r\n!charset WindowsLatin2\r\nDefinition Table\r\n"
        "  File \"sheet.tif\"\r\n  Type \"RASTER\"\r\n"
        "  (600000,700000) (0,0) Label \"1\",\r\n  (600040,700000) (4,0) Label \"2\",\r\n"
        "  (600040,699970) (4,3) Label \"3\"\r\n"
        "  CoordSys Earth Projection 8, 104, \"m\", 17, 0, 0.9995, 600000, -5000000\r\n"));
    // Outside the shipped list both ways: GeoKeys -> clause, clause -> code, clause -> keys.
    const std::pair<std::string, std::string> steps[] = {
        {"--existing replace --from geotiff --to tab " + sheet, folder / "sheet.tab"},
        {"--existing replace --from tab --to geotiff --output-dir " + out + " " + table,
         folder / "out/sheet.tif"},
        {"--existing replace --from tab --to geotiff --output-dir " + out + " " + custom,
         folder / "out/custom.tif"},
    };
    for (const auto& [arguments, output] : steps) {
        ASSERT_EQ(test::MarloConvert(arguments, cache).status, 0) << arguments;
        const std::string first = test::ReadBytes(output);
        const test::CommandResult second = test::MarloConvert(arguments, cache + " LD_DEBUG=libs");
        ASSERT_EQ(second.status, 0) << arguments;
        EXPECT_EQ(second.err.find("libgdal"), std::string::npos) << arguments;
        EXPECT_NE(second.err.find("libpelcor"), std::string::npos) << "LD_DEBUG says nothing";
        EXPECT_EQ(test::ReadBytes(output), first) << arguments;
    }
}

}  // namespace
}  // namespace marlo
