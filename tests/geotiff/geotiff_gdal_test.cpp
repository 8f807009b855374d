// End to end on images that GDAL makes and checks: world files and tables into GeoTIFF and
// back, through the window's run and through marlo-convert.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>

#include "conversion/planning.h"
#include "gdal_tools.h"
#include "support/temp_folder.h"
#include "test_images.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::FolderBytes;
using test::Quoted;
using test::ReadBytes;
using test::TempFolder;

enum class FrontEnd { Window, Command };
void PrintTo(FrontEnd frontEnd, std::ostream* out) {
    *out << (frontEnd == FrontEnd::Window ? "Window" : "Command");
}

struct Formats {
    FileFormat from;
    FileFormat to;
    const char* fromName;
    const char* toName;
};
constexpr Formats kTfwToGeoTiff{FileFormat::TFW, FileFormat::GeoTIFF, "tfw", "geotiff"};
constexpr Formats kGeoTiffToTfw{FileFormat::GeoTIFF, FileFormat::TFW, "geotiff", "tfw"};
constexpr Formats kTabToGeoTiff{FileFormat::TAB, FileFormat::GeoTIFF, "tab", "geotiff"};

// What the user was shown: the messages, then any error report.
std::vector<std::string> RunInWindow(const Formats& formats, const std::string& file,
                                     const std::string& outputFolder) {
    test::TestForm t;
    t.Choose(formats.from, formats.to);
    t.user.AnswerFiles(file);
    t.user.folderAnswers.push_back(outputFolder);
    t.Convert();
    std::vector<std::string> shown = t.user.MessageTexts();
    shown.insert(shown.end(), t.user.errorReports.begin(), t.user.errorReports.end());
    return shown;
}

std::vector<std::string> RunCommand(const Formats& formats, const std::string& file,
                                    const std::string& outputFolder) {
    std::string arguments = std::string("--from ") + formats.fromName + " --to " + formats.toName;
    if (!outputFolder.empty()) {
        arguments += " --output-dir " + Quoted(outputFolder);
    }
    const test::CommandResult result = test::MarloConvert(arguments + " " + Quoted(file));
    return {std::to_string(result.status), result.err};
}

void Convert(FrontEnd frontEnd, const Formats& formats, const std::string& file,
             const std::string& outputFolder = "") {
    if (frontEnd == FrontEnd::Window) {
        EXPECT_EQ(RunInWindow(formats, file, outputFolder),
                  std::vector<std::string>{Texts().Message(msg::Done)});
    } else {
        EXPECT_EQ(RunCommand(formats, file, outputFolder),
                  (std::vector<std::string>{"0", Texts().Message(msg::Done) + "\n"}));
    }
}

void ExpectGeoTransform(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-9 * std::max(1.0, std::fabs(expected[i])))
            << "geotransform value " << i;
    }
}

// The image and everything of it that GDAL reads besides the georeference is unchanged.
void ExpectSameImage(const test::GdalImage& before, const test::GdalImage& after) {
    EXPECT_EQ(after.warnings, "");
    EXPECT_EQ(after.checksums, before.checksums);
    ASSERT_EQ(after.pages.size(), before.pages.size());
    for (std::size_t i = 0; i < before.pages.size(); ++i) {
        const test::GdalImage pageAfter = test::DescribeWithGdal(after.pages[i]);
        EXPECT_EQ(pageAfter.warnings, "") << after.pages[i];
        EXPECT_EQ(pageAfter.checksums, test::DescribeWithGdal(before.pages[i]).checksums);
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(" \r") != std::string::npos) {
            lines.push_back(line);
        }
    }
    return lines;
}

// A grey gradient written by the tests, so that the checksums below mean something.
std::string Gradient(const TempFolder& scratch) {
    const std::string path = scratch / "gradient.tif";
    test::TiffLayout layout;
    layout.width = 100;
    layout.height = 80;
    test::WriteTiff(path, layout);
    return path;
}

struct Variant {
    const char* name;
    std::function<void(const TempFolder& scratch, const std::string& image)> make;
};

