// Coordinate systems travel between tables and GeoTIFFs by their EPSG codes, as GDAL and
// libgeotiff read them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;
using test::ReadBytes;
using test::TempFolder;

// A table in CS92 gives a GeoTIFF whose keys GDAL and listgeo read as EPSG:2180, PixelIsPoint.
TEST(CoordinateSystems, ATablesSystemGoesIntoTheGeoTiff) {
    TempFolder folder;
    const std::string output = folder.MakeFolder("out");
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 " + Quoted(folder / "sheet.tif"));
    const std::string table = folder.Write(
        "sheet.tab",
        "!table\r\n!version 300\r\n!charset WindowsLatin2\r\nDefinition Table\r\n"
        "  File \"sheet.tif\"\r\n  Type \"RASTER\"\r\n"
        "  (500000,600000) (0,0) Label \"1\",\r\n  (500040,600000) (4,0) Label \"2\",\r\n"
        "  (500040,599970) (4,3) Label \"3\"\r\n"
        "  CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000\r\n");
    const test::CommandResult run = test::MarloConvert("--from tab --to geotiff --output-dir " +
                                                       Quoted(output) + " " + Quoted(table));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string image = output + "/sheet.tif";
    EXPECT_NE(test::Shell("gdalsrsinfo -o epsg " + Quoted(image)).find("EPSG:2180"),
              std::string::npos);
    const std::vector<double> placed = test::DescribeWithGdal(image).geoTransform;
    const std::vector<double> corners = {500000, 10, 0, 600000, 0, -10};
    ASSERT_EQ(placed.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(placed[i], corners[i], 1e-9 * std::max(1.0, std::abs(corners[i])));
    }
    const std::string keys = test::Shell("listgeo " + Quoted(image));
    EXPECT_NE(keys.find("RasterPixelIsPoint"), std::string::npos) << keys;
    EXPECT_NE(keys.find("ProjectedCSTypeGeoKey (Short,1): PCS_ETRS89_Poland_CS92"),
              std::string::npos)
        << keys;
}

// GeoTIFFs that state their system give tables in it without any question.
TEST(CoordinateSystems, GeoTiffsGiveTablesInTheirOwnSystem) {
    TempFolder folder;
    const std::pair<const char*, const char*> images[] = {{"cs92.tif", "EPSG:2180"},
                                                          {"utm34.tif", "EPSG:32634"}};
    std::string files;
    for (const auto& [name, epsg] : images) {
        test::Shell(std::string("gdal_create -q -of GTiff -outsize 4 3 -a_srs ") + epsg +
                    " -a_ullr 500000 600000 500040 599970 " + Quoted(folder / name));
        files += " " + Quoted(folder / name);
    }
    const test::CommandResult run = test::MarloConvert("--from geotiff --to tab" + files);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadBytes(folder / "cs92.tab")
                  .find("CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, "
                        "-5300000"),
              std::string::npos);
    EXPECT_NE(ReadBytes(folder / "utm34.tab")
                  .find("CoordSys Earth Projection 8, 104, \"m\", 21, 0, 0.9996, 500000, 0"),
              std::string::npos);
    // An image that states none still needs an answer: unanswered, the run ends.
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 -a_ullr 0 3 4 0 " +
                Quoted(folder / "none.tif"));
    EXPECT_EQ(test::MarloConvert("--from geotiff --to tab " + Quoted(folder / "none.tif")).status,
              1);
}

// Keys that contradict themselves (a geographic model with a projected code) are read as GDAL
// reads them, never as the code's projected system: no CS92 table for GDAL's geographic one.
TEST(CoordinateSystems, KeysAreReadAsGdalReadsThemNotByTheirCodeAlone) {
    TempFolder folder;
    const std::string keys = folder.Write(
        "keys.txt",
        "Geotiff_Information:\n Version: 1\n Key_Revision: 1.0\n Tagged_Information:\n"
        "  ModelTiepointTag (2,3):\n   0 0 0\n   500000 600000 0\n"
        "  ModelPixelScaleTag (1,3):\n   10 10 0\n  End_Of_Tags.\n Keyed_Information:\n"
        "  GTModelTypeGeoKey (Short,1): ModelTypeGeographic\n"
        "  GTRasterTypeGeoKey (Short,1): RasterPixelIsArea\n"
        "  ProjectedCSTypeGeoKey (Short,1): Code-2180\n  End_Of_Keys.\n End_Of_Geotiff.\n");
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 " + Quoted(folder / "plain.tif") +
                " && geotifcp -g " + Quoted(keys) + " " + Quoted(folder / "plain.tif") + " " +
                Quoted(folder / "odd.tif"));
    const test::CommandResult run =
        test::MarloConvert("--from geotiff --to tab " + Quoted(folder / "odd.tif"));
    const std::string table = ReadBytes(folder / "odd.tab");
    EXPECT_EQ(table.find("Projection 8, 104, \"m\", 19"), std::string::npos) << table;
    EXPECT_TRUE(run.status != 0 || !table.empty()) << run.err;
}

}  // namespace
}  // namespace marlo
