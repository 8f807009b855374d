// The failure rows of reading and writing, driven through a Pelcor double whose answers the
// image file dictates, so that results the real library never gives are covered too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "conversion/conversion_run.h"
#include "formats/geotiff/geotiff.h"
#include "support/temp_folder.h"
#include "test_images.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;

class GeoTiffFailureTest : public ::testing::Test {
protected:
    GeoTiffFailureTest() {
        t.form.pelcorLibrary = "libmarlo_test_pelcor.so";
        t.form.WorldParams = {1, 0, 0, -1, 0, 0};
        input = folder.MakeFolder("in");
        output = folder.MakeFolder("out");
    }

    // The one message shown: critical, the catalogue text, the break, the path.
    void ExpectOnlyMessage(std::int16_t number, const std::string& path,
                           const std::string& lineBreak = "\r") {
        ASSERT_EQ(t.user.messages.size(), 1u);
        EXPECT_EQ(t.user.messages[0].text, MessageText(number) + lineBreak + path);
        EXPECT_EQ(t.user.messages[0].icon, MessageIcon::Critical);
        EXPECT_TRUE(t.form.conversionFailed);
        EXPECT_TRUE(t.user.errorReports.empty());
    }

    TempFolder folder;
    test::TestForm t;
    std::string input;
    std::string output;
};

TEST_F(GeoTiffFailureTest, ReadingFillsWorldParamsWithWhatTheLibraryGives) {
    const std::string path = folder.Write("in/map.tif", "1 2.5 0 0 -2.5 100.25 200.75");
    OdczytGEO(t.form, path);
    EXPECT_TRUE(t.user.messages.empty());
    EXPECT_FALSE(t.form.conversionFailed);
    const WorldParameters& p = t.form.WorldParams;
    EXPECT_EQ(p.pixelSizeX, 2.5);
    EXPECT_EQ(p.pixelSizeY, -2.5);
    // The library gives world-file values, whatever the raster type.
    EXPECT_EQ(p.originX, 100.25);
    EXPECT_EQ(p.originY, 200.75);
}

TEST_F(GeoTiffFailureTest, ReadingFailuresShowTheirMessageWithThePath) {
    struct Case {
        std::string content;
        std::int16_t message;
    };
    for (const Case& c : {Case{"0", msg::ErrorReadingHeader}, Case{"2", msg::Error},
                          Case{"-1", msg::Error}, Case{"1 0 0 0 -1 0 0", msg::RasterNotRectified},
                          Case{"1 1 2 2 4 0 0", msg::RasterNotRectified}}) {
        test::TestForm fresh;
        fresh.form.pelcorLibrary = t.form.pelcorLibrary;
        const std::string path = folder.Write("in/map.tif", c.content);
        OdczytGEO(fresh.form, path);
        ASSERT_EQ(fresh.user.messages.size(), 1u) << c.content;
        EXPECT_EQ(fresh.user.messages[0].text, MessageText(c.message) + "\r" + path);
        EXPECT_EQ(fresh.user.messages[0].icon, MessageIcon::Critical);
        EXPECT_TRUE(fresh.form.conversionFailed);
    }
}

TEST_F(GeoTiffFailureTest, AMissingInputIsNotFound) {
    OdczytGEO(t.form, input + "/absent.tif");
    ExpectOnlyMessage(msg::FileNotFound, input + "/absent.tif");
}

TEST_F(GeoTiffFailureTest, WritingCopiesTheImageBesideTheWorldFileAndWritesTheCopy) {
    const std::string source = folder.Write("in/map.2021.TIFF", "1");
    ZapisGEO(t.form, input, output, "map.2021.tfw");
    EXPECT_TRUE(t.user.messages.empty());
    EXPECT_FALSE(t.form.conversionFailed);
    EXPECT_EQ(ReadBytes(output + "/map.2021.TIFF"), "1");
    EXPECT_EQ(std::distance(fs::directory_iterator(output), {}), 1);
    EXPECT_EQ(ReadBytes(source), "1");
}