Variant Translated(const char* name, const std::string& options, const std::string& levels = "") {
    return {name, [options, levels](const TempFolder& scratch, const std::string& image) {
                test::Shell("gdal_translate -q " + options + " " + Quoted(Gradient(scratch)) + " " +
                            Quoted(image));
                if (!levels.empty()) {
                    test::Shell("gdaladdo -q -r average " + Quoted(image) + " " + levels);
                }
            }};
}

const std::vector<Variant>& Variants() {
    static const std::vector<Variant> variants = {
        Translated("Striped", ""),
        Translated("StripedLzw", "-co COMPRESS=LZW"),
        Translated("TiledDeflate",
                   "-co TILED=YES -co BLOCKXSIZE=32 -co BLOCKYSIZE=32 -co COMPRESS=DEFLATE"),
        Translated("TiledWithOverviews", "-co TILED=YES -co BLOCKXSIZE=32 -co BLOCKYSIZE=32",
                   "2 4"),
        Translated("LzwWithOverviews", "-co COMPRESS=LZW", "2"),
        Translated("BigTiff", "-co BIGTIFF=YES -co TILED=YES -co BLOCKXSIZE=32 -co BLOCKYSIZE=32"),
        Translated("BigEndian", "-co ENDIANNESS=BIG -co COMPRESS=DEFLATE", "2"),
        Translated("BigEndianBigTiff", "-co ENDIANNESS=BIG -co BIGTIFF=YES"),
        {"Pages",
         [](const TempFolder& scratch, const std::string& image) {
             test::Shell("gdal_translate -q " + Quoted(Gradient(scratch)) + " " + Quoted(image));
             const std::string second = scratch / "second.tif";
             test::Shell("gdal_create -of GTiff -outsize 30 20 -bands 1 -burn 9 " + Quoted(second));
             test::Shell("gdal_translate -q -co APPEND_SUBDATASET=YES " + Quoted(second) + " " +
                         Quoted(image));
         }},
        {"CreatedRgb",
         [](const TempFolder&, const std::string& image) {
             test::Shell(
                 "gdal_create -of GTiff -outsize 70 50 -bands 3 -burn 10 -burn 20 -burn 30 "
                 "-co TILED=YES -co COMPRESS=LZW " +
                 Quoted(image));
         }},
    };
    return variants;
}

class GeoTiffWithGdalTest : public ::testing::TestWithParam<std::tuple<std::size_t, FrontEnd>> {
protected:
    void SetUp() override {
        SKIP_WITHOUT_TOOLS();
        input = folder.MakeFolder("in");
        output = folder.MakeFolder("out");
    }

    const Variant& variant() const { return Variants()[std::get<0>(GetParam())]; }
    FrontEnd frontEnd() const { return std::get<1>(GetParam()); }

    TempFolder folder;
    std::string input;
    std::string output;
};

// The tie point carries the world file's origin, the centre of the first pixel, and the keys
// say so (PixelIsPoint): GDAL places the image exactly where the world file does.
TEST_P(GeoTiffWithGdalTest, WorldFileToGeoTiffAndBack) {
    TempFolder scratch;
    variant().make(scratch, input + "/sheet.tif");
    const std::string worldFile =
        test::WorldFileText("0.25", "0", "0", "-0.25", "600000.125", "5400000.375");
    folder.Write("in/sheet.tfw", worldFile);
    const test::GdalImage before = test::DescribeWithGdal(input + "/sheet.tif");
    const auto inputs = FolderBytes(input);

    Convert(frontEnd(), kTfwToGeoTiff, input + "/sheet.tfw", output);
    EXPECT_EQ(FolderBytes(input), inputs);
    const test::GdalImage after = test::DescribeWithGdal(output + "/sheet.tif");
    ExpectGeoTransform(after.geoTransform, {600000, 0.25, 0, 5400000.5, 0, -0.25});
    ExpectSameImage(before, after);

    const std::string written = ReadBytes(output + "/sheet.tif");
    Convert(frontEnd(), kGeoTiffToTfw, output + "/sheet.tif");
    EXPECT_EQ(ReadBytes(output + "/sheet.tfw"), worldFile);
    EXPECT_EQ(ReadBytes(output + "/sheet.tif"), written);
}

