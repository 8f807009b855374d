// The failure rows of reading and writing, driven through a Pelcor double whose answers the
// image file dictates, so that results the real library never gives are covered too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "support/temp_folder.h"
#include "test_images.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;

constexpr const char* kPelcorDouble = "libmarlo_test_pelcor.so";

class GeoTiffFailureTest : public ::testing::Test {
protected:
    GeoTiffFailureTest() {
        t.env.libraries.pelcor = kPelcorDouble;
        input = folder.MakeFolder("in");
        output = folder.MakeFolder("out");
    }

    // Reads `entry` of the input folder as the run reads a GeoTIFF.
    Georeference Read(const std::string& entry) {
        const RunPlan plan = test::PlanFor(FileFormat::GeoTIFF, FileFormat::TFW, input, {entry});
        return test::ReadInput(t.env, plan).georeference;
    }
    // Makes a GeoTIFF in `outputFolder` from the image `entry` of the input folder stands for.
    void Write(const std::string& entry, const std::string& outputFolder) {
        const RunPlan plan =
            test::PlanFor(FileFormat::TFW, FileFormat::GeoTIFF, input, {entry}, outputFolder);
        test::WriteOutput(t.env, plan, {{1, 0, 0, -1, 0, 0}, plan.InputPath(0), ""});
    }

    // The refusal: critical, the catalogue text, the break, the path.
    static void ExpectRefusal(const std::optional<Refusal>& refusal, std::int16_t number,
                              const std::string& path) {
        ASSERT_TRUE(refusal.has_value()) << path;
        EXPECT_EQ(refusal->text, Texts().Message(number) + "\r" + path);
        EXPECT_EQ(refusal->icon, MessageIcon::Critical);
    }

    TempFolder folder;
    test::TestForm t;
    std::string input;
    std::string output;
};

TEST_F(GeoTiffFailureTest, ReadingGivesWhatTheLibraryGives) {
    folder.Write("in/map.tif", "1 2.5 0 0 -2.5 100.25 200.75");
    const Georeference p = Read("map.tif");
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
        const std::string path = folder.Write("in/map.tif", c.content);
        ExpectRefusal(test::RefusalOf([&] { Read("map.tif"); }), c.message, path);
    }
}

TEST_F(GeoTiffFailureTest, AMissingInputIsNotFound) {
    ExpectRefusal(test::RefusalOf([&] { Read("absent.tif"); }), msg::FileNotFound,
                  input + "/absent.tif");
}

TEST_F(GeoTiffFailureTest, WritingCopiesTheImageBesideTheWorldFileAndWritesTheCopy) {
    const std::string source = folder.Write("in/map.2021.TIFF", "1");
    Write("map.2021.tfw", output);
    EXPECT_EQ(ReadBytes(output + "/map.2021.TIFF"), "1");
    EXPECT_EQ(std::distance(fs::directory_iterator(output), {}), 1);
    EXPECT_EQ(ReadBytes(source), "1");
}

TEST_F(GeoTiffFailureTest, AReadOnlySourceGivesAWritableCopy) {
    const std::string source = folder.Write("in/map.tif", "1");
    test::MakeReadOnly(source);
    Write("map.tif", output);
    struct stat info {};
    ASSERT_EQ(::stat((output + "/map.tif").c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
    ASSERT_EQ(::stat(source.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0222, 0u);
}

TEST_F(GeoTiffFailureTest, AMissingSourceIsNotFound) {
    ExpectRefusal(test::RefusalOf([&] { Write("map.tfw", output); }), msg::FileNotFound,
                  input + "/map.tif");
    EXPECT_FALSE(fs::exists(output + "/map.tif"));
}

TEST_F(GeoTiffFailureTest, AMissingOutputFolderCannotBeOpened) {
    folder.Write("in/map.tif", "1");
    ExpectRefusal(test::RefusalOf([&] { Write("map.tfw", folder / "nowhere"); }),
                  msg::UnableToOpenFile, input + "/map.tif");
}

// Whatever stands at the target's name, a file, a folder or a link to nowhere, stays as it is.
TEST_F(GeoTiffFailureTest, AnythingAtTheTargetNameIsLeftAlone) {
    folder.Write("in/map.tif", "1");
    const std::string target = output + "/map.tif";
    const auto check = [&](const std::function<void()>& expectUntouched) {
        ExpectRefusal(test::RefusalOf([&] { Write("map.tfw", output); }), msg::OutputFileExists,
                      target);
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
        folder.Write("in/map.tif", c.content);
        ExpectRefusal(test::RefusalOf([&] { Write("map.tfw", output); }), c.message,
                      output + "/map.tif");
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
            fresh.env.libraries.pelcor = c.library;
            fresh.Choose(toGeoTiff ? FileFormat::TFW : FileFormat::GeoTIFF,
                         toGeoTiff ? FileFormat::GeoTIFF : FileFormat::TFW);
            fresh.user.AnswerFiles(input + (toGeoTiff ? "/map.tfw" : "/map.tif"));
            fresh.user.folderAnswers.push_back(output);
            fresh.Convert();

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
