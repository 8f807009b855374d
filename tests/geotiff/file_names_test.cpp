// What the program writes, replaces or keeps in real folders of map sheets, judged by the
// world files and tables GDAL then finds for each image.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::Quoted;
using test::ReadBytes;
using test::TempFolder;

// The georeference GDAL takes from the side file of the given kind alone (WORLDFILE, TABFILE).
std::vector<double> FromSideFile(const std::string& image, const std::string& source) {
    return test::DescribeWithGdal(image, "--config GDAL_GEOREF_SOURCES " + source).geoTransform;
}

void Convert(const std::string& arguments) {
    const test::CommandResult result = test::MarloConvert(arguments);
    ASSERT_EQ(result.status, 0) << arguments << "\n" << result.err;
}

// Dotted sheet codes keep every dot; a neighbour's world file, and one that differs only in
// letter case, belong to other images and stay byte for byte.
TEST(FileNames, GeoTiffToWorldFileWritesOnlyEachImagesOwnWorldFile) {
    TempFolder folder;
    const std::vector<std::string> images = {"7.125.15.23.tif", "7.125.15.24.TIFF", "Sheet.tif"};
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string x = std::to_string(1000 * (i + 1));
        test::Shell("gdal_create -q -of GTiff -outsize 20 10 -a_ullr " + x + " 2000 " + x +
                    ".5 1980 " + Quoted(folder / images[i]));
    }
    const std::string neighbour = folder.Write("7.tfw", "the neighbour's");
    const std::string other = folder.Write("sheet.tfw", "another image's");
    folder.Write("sheet.tif", "another image");
    std::string files;
    for (const std::string& image : images) {
        files += " " + Quoted(folder / image);
    }
    Convert("--from geotiff --to tfw" + files);
    EXPECT_EQ(ReadBytes(neighbour), "the neighbour's");
    EXPECT_EQ(ReadBytes(other), "another image's");
    // GDAL matches side files without regard to case, so Sheet.tif is checked by its name.
    EXPECT_TRUE(fs::exists(folder / "Sheet.tfw"));
    for (const std::string& image : {images[0], images[1]}) {
        SCOPED_TRACE(image);
        const std::vector<double> gt = FromSideFile(folder / image, "WORLDFILE");
        ASSERT_EQ(gt.size(), 6u) << "GDAL finds no world file";
        EXPECT_NEAR(gt[1], 0.025, 1e-12);
    }
}

// Tables name JPEG and PNG images; their world files are the ones GDAL reads for them, and a
// table's declared code page decides how its image name is read.
TEST(FileNames, TableToWorldFileFollowsTheImageAndTheTablesCodePage) {
    TempFolder folder;
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 " + Quoted(folder / "plain.tif"));
    test::Shell("gdal_translate -q -of JPEG " + Quoted(folder / "plain.tif") + " " +
                Quoted(folder / "scan.jpg"));
    test::Shell("cp " + Quoted(folder / "plain.tif") + " " + Quoted(folder / "S\xC3\xB8ndre.tif"));
    const std::string points =
        "  (500000,6000000) (0,0) Label \"1\",\r\n  (500040,6000000) (4,0) Label \"2\",\r\n"
        "  (500040,5999970) (4,3) Label \"3\"\r\n";
    const auto table = [&](const std::string& charset, const std::string& name) {
        return "!table\r\n!version 300\r\n!charset " + charset + "\r\nDefinition Table\r\n" +
               "  File \"" + name + "\"\r\n  Type \"RASTER\"\r\n" + points;
    };
    const std::string jpegTable = folder.Write("scan.tab", table("WindowsLatin2", "scan.jpg"));
    const std::string latin1Table = folder.Write("s.tab", table("WindowsLatin1", "S\xF8ndre.tif"));
    Convert("--from tab --to tfw " + Quoted(jpegTable) + " " + Quoted(latin1Table));
    for (const char* image : {"scan.jpg", "S\xC3\xB8ndre.tif"}) {
        SCOPED_TRACE(image);
        EXPECT_EQ(FromSideFile(folder / image, "WORLDFILE"),
                  (std::vector<double>{500000, 10, 0, 6000000, 0, -10}));
    }
    EXPECT_TRUE(fs::exists(folder / "scan.jgw"));
}

// A world file beside a .tiff image gives a table naming it, which GDAL reads for the image.
TEST(FileNames, WorldFileToTableFindsATiffImage) {
    TempFolder folder;
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 " + Quoted(folder / "o.2021.tiff"));
    const std::string worldFile = folder.Write("o.2021.tfw", "10\r\n0\r\n0\r\n-10\r\n5\r\n95\r\n");
    Convert("--from tfw --to tab --group 'Longitude / Latitude' --projection 'WGS 84' " +
            Quoted(worldFile));
    EXPECT_EQ(FromSideFile(folder / "o.2021.tiff", "TABFILE"),
              (std::vector<double>{0, 10, 0, 100, 0, -10}));
}

// A table written on Windows names its image by a drive-letter path; the image beside the
// table is used for every output.
TEST(FileNames, DriveLetterReferencesFindTheImageBesideTheTable) {
    TempFolder folder;
    const std::string output = folder.MakeFolder("out");
    test::Shell("gdal_create -q -of GTiff -outsize 4 3 " + Quoted(folder / "img.tif"));
    const std::string table = folder.Write(
        "a.tab",
        "!table\r\nDefinition Table\r\n  File \"C:\\maps\\img.tif\"\r\n"
        "  (500000,6000000) (0,0) Label \"1\",\r\n  (500040,6000000) (4,0) Label \"2\",\r\n"
        "  (500040,5999970) (4,3) Label \"3\"\r\n");
    Convert("--from tab --to tfw " + Quoted(table));
    Convert("--from tab --to geotiff --output-dir " + Quoted(output) + " " + Quoted(table));
    EXPECT_EQ(FromSideFile(folder / "img.tif", "WORLDFILE"),
              (std::vector<double>{500000, 10, 0, 6000000, 0, -10}));
    EXPECT_EQ(test::DescribeWithGdal(output + "/img.tif").geoTransform.size(), 6u);
}

}  // namespace
}  // namespace marlo