// Pixel sizes and origins that binary fractions cannot hold exactly, as most world files
// have them, come back digit for digit as well: the pixel size is read from the tags, not
// as the difference of two pixel centres (near 6e5 that keeps only about ten digits).
TEST(GeoTiffRoundTrip, DecimalValuesComeBackToTheLastWrittenDigit) {
    SKIP_WITHOUT_TOOLS();
    TempFolder folder;
    const std::string input = folder.MakeFolder("in");
    const std::string output = folder.MakeFolder("out");
    test::WriteTiff(input + "/sheet.tif");
    const std::string worldFile =
        test::WorldFileText("0.1", "0", "0", "-0.1", "600000.03", "5400000.07");
    folder.Write("in/sheet.tfw", worldFile);
    Convert(FrontEnd::Window, kTfwToGeoTiff, input + "/sheet.tfw", output);
    ExpectGeoTransform(test::DescribeWithGdal(output + "/sheet.tif").geoTransform,
                       {599999.98, 0.1, 0, 5400000.12, 0, -0.1});
    Convert(FrontEnd::Window, kGeoTiffToTfw, output + "/sheet.tif");
    EXPECT_EQ(ReadBytes(output + "/sheet.tfw"), worldFile);
}

INSTANTIATE_TEST_SUITE_P(Images, GeoTiffWithGdalTest,
                         ::testing::Combine(::testing::Range<std::size_t>(0, Variants().size()),
                                            ::testing::Values(FrontEnd::Window, FrontEnd::Command)),
                         [](const auto& info) {
                             return std::string(Variants()[std::get<0>(info.param)].name) +
                                    (std::get<1>(info.param) == FrontEnd::Window ? "InWindow"
                                                                                 : "WithCommand");
                         });

TEST(GeoTiffFromGdal, AReadOnlyGeoTiffIsReadAndLeftUnchanged) {
    SKIP_WITHOUT_TOOLS();
    TempFolder folder;
    const std::string image = folder / "sheet.tif";
    test::Shell(
        "gdal_create -of GTiff -outsize 20 10 -bands 1 -burn 3 -a_ullr 1000 2000 1040 1980 " +
        Quoted(image));
    test::MakeReadOnly(image);
    const std::string bytes = ReadBytes(image);
    Convert(FrontEnd::Window, kGeoTiffToTfw, image);
    EXPECT_EQ(ReadBytes(image), bytes);
    // GDAL writes no GeoKeys without a coordinate system and reads the tie point (1000, 2000)
    // as the outer corner of the 2 by 2 pixels: the world file holds the first pixel's centre,
    // as GDAL's own TFW=YES does.
    EXPECT_EQ(ReadBytes(folder / "sheet.tfw"),
              test::WorldFileText("2", "0", "0", "-2", "1001", "1999"));
}

// Rotated, flipped and westward world files become GeoTIFFs that GDAL places with every term
// where the world file places them, and come back whole.
TEST(GeoTiffRotation, EveryGridTravelsThereAndBack) {
    for (const std::vector<std::string>& lines :
         {std::vector<std::string>{"1.99878", "0.069799", "0.069799", "-1.99878", "633000.5",
                                   "5800000.25"},
          {"2", "0", "0", "1", "101", "899.5"},
          {"-0.5", "0", "0", "-0.25", "101", "899.5"}}) {
        TempFolder folder;
        const std::string input = folder.MakeFolder("in");
        const std::string output = folder.MakeFolder("out");
        test::WriteTiff(input + "/sheet.tif");
        const std::string worldFile =
            test::WorldFileText(lines[0], lines[1], lines[2], lines[3], lines[4], lines[5]);
        folder.Write("in/sheet.tfw", worldFile);
        Convert(FrontEnd::Window, kTfwToGeoTiff, input + "/sheet.tfw", output);
        const test::GdalImage after = test::DescribeWithGdal(output + "/sheet.tif");
        EXPECT_EQ(after.warnings, "");
        const double a = std::stod(lines[0]), d = std::stod(lines[1]), b = std::stod(lines[2]),
                     e = std::stod(lines[3]);
        ExpectGeoTransform(after.geoTransform, {std::stod(lines[4]) - (a + b) / 2, a, b,
                                                std::stod(lines[5]) - (d + e) / 2, d, e});
        Convert(FrontEnd::Window, kGeoTiffToTfw, output + "/sheet.tif");
        EXPECT_EQ(ReadBytes(output + "/sheet.tfw"), worldFile);
    }
}

