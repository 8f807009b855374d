// Reading and writing through the real Pelcor, on images libtiff makes, where the library
// refuses: the message names the right file and no input changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "formats/geotiff/geotiff.h"
#include "gdal_tools.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "test_images.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::ReadBytes;
using test::TempFolder;

class GeoTiffPelcorTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = folder.MakeFolder("in");
        output = folder.MakeFolder("out");
    }

    TempFolder folder;
    test::TestForm t;
    std::string input;
    std::string output;
};

// A TIFF that gives no georeference is refused with the reason, and left as it was.
TEST_F(GeoTiffPelcorTest, ATiffWithoutAGeoreferenceIsRefusedWithItsReason) {
    const std::string path = input + "/sheet.tif";
    test::TiffLayout bigEndian;
    bigEndian.bigEndian = true;
    const std::vector<double> twoPoints{0, 0, 0, 1000, 5000, 0, 4, 3, 0, 1008, 4991, 0};
    struct Case {
        std::function<void()> write;
        std::int16_t message;
    };
    const Case cases[] = {
        {[&] { test::WriteTiff(path); }, msg::NoGeoreference},
        {[&] { test::WriteTiff(path, bigEndian); }, msg::NoGeoreference},
        {[&] {
             folder.Write(
                 "in/sheet.tif",
                 test::TiffBuilder::Image().AddDoubles(test::kTiepointTag, twoPoints).Build());
         },
         msg::ControlPointsOnly},
        {[&] {
             folder.Write("in/sheet.tif", test::TiffBuilder::Image()
                                              .AddDoubles(test::kTiepointTag, {0, 0, 0, 1, 2, 0})
                                              .Build());
         },
         msg::ErrorReadingHeader},
    };
    for (const Case& c : cases) {
        c.write();
        const std::string bytes = ReadBytes(path);
        const RunPlan plan =
            test::PlanFor(FileFormat::GeoTIFF, FileFormat::TFW, input, {"sheet.tif"});
        const auto refusal = test::RefusalOf([&] { test::ReadInput(t.env, plan); });
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->text, Texts().Message(c.message) + "\r" + path);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

// A TIFF whose directory lies past its end takes no tags: the refused copy does not stay behind.
TEST_F(GeoTiffPelcorTest, AFailedTaggingLeavesNoCopy) {
    const std::string bytes = std::string("II\x2a\0\xf0\xff\xff\x00", 8) + std::string(64, 'x');
    folder.Write("in/sheet.tif", bytes);
    const RunPlan plan =
        test::PlanFor(FileFormat::TFW, FileFormat::GeoTIFF, input, {"sheet.tfw"}, output);
    const auto refusal = test::RefusalOf([&] {
        test::WriteOutput(t.env, plan, {{2, 0, 0, -2, 1000, 2000}, plan.InputPath(0), ""});
    });
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text,
              Texts().Message(msg::ErrorWritingHeader) + "\r" + output + "/sheet.tif");
    EXPECT_TRUE(std::filesystem::is_empty(output));
    EXPECT_EQ(ReadBytes(input + "/sheet.tif"), bytes);
}

// Orthophoto mosaics over 4 GiB are BigTIFF: a sparse one takes its tags past the 4 GiB mark,
// where only 64-bit offsets reach, and GDAL reads them with the pixels unchanged.
TEST_F(GeoTiffPelcorTest, ABigTiffOverFourGibTakesItsTagsPastTheMark) {
    test::TiffLayout layout;
    layout.bigTiff = true;
    const std::string path = input + "/mosaic.tif";
    test::WriteTiff(path, layout);
    std::error_code error;
    std::filesystem::resize_file(path, (std::uint64_t{1} << 32) + 4096, error);
    if (error) {
        GTEST_SKIP() << "no sparse file over 4 GiB here: " << error.message();
    }
    const test::GdalImage before = test::DescribeWithGdal(path);
    WriteGeoTiff(t.env.texts, t.env.libraries.Pelcor(), path, {0.5, 0, 0, -0.5, 1000.25, 2000.25},
                 GeoTiffSystem{GeoTiffSystem::Source::EpsgCode, {false, 2180}, {}, false}, path);
    const test::GdalImage after = test::DescribeWithGdal(path);
    EXPECT_EQ(after.warnings, "");
    EXPECT_EQ(after.checksums, before.checksums);
    EXPECT_EQ(after.geoTransform, (std::vector<double>{1000, 0.5, 0, 2000.5, 0, -0.5}));
    EXPECT_GT(std::filesystem::file_size(path), std::uint64_t{1} << 32);
}

}  // namespace
}  // namespace marlo
