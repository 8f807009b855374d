// World files of every image kind GDAL pairs them with: each is found beside its image, and the
// table made from it places the image where GDAL places it by the world file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <regex>

#include "gdal_tools.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::Quoted;

// The control points of a table: map x, map y, column, row.
std::vector<std::array<double, 4>> ControlPoints(const std::string& table) {
    static const std::regex point(R"re(\(([-0-9.eE]+),([-0-9.eE]+)\) \(([0-9]+),([0-9]+)\))re");
    std::vector<std::array<double, 4>> points;
    for (auto it = std::sregex_iterator(table.begin(), table.end(), point);
         it != std::sregex_iterator(); ++it) {
        points.push_back(
            {std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    }
    return points;
}

TEST(ImageKinds, EveryWorldFileGdalReadsBecomesATableThatPlacesItsImage) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    struct Kind {
        const char* driver;
        const char* image;
        const char* worldFile;
    };
    const Kind kinds[] = {
        {"GTiff", "a.tif", "a.tifw"}, {"GTiff", "b.tiff", "b.wld"}, {"JPEG", "c.jpg", "c.jgw"},
        {"JPEG", "d.jpeg", "d.jgw"},  {"PNG", "e.png", "e.pgw"},    {"GIF", "f.gif", "f.gfw"},
        {"BMP", "g.bmp", "g.bpw"},    {"PNG", "h.png", "h.wld"},
    };
    test::TempFolder folder;
    const std::string base = folder / "base.tif";
    test::Shell("gdal_create -q -of GTiff -outsize 7 5 -bands 1 " + Quoted(base));
    std::string inputs;
    for (const Kind& kind : kinds) {
        const std::string image = folder / kind.image;
        test::Shell("gdal_translate -q -of " + std::string(kind.driver) + " " + Quoted(base) + " " +
                    Quoted(image) + " && rm -f " + Quoted(image + ".aux.xml"));
        folder.Write(kind.worldFile,
                     "0.5\r\n0.125\r\n-0.25\r\n-0.5\r\n633000.25\r\n5800000.75\r\n");
        inputs += " " + Quoted(folder / kind.worldFile);
    }
    const test::CommandResult run =
        test::MarloConvert("--from tfw --to tab --projection EPSG:2180 --keep-going" + inputs);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const Kind& kind : kinds) {
        const std::string image = folder / kind.image;
        const std::vector<double> gt =
            test::DescribeWithGdal(image, "--config GDAL_GEOREF_SOURCES WORLDFILE").geoTransform;
        ASSERT_EQ(gt.size(), 6u) << kind.worldFile;
        const std::string table = test::ReadBytes(image.substr(0, image.rfind('.')) + ".tab");
        const auto points = ControlPoints(table);
        ASSERT_EQ(points.size(), 4u) << table;
        for (const auto& p : points) {
            EXPECT_NEAR(p[0], gt[0] + p[2] * gt[1] + p[3] * gt[2], 1e-6) << kind.worldFile;
            EXPECT_NEAR(p[1], gt[3] + p[2] * gt[4] + p[3] * gt[5], 1e-6) << kind.worldFile;
        }
        EXPECT_EQ(points[2][2], 7);
        EXPECT_EQ(points[2][3], 5);
    }
}