TEST_F(GeoTiffFailureTest, AReadOnlySourceGivesAWritableCopy) {
    const std::string source = folder.Write("in/map.tif", "1");
    test::MakeReadOnly(source);
    ZapisGEO(t.form, input, output, "map.tif");
    EXPECT_TRUE(t.user.messages.empty());
    struct stat info {};
    ASSERT_EQ(::stat((output + "/map.tif").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
    ASSERT_EQ(::stat(source.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u);
}

TEST_F(GeoTiffFailureTest, AMissingSourceIsNotFound) {
    ZapisGEO(t.form, input, output, "map.tfw");
    ExpectOnlyMessage(msg::FileNotFound, input + "/map.tif");
    EXPECT_FALSE(fs::exists(output + "/map.tif"));
}

TEST_F(GeoTiffFailureTest, AMissingOutputFolderCannotBeOpened) {
    folder.Write("in/map.tif", "1");
    ZapisGEO(t.form, input, folder / "nowhere", "map.tfw");
    ExpectOnlyMessage(msg::UnableToOpenFile, input + "/map.tif");
}

// Whatever stands at the target's name, a file, a folder or a link to nowhere, stays as it is.
TEST_F(GeoTiffFailureTest, AnythingAtTheTargetNameIsLeftAlone) {
    folder.Write("in/map.tif", "1");
    const std::string target = output + "/map.tif";
    const auto check = [&](const std::function<void()>& expectUntouched) {
        test::TestForm fresh;
        fresh.form.pelcorLibrary = t.form.pelcorLibrary;
        fresh.form.WorldParams = t.form.WorldParams;
        ZapisGEO(fresh.form, input, output, "map.tfw");
        ASSERT_EQ(fresh.user.messages.size(), 1u);
        EXPECT_EQ(fresh.user.messages[0].text, MessageText(msg::OutputFileExists) + "\r" + target);
        EXPECT_TRUE(fresh.form.conversionFailed);
        expectUntouched();
        fs::remove(target);
    };

    folder.Write("out/map.tif", "earlier output");
    test::MakeReadOnly(target);
    check([&] { EXPECT_EQ(ReadBytes(target), "earlier output"); });

    fs::create_directory(target);
    check([&] { EXPECT_TRUE(fs::is_directory(target)); });

    fs::create_symlink(folder / "elsewhere.tif", target);
    check([&] {
        EXPECT_TRUE(fs::is_symlink(target));
        EXPECT_FALSE(fs::exists(folder / "elsewhere.tif"));
    });
}

TEST_F(GeoTiffFailureTest, WritingFailuresRemoveTheCopyAndShowTheTarget) {
    struct Case {
        std::string content;
        std::int16_t message;
    };
    for (const Case& c : {Case{"0", msg::ErrorWritingHeader}, Case{"3", msg::Error}}) {
        test::TestForm fresh;
        fresh.form.pelcorLibrary = t.form.pelcorLibrary;
        fresh.form.WorldParams = t.form.WorldParams;
        folder.Write("in/map.tif", c.content);
        ZapisGEO(fresh.form, input, output, "map.tfw");
        ASSERT_EQ(fresh.user.messages.size(), 1u);
        EXPECT_EQ(fresh.user.messages[0].text, MessageText(c.message) + "\r" + output + "/map.tif");
        EXPECT_TRUE(fresh.form.conversionFailed);
        EXPECT_TRUE(fs::is_empty(output));
    }
}

// Reading and writing hand a library that cannot be bound on to the run, which reports it
// once with both locations.
TEST_F(GeoTiffFailureTest, AnUnboundLibraryReachesTheRunsReport) {
    struct Case {
        std::string library;
        std::string number;
    };
    // A TIFF by its bytes, which the run takes as GeoTIFF input before any library reads it.
    test::WriteTiff(input + "/map.tif");
    folder.Write("in/map.tfw", test::WorldFileText("1", "0", "0", "-1", "0.5", "0.5"));
    for (const Case& c :
         {Case{"libmarlo-no-such-library.so", "53"}, Case{"libvantrel.so", "453"}}) {
        for (const bool toGeoTiff : {false, true}) {
            test::TestForm fresh;
            fresh.form.pelcorLibrary = c.library;
            SelectFormats(fresh.form.options, toGeoTiff ? format::TFW : format::GeoTIFF,
                          toGeoTiff ? format::GeoTIFF : format::TFW);
            fresh.user.AnswerFiles(input + (toGeoTiff ? "/map.tfw" : "/map.tif"));
            fresh.user.folderAnswers.push_back(output);
            cmbOK_Click(fresh.form);

            const std::string procedure = toGeoTiff ? "ZapisGEO" : "OdczytGEO";
            ASSERT_EQ(fresh.user.errorReports.size(), 1u) << procedure;
            const std::string& report = fresh.user.errorReports[0];
            EXPECT_NE(report.find("\tcmbOK_Click Kestrin \r\n\t" + procedure + " Kestrin \r\n"),
                      std::string::npos)
                << report;
            EXPECT_NE(report.find("Error Number \r\n\t" + c.number + "\r\n"), std::string::npos);
            EXPECT_TRUE(fresh.user.messages.empty());
            fs::remove(output + "/map.tif");
        }
    }
}

}  // namespace
}  // namespace marlo
