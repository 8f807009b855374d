#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tiffio.h>

#include <type_traits>

#include "formats/geotiff/geotiff.h"
#include "pelcor/pelcor.h"
#include "platform/bound_libraries.h"
#include "support/temp_folder.h"
#include "test_images.h"
#include "vantrel/vantrel.h"

namespace marlo {

namespace {

using test::TempFolder;
using test::TiffLayout;

struct NamedLayout {
    const char* name;
    TiffLayout layout;
};
// Test names and failure messages show the layout's name, not its bytes.
void PrintTo(const NamedLayout& layout, std::ostream* out) {
    *out << layout.name;
}

class ImageSizeTest : public ::testing::TestWithParam<NamedLayout> {};

TEST_P(ImageSizeTest, MeasuresTheFirstImageSilently) {
    TempFolder folder;
    test::TestForm t;
    const std::string path = folder / "image.tif";
    test::WriteTiff(path, GetParam().layout);

    ::testing::internal::CaptureStderr();
    const auto measured = GetTiffInfo(t.env, path);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(measured.value.width, static_cast<std::int32_t>(GetParam().layout.width));
    EXPECT_EQ(measured.value.height, static_cast<std::int32_t>(GetParam().layout.height));
    EXPECT_FALSE(measured.error.has_value());
    EXPECT_TRUE(t.user.messages.empty());
}

TiffLayout Layout(std::uint32_t width, std::uint32_t height) {
    TiffLayout layout;
    layout.width = width;
    layout.height = height;
    return layout;
}

TiffLayout With(TiffLayout layout, bool TiffLayout::*flag) {
    layout.*flag = true;
    return layout;
}

TiffLayout Compressed(TiffLayout layout, std::uint16_t compression) {
    layout.compression = compression;
    return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImageSizeTest,
    ::testing::Values(
        NamedLayout{"LittleEndian", Layout(40, 30)},
        NamedLayout{"BigEndian", With(Layout(33, 71), &TiffLayout::bigEndian)},
        NamedLayout{"BigTiff", With(Layout(50, 20), &TiffLayout::bigTiff)},
        NamedLayout{"BigEndianBigTiff",
                    With(With(Layout(17, 5), &TiffLayout::bigTiff), &TiffLayout::bigEndian)},
        NamedLayout{"Tiled", With(Layout(70, 45), &TiffLayout::tiled)},
        NamedLayout{"Lzw", Compressed(Layout(64, 48), COMPRESSION_LZW)},
        NamedLayout{"TiledDeflate", Compressed(With(Layout(40, 90), &TiffLayout::tiled),
                                               COMPRESSION_ADOBE_DEFLATE)},
        NamedLayout{"ThreePages",
                    [] {
                        TiffLayout layout = Layout(12, 9);
                        layout.pages = 3;
                        return layout;
                    }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImageSize, AnythingThatIsNotAReadableTiffGivesZeroSizeAndNoMessage) {
    TempFolder folder;
    test::TestForm t;
    std::string truncated;
    {
        const std::string whole = folder / "whole.tif";
        test::WriteTiff(whole);
        truncated = test::ReadBytes(whole).substr(0, 12);
    }
    const std::string fifo = folder / "fifo.tif";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // must not wait for a writer
    const std::vector<std::string> paths = {folder / "missing.tif",
                                            folder.Write("text.tif", "not a tiff at all"),
                                            folder.Write("cut.tif", truncated),
                                            folder.Write("empty.tif", ""),
                                            folder.path(),
                                            fifo};
    for (const std::string& path : paths) {
        GetTiffInfo(t.env, folder / "whole.tif");  // a size the next may not keep
        ::testing::internal::CaptureStderr();
        const auto measured = GetTiffInfo(t.env, path);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << path;
        EXPECT_EQ(measured.value.width, 0) << path;
        EXPECT_EQ(measured.value.height, 0) << path;
        EXPECT_FALSE(measured.error.has_value()) << path;
    }
    EXPECT_TRUE(t.user.messages.empty());
}

// A library or function that cannot be bound comes back from GetTiffInfo with its report's
// frame, for the run to report, and the size of the image measured before does not survive.
TEST(ImageSize, ALibraryThatCannotBeBoundIsReportedAndTheSizeBecomesZero) {
    TempFolder folder;
    const std::string path = folder / "image.tif";
    test::WriteTiff(path);
    struct Case {
        std::string library;
        std::string number;
    };
    for (const Case& c :
         {Case{"libmarlo-no-such-library.so", "53"}, Case{"libmarlo_test_pelcor.so", "453"}}) {
        test::TestForm t;
        GetTiffInfo(t.env, path);
        t.env.libraries.vantrel = c.library;
        const auto measured = GetTiffInfo(t.env, path);
        EXPECT_EQ(measured.value.width, 0);
        EXPECT_EQ(measured.value.height, 0);
        ASSERT_TRUE(measured.error.has_value());
        const std::string report = ErrorReportText(*measured.error);
        EXPECT_NE(report.find("\tGetTiffInfo Kestrin \r\n"), std::string::npos) << report;
        EXPECT_NE(report.find("Error Number \r\n\t" + c.number + "\r\n"), std::string::npos)
            << report;
        EXPECT_TRUE(t.user.messages.empty());
        EXPECT_TRUE(t.user.errorReports.empty());
    }
}

}  // namespace
}  // namespace marlo
