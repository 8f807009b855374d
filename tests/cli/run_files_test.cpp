#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli/command_line.h"
#include "support/failures.h"
#include "support/sheets.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;

// Files a run is told to write besides its outputs, and inputs that would share an output: the
// run refuses what would replace a file the user did not mean, and changes nothing for it.
class RunFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", temp.MakeFolder("data").c_str(), 1);
        temp.Write("d/a.tif", test::TiffBuilder::Image().Build());
        temp.Write("d/a.tfw", test::kWorldFile100x900);
    }

    int Run(const std::vector<std::string>& arguments) {
        out.str("");
        errors.str("");
        return cli::RunMarloConvert(arguments, out, errors);
    }

    // Every file below the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(temp / "d")) {
            if (entry.is_regular_file()) {
                files[entry.path().string()] = test::ReadBytes(entry.path().string());
            }
        }
        return files;
    }

    test::TempFolder temp;
    std::ostringstream out;
    std::ostringstream errors;
};

TEST_F(RunFilesTest, AFootprintIndexNeverReplacesWhatTheUserDidNotMean) {
    temp.Write("d/notes.geojson", "my own notes");
    const std::string index = temp.Write("d/old.geojson", "{\"type\":\"FeatureCollection\"}");
    test::MakeReadOnly(index);
    struct Case {
        std::string path, message;
    };
    const Case cases[] = {
        {"d/a.tfw", "The output would replace an input of this conversion!"},
        {"d/a.tab", "This file would replace an output of this conversion!"},
        {"d/a.tif", "The file exists and is not a summary or footprint index Marlo wrote!"},
        {"d/notes.geojson", "The file exists and is not a summary or footprint index Marlo wrote!"},
        {"d/old.geojson", "File is read only!"},
    };
    for (const Case& c : cases) {
        const auto before = Snapshot();
        for (const char* option : {"--footprints", "--summary-csv"}) {
            EXPECT_EQ(Run({"--from", "tfw", "--to", "tab", "--projection", "EPSG:2180", option,
                           temp / c.path, temp / "d/a.tfw"}),
                      cli::kExitNotDone)
                << c.path;
            EXPECT_NE(errors.str().find(c.message), std::string::npos) << errors.str();
            EXPECT_EQ(out.str(), "") << c.path;
            EXPECT_EQ(Snapshot(), before) << c.path;
        }
    }
}

TEST_F(RunFilesTest, TwoInputsWithOneOutputConvertOnlyTheFirst) {
    temp.Write("d/a.tifw", "4\r\n0\r\n0\r\n-4\r\n100\r\n900\r\n");
    EXPECT_EQ(Run({"--from", "tfw", "--to", "tab", "--projection", "EPSG:2180", "--keep-going",
                   temp / "d/a.tfw", temp / "d/a.tifw"}),
              cli::kExitNotDone);
    EXPECT_NE(out.str().find("Converted: 1, skipped: 0, failed: 1"), std::string::npos)
        << out.str();
    EXPECT_NE(test::ReadBytes(temp / "d/a.tab").find("(99,901) (0,0) Label"), std::string::npos);
}

// Two tables naming one image: the second fails, naming the first one's output where it lies.
TEST_F(RunFilesTest, TheSecondTableForOneImageNamesTheOutputInTheOutputFolder) {
    for (const char* name : {"d/a.tab", "d/b.tab"}) {
        temp.Write(
            name,
            "!table\r\n!version 300\r\n\r\nDefinition Table\r\n  File \"a.tif\"\r\n"
            "  Type \"RASTER\"\r\n  (100,900) (0,0) Label \"a\",\r\n"
            "  (120,900) (10,0) Label \"b\",\r\n  (120,880) (10,10) Label \"c\"\r\n"
            "  CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000\r\n");
    }
    const std::string output = temp.MakeFolder("out");
    EXPECT_EQ(Run({"--from", "tab", "--to", "geotiff", "--keep-going", "--output-dir", output,
                   temp / "d/a.tab", temp / "d/b.tab"}),
              cli::kExitNotDone);
    EXPECT_NE(out.str().find("b.tab: This file would replace an output of this conversion! " +
                             output + "/a.tif\n"),
              std::string::npos)
        << out.str();
}

// GeoTIFF output into the input folder is refused before an existing output can be skipped.
TEST_F(RunFilesTest, TheSameFolderIsRefusedBeforeAnythingIsSkipped) {
    EXPECT_EQ(Run({"--from", "tfw", "--to", "geotiff", "--existing", "skip", "--output-dir",
                   temp / "d", temp / "d/a.tfw"}),
              cli::kExitNotDone);
    EXPECT_NE(errors.str().find("Input and output directories are the same!"), std::string::npos)
        << errors.str();
}

// The input's image is never the copy's target, whatever names lead there: the input folder
// through a link, or the folder of an image a table names from another folder.
TEST_F(RunFilesTest, AnImageIsNeverCopiedOntoItself) {
    fs::create_directory_symlink(temp / "d", temp / "link");
    temp.Write("t/b.tab",
               "!table\r\n!version 300\r\n\r\nDefinition Table\r\n  File \"../d/a.tif\"\r\n"
               "  Type \"RASTER\"\r\n  (100,900) (0,0) Label \"a\",\r\n"
               "  (120,900) (10,0) Label \"b\",\r\n  (120,880) (10,10) Label \"c\"\r\n");
    struct Case {
        const char* from;
        const char* existing;
        std::string outputFolder, input;
    };
    const Case cases[] = {
        {"tfw", "replace", temp / "link", temp / "d/a.tfw"},
        {"tfw", "skip", temp / "link", temp / "d/a.tfw"},
        {"tab", "replace", temp / "d", temp / "t/b.tab"},
        {"tab", "skip", temp / "link", temp / "t/b.tab"},
    };
    const auto before = Snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.existing + " " + c.outputFolder);
        EXPECT_EQ(Run({"--from", c.from, "--to", "geotiff", "--existing", c.existing,
                       "--projection", "EPSG:2180", "--output-dir", c.outputFolder, c.input}),
                  cli::kExitNotDone);
        EXPECT_NE(errors.str().find("Input and output directories are the same!"),
                  std::string::npos)
            << errors.str() << out.str();
        EXPECT_EQ(Snapshot(), before);
    }
}

}  // namespace
}  // namespace marlo