// GeoTIFFs made by GDAL with a coordinate system (keys, PixelIsArea), north-up and rotated:
// their world file is the one GDAL itself writes for them (TFW=YES).
TEST(GeoTiffFromGdal, GivesTheWorldFileGdalWrites) {
    for (const char* transform : {"[1000, 2, 0, 2000, 0, -2]", "[1000, 2, 0.5, 2000, 0.25, -2]"}) {
        TempFolder folder;
        const std::string image = folder / "sheet.tif";
        test::Shell(
            "/usr/bin/python3 -c \"from osgeo import gdal, osr; s = osr.SpatialReference(); "
            "s.ImportFromEPSG(2180); d = gdal.GetDriverByName('GTiff').Create('" +
            image +
            "', 20, 10, 1, options=['TFW=YES']); d.SetProjection(s.ExportToWkt()); "
            "d.SetGeoTransform(" +
            transform + ")\"");
        const std::string gdalWorldFile = ReadBytes(folder / "sheet.tfw");
        std::filesystem::remove(folder / "sheet.tfw");
        const std::string bytes = ReadBytes(image);
        Convert(FrontEnd::Window, kGeoTiffToTfw, image);
        EXPECT_EQ(ReadBytes(image), bytes);
        const std::vector<std::string> ours = Lines(ReadBytes(folder / "sheet.tfw"));
        const std::vector<std::string> gdals = Lines(gdalWorldFile);
        ASSERT_EQ(ours.size(), 6u);
        ASSERT_EQ(gdals.size(), 6u);
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_DOUBLE_EQ(std::stod(ours[i]), std::stod(gdals[i])) << transform << " line " << i;
        }
    }
}

TEST(GeoTiffFromTable, TableToGeoTiffPlacesTheImageWhereTheTableDoes) {
    SKIP_WITHOUT_TOOLS();
    TempFolder folder;
    const std::string input = folder.MakeFolder("in");
    const std::string output = folder.MakeFolder("out");
    test::Shell("gdal_create -of GTiff -outsize 100 80 -bands 1 -burn 5 " +
                Quoted(input + "/sheet.tif"));
    folder.Write("in/sheet.tab",
                 "!table\r\n!version 300\r\n!charset WindowsLatin2\r\n\r\nDefinition Table\r\n"
                 "  File \"sheet.tif\"\r\n  Type \"RASTER\"\r\n"
                 "  (512345,5712346) (0,0) Label \"Pt 1\",\r\n"
                 "  (512395,5712346) (100,0) Label \"Pt 2\",\r\n"
                 "  (512395,5712306) (100,80) Label \"Pt 3\"\r\n");
    const auto inputs = FolderBytes(input);
    const std::vector<std::string> shown = RunInWindow(kTabToGeoTiff, input + "/sheet.tab", output);
    EXPECT_EQ(shown, std::vector<std::string>{Texts().Message(msg::Done)});
    EXPECT_EQ(FolderBytes(input), inputs);
    const test::GdalImage after = test::DescribeWithGdal(output + "/sheet.tif");
    EXPECT_EQ(after.warnings, "");
    ExpectGeoTransform(after.geoTransform, {512345, 0.5, 0, 5712346, 0, -0.5});
}

}  // namespace
}  // namespace marlo