// Table -> world file names a world file after its image as GDAL pairs them (small.grd gets
// small.gdw): every such name is an input again, named or found in a folder, and a file whose
// name only ends in "w" without an image it serves (photo.raw) is no input.
TEST(ImageKinds, EveryWorldFileNameTheWriterMakesIsAnInput) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    struct Kind {
        const char* driver;
        const char* image;
        const char* worldFile;
    };
    // Images Marlo can measure, under names outside GDAL's usual pairs.
    const Kind kinds[] = {
        {"GTiff", "small.grd", "small.gdw"},
        {"JPEG", "photo.jpe", "photo.jew"},
        {"PNG", "long.png", "long.pngw"},
    };
    test::TempFolder folder;
    const std::string base = folder / "base.tif";
    test::Shell("gdal_create -q -of GTiff -outsize 7 5 -bands 1 " + Quoted(base));
    for (const Kind& kind : kinds) {
        const std::string image = folder.MakeFolder(kind.worldFile) + "/" + kind.image;
        test::Shell("gdal_translate -q -of " + std::string(kind.driver) + " " + Quoted(base) + " " +
                    Quoted(image) + " && rm -f " + Quoted(image + ".aux.xml"));
        test::Shell("printf '0.5\\n0\\n0\\n-0.5\\n633000.25\\n5800000.75\\n' > " +
                    Quoted(image.substr(0, image.rfind('/') + 1) + kind.worldFile));
    }
    folder.Write("photo.raw", "not a world file");
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.worldFile);
        const std::string sub = folder / kind.worldFile;
        const std::string image = kind.image;
        const std::string table = sub + "/" + image.substr(0, image.rfind('.')) + ".tab";
        const test::CommandResult named = test::MarloConvert(
            "--from tfw --to tab --projection EPSG:2180 " + Quoted(sub + "/" + kind.worldFile));
        EXPECT_EQ(named.status, 0) << named.out << named.err;
        EXPECT_NE(test::ReadBytes(table).find(kind.image), std::string::npos);
        std::filesystem::remove(table);
        const test::CommandResult found =
            test::MarloConvert("--from tfw --to tab --projection EPSG:2180 " + Quoted(sub));
        EXPECT_EQ(found.status, 0) << found.out << found.err;
        EXPECT_TRUE(std::filesystem::exists(table));
    }
    const test::CommandResult decoy = test::MarloConvert(
        "--from tfw --to tab --projection EPSG:2180 --recursive " + Quoted(folder.path()));
    EXPECT_EQ(decoy.out.find("photo.raw"), std::string::npos) << decoy.out;
}

// A JPEG or PNG cannot take GeoTIFF tags: the message says so and nothing is written.
TEST(ImageKinds, AnImageThatIsNoTiffCannotTakeGeoTiffTags) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    test::TempFolder folder;
    const std::string out = folder.MakeFolder("out");
    const std::string worldFile = folder.Write("in/a.jgw", "1\r\n0\r\n0\r\n-1\r\n0.5\r\n0.5\r\n");
    test::Shell("gdal_create -q -of GTiff -outsize 7 5 -bands 1 " + Quoted(folder / "b.tif") +
                " && gdal_translate -q -of JPEG " + Quoted(folder / "b.tif") + " " +
                Quoted(folder / "in/a.jpg"));
    const test::CommandResult run = test::MarloConvert("--from tfw --to geotiff --output-dir " +
                                                       Quoted(out) + " " + Quoted(worldFile));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Texts().Message(msg::NotATiff) + "\n" + (folder / "in/a.jpg")),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(test::FolderBytes(out).empty());
}

// A TIFF without a georeference, or with control points only, says which; a TIFF named as a
// world file is refused as not of the chosen format, never printed.
TEST(ImageKinds, EveryBadInputSaysWhatIsWrongWithIt) {
    test::TempFolder folder;
    const std::string plain = folder / "in/plain.tif";
    const std::string gcps = folder / "in/gcps.tif";
    const std::string named = folder / "in/image.tfw";
    folder.Write("in/plain.tif", test::TiffBuilder::Image(4, 3).Build());
    folder.Write("in/gcps.tif", test::TiffBuilder::Image(4, 3)
                                    .AddDoubles(test::kTiepointTag,
                                                {0, 0, 0, 1000, 5000, 0, 4, 3, 0, 1008, 4991, 0})
                                    .Build());
    folder.Write("in/image.tfw", test::TiffBuilder::Image(4, 3).Build());
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"--from geotiff --to tfw " + Quoted(plain),
         Texts().Message(msg::NoGeoreference) + "\n" + plain},
        {"--from geotiff --to tfw " + Quoted(gcps),
         Texts().Message(msg::ControlPointsOnly) + "\n" + gcps},
        {"--from tfw --to tab --projection EPSG:2180 " + Quoted(named),
         Texts().Message(msg::NotOfInputFormat) + "\n" + named},
    };
    for (const Case& c : cases) {
        const test::CommandResult run = test::MarloConvert(c.arguments);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.err, c.message + "\n") << c.arguments;
    }
}

}  // namespace
}  // namespace marlo
