#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "support/sheets.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;

// Folders named to marlo-convert: every file of the input format in them, and in their
// subfolders with --recursive; GeoTIFFs go to the same subfolders of the output folder.
class FolderInputTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_DATA_HOME", temp.MakeFolder("data").c_str(), 1); }

    // A sheet: an image and its world file, at `name` (without extension) below the folder.
    void Sheet(const std::string& name) const {
        temp.Write(name + ".tif", test::TiffBuilder::Image().Build());
        temp.Write(name + ".tfw", test::kWorldFile100x900);
    }

    int Run(std::vector<std::string> arguments) {
        out.str("");
        errors.str("");
        return cli::RunMarloConvert(arguments, out, errors);
    }

    bool Exists(const std::string& name) const { return fs::exists(temp / name); }

    test::TempFolder temp;
    std::ostringstream out;
    std::ostringstream errors;
};

TEST_F(FolderInputTest, AFolderGivesEveryFileOfTheInputFormat) {
    for (int sheet = 0; sheet < 600; ++sheet) {
        Sheet("maps/s" + std::to_string(sheet));
    }
    temp.Write("maps/notes.txt", "not a world file");
    Sheet("maps/below/deep");
    ASSERT_EQ(Run({"--from", "tfw", "--to", "tab", "--projection", "EPSG:2180", temp / "maps"}),
              cli::kExitDone)
        << errors.str();
    EXPECT_NE(out.str().find("Converted: 600,"), std::string::npos) << out.str();
    EXPECT_TRUE(Exists("maps/s0.tab") && Exists("maps/s599.tab"));
    EXPECT_FALSE(Exists("maps/below/deep.tab"));
}

TEST_F(FolderInputTest, RecursiveTakesSubfoldersAndGeoTiffsMirrorThem) {
    Sheet("maps/top");
    Sheet("maps/north/a");
    Sheet("maps/south/east/b");
    temp.MakeFolder("out");
    ASSERT_EQ(Run({"--from", "tfw", "--to", "geotiff", "--recursive", "--output-dir", temp / "out",
                   temp / "maps"}),
              cli::kExitDone)
        << errors.str();
    EXPECT_NE(out.str().find("Converted: 3,"), std::string::npos) << out.str();
    for (const char* output : {"out/top.tif", "out/north/a.tif", "out/south/east/b.tif"}) {
        EXPECT_TRUE(Exists(output)) << output;
    }
}

TEST_F(FolderInputTest, FilesFromSeveralFoldersAreOneRun) {
    Sheet("x/a");
    Sheet("y/b");
    ASSERT_EQ(Run({"--from", "tfw", "--to", "tab", "--projection", "EPSG:2180", temp / "x/a.tfw",
                   temp / "y/b.tfw", temp / "x/a.tfw"}),
              cli::kExitDone)
        << errors.str();
    EXPECT_NE(out.str().find("Converted: 2,"), std::string::npos) << out.str();
    EXPECT_TRUE(Exists("x/a.tab") && Exists("y/b.tab"));
}

}  // namespace
}  // namespace marlo
