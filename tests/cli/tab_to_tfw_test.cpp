#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"

namespace marlo {
namespace {

using test::ReadBytes;
using test::TempFolder;

const std::string kPoints =
    "  (500000,6000000) (0,0) Label \"Pt 1\",\r\n"
    "  (500040,6000000) (4,0) Label \"Pt 2\",\r\n"
    "  (500040,5999970) (4,3) Label \"Pt 3\",\r\n"
    "  (500000,5999970) (0,3) Label \"Pt 4\"\r\n";

std::string Table(const std::string& imageReference, const std::string& points = kPoints) {
    return "!table\r\n!version 300\r\n!charset WindowsLatin2\r\n\r\nDefinition Table\r\n"
           "  File \"" +
           imageReference + "\"\r\n  Type \"RASTER\"\r\n" + points + "  Units \"m\"\r\n";
}

class TabToTfwTest : public ::testing::Test {
protected:
    // Nothing the run does may reach the real home folder.
    TabToTfwTest() {
        for (const char* variable : kHomeVariables) {
            const char* value = std::getenv(variable);
            saved.push_back(value == nullptr ? std::nullopt : std::optional<std::string>(value));
            setenv(variable, home.path().c_str(), 1);
        }
    }
    ~TabToTfwTest() override {
        for (std::size_t i = 0; i < kHomeVariables.size(); ++i) {
            if (saved[i]) {
                setenv(kHomeVariables[i], saved[i]->c_str(), 1);
            } else {
                unsetenv(kHomeVariables[i]);
            }
        }
    }

    int Convert(const std::string& table) {
        std::ostringstream out;
        errors.str("");
        return cli::RunMarloConvert({"--from", "tab", "--to", "tfw", table}, out, errors);
    }

    static constexpr std::array<const char*, 3> kHomeVariables = {"HOME", "XDG_DATA_HOME",
                                                                  "XDG_CONFIG_HOME"};
    std::vector<std::optional<std::string>> saved;
    TempFolder home;
    TempFolder folder;
    std::ostringstream errors;
};

TEST_F(TabToTfwTest, WritesTheWorldFileBesideTheImageTheTableNames) {
    folder.Write("data/img/a.tif", test::TiffBuilder::Image().Build());
    const std::string table = folder.Write("data/a.tab", Table("img\\a.tif"));
    ASSERT_EQ(Convert(table), cli::kExitDone) << errors.str();
    EXPECT_EQ(ReadBytes(folder / "data/img/a.tfw"), "10\r\n0\r\n0\r\n-10\r\n500005\r\n5999995\r\n");
    EXPECT_EQ(errors.str(), "Done!\n");
}

// A relative reference may climb to a sibling folder, as MapInfo writes it, when it reaches an
// image by its bytes; an absolute path outside the table's folder, or a text file, is refused
// and nothing is written anywhere.
TEST_F(TabToTfwTest, ARelativeReferenceMayClimbAndNothingElseReachesOut) {
    const std::string outside = folder.Write("img/a.tif", test::TiffBuilder::Image().Build());
    for (const char* reference : {"..\\img\\a.tif", "../IMG/A.TIF. "}) {
        const std::string table = folder.Write("data/a.tab", Table(reference));
        ASSERT_EQ(Convert(table), cli::kExitDone) << errors.str();
        EXPECT_EQ(ReadBytes(folder / "img/a.tfw"), "10\r\n0\r\n0\r\n-10\r\n500005\r\n5999995\r\n");
        std::filesystem::remove(folder / "img/a.tfw");
        std::filesystem::remove(table);
    }
    folder.Write("data/notes.tif", "not an image\r\n");
    const std::string outsideMessage =
        "The image lies outside the TAB file's folder; nothing is written beside it!\n" + outside;
    const std::pair<std::string, std::string> cases[] = {
        {outside, outsideMessage},
        {"notes.tif", "File not found!\n" + std::string(folder / "data/notes.tif")},
    };
    for (const auto& [reference, message] : cases) {
        const auto before = test::TreeBytes(folder.path());
        const std::string table = folder.Write("data/a.tab", Table(reference));
        EXPECT_EQ(Convert(table), cli::kExitNotDone) << reference;
        EXPECT_EQ(errors.str(), table + ":\n" + message + "\n") << reference;
        std::filesystem::remove(table);
        EXPECT_EQ(test::TreeBytes(folder.path()), before) << reference;
    }
}

TEST_F(TabToTfwTest, AnImageOutOfReachGetsItsWorldFileBesideTheTable) {
    const std::string table = folder.Write("data/a.tab", Table("C:\\maps\\sheet.tif"));
    ASSERT_EQ(Convert(table), cli::kExitDone) << errors.str();
    EXPECT_EQ(ReadBytes(folder / "data/sheet.tfw"), "10\r\n0\r\n0\r\n-10\r\n500005\r\n5999995\r\n");
}

TEST_F(TabToTfwTest, ABadTableEndsTheRunWithoutAWorldFile) {
    folder.Write("data/a.tif", "x");
    const std::string twoPoints = kPoints.substr(0, kPoints.find("  (500040,5999970)"));
    const std::string table = folder.Write("data/a.tab", Table("a.tif", twoPoints));
    EXPECT_EQ(Convert(table), cli::kExitNotDone);
    EXPECT_EQ(errors.str(), "TAB file doesn't contain enough coordinates!\n" + table + "\n");

    folder.Write("data/a.tab", Table("a.tif",
                                     "  (1,2) (0,0) Label \"1\",\r\n  (3,4) (0,0) Label \"2\",\r\n"
                                     "  (5,6) (4,3) Label \"3\"\r\n"));
    EXPECT_EQ(Convert(table), cli::kExitNotDone);
    EXPECT_NE(errors.str().find("Raster is not rectyfied\n" + table), std::string::npos)
        << errors.str();
    EXPECT_EQ(errors.str().find("Done!"), std::string::npos);
    EXPECT_FALSE(std::ifstream(folder / "data/a.tfw").good());
}

}  // namespace
}  // namespace marlo
