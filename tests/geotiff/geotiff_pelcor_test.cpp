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

// Pelcor cannot store a rotation in a file without a transformation matrix, nor anything in a
// big-endian file: the copy stays in the output folder exactly as the source was.
TEST_F(GeoTiffPelcorTest, AGeoreferencePelcorCannotStoreLeavesAPlainCopy) {
    struct Case {
        bool bigEndian;
        double rotation;
    };
    for (const Case& c : {Case{false, 0.25}, Case{true, 0}}) {
        test::TestForm fresh;
        test::TiffLayout layout;
        layout.bigEndian = c.bigEndian;
        test::WriteTiff(input + "/sheet.tif", layout);
        const std::string bytes = ReadBytes(input + "/sheet.tif");
        fresh.form.WorldParams = {2, c.rotation, 0, -2, 1000, 2000};
        ZapisGEO(fresh.form, input, output, "sheet.tfw");
        ASSERT_EQ(fresh.user.messages.size(), 1u);
        EXPECT_EQ(fresh.user.messages[0].text,
                  MessageText(msg::ErrorWritingHeader) + "\r" + output + "/sheet.tif");
        EXPECT_EQ(ReadBytes(output + "/sheet.tif"), bytes);
        EXPECT_EQ(ReadBytes(input + "/sheet.tif"), bytes);
        std::filesystem::remove(output + "/sheet.tif");
    }
}

}  // namespace
}  // namespace marlo
