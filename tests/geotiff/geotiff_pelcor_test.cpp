// Reading and writing through the real Pelcor, on images libtiff makes, where the library
// refuses: the message names the right file and no input changes.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/geotiff/geotiff.h"
#include "support/temp_folder.h"
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

TEST_F(GeoTiffPelcorTest, ATiffWithoutUsableGeoreferenceCannotBeRead) {
    test::TiffLayout bigEndian;
    bigEndian.bigEndian = true;
    for (const test::TiffLayout& layout : {test::TiffLayout{}, bigEndian}) {
        test::TestForm fresh;
        const std::string path = input + "/sheet.tif";
        test::WriteTiff(path, layout);
        const std::string bytes = ReadBytes(path);
        OdczytGEO(fresh.form, path);
        ASSERT_EQ(fresh.user.messages.size(), 1u);
        EXPECT_EQ(fresh.user.messages[0].text, MessageText(msg::ErrorReadingHeader) + "\r" + path);
        EXPECT_EQ(ReadBytes(path), bytes);
    }
}

// A TIFF whose directory lies past its end takes no tags: the refused copy does not stay behind.
TEST_F(GeoTiffPelcorTest, AFailedTaggingLeavesNoCopy) {
    const std::string bytes = std::string("II\x2a\0\xf0\xff\xff\x00", 8) + std::string(64, 'x');
    folder.Write("in/sheet.tif", bytes);
    t.form.WorldParams = {2, 0, 0, -2, 1000, 2000};
    ZapisGEO(t.form, input, output, "sheet.tfw");
    ASSERT_EQ(t.user.messages.size(), 1u);
    EXPECT_EQ(t.user.messages[0].text,
              MessageText(msg::ErrorWritingHeader) + "\r" + output + "/sheet.tif");
    EXPECT_TRUE(std::filesystem::is_empty(output));
    EXPECT_EQ(ReadBytes(input + "/sheet.tif"), bytes);
}

}  // namespace
}  // namespace marlo
