// The verdicts of the footprint index on how a series is laid: a stray sheet is named, an
// ordinary grid or two towns' series are not, and a sheet's system is named by its code.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <vector>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;

struct Sheet {
    double west, north;  // metres
};

// Sheets 1,000 m wide and 800 m high, `columns` by `rows`, from (west, north).
std::vector<Sheet> Grid(int columns, int rows, double west, double north) {
    std::vector<Sheet> sheets;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            sheets.push_back({west + 1000.0 * column, north - 800.0 * row});
        }
    }
    return sheets;
}

std::vector<Sheet> Joined(std::vector<Sheet> sheets, const std::vector<Sheet>& more) {
    sheets.insert(sheets.end(), more.begin(), more.end());
    return sheets;
}

// The footprint index of a world file → table run over `sheets` (one image, hard-linked).
std::string IndexOf(const std::vector<Sheet>& sheets, const std::string& projection) {
    test::TempFolder folder;
    const std::string image = folder / "image.tif";
    test::Shell("gdal_create -q -of GTiff -outsize 100 80 -bands 1 " + Quoted(image));
    std::string inputs;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::string name = "s" + std::to_string(i);
        std::filesystem::create_hard_link(image, folder / (name + ".tif"));
        inputs += " " + Quoted(folder.Write(name + ".tfw",
                                            "10\n0\n0\n-10\n" + std::to_string(sheets[i].west + 5) +
                                                "\n" + std::to_string(sheets[i].north - 5) + "\n"));
    }
    const std::string index = folder / "sheets.geojson";
    const test::CommandResult run =
        test::MarloConvert("--from tfw --to tab --projection " + projection + " --footprints " +
                           Quoted(index) + inputs);
    EXPECT_EQ(run.status, 0) << run.err;
    return test::ReadBytes(index);
}

// The files whose feature carries `property` true.
std::set<std::string> Flagged(const std::string& index, const std::string& property) {
    std::set<std::string> files;
    const std::regex feature("\"file\":\"([^\"]+)\"[^}]*\"" + property + "\":true");
    for (auto m = std::sregex_iterator(index.begin(), index.end(), feature);
         m != std::sregex_iterator(); ++m) {
        files.insert((*m)[1]);
    }
    return files;
}

TEST(FootprintVerdicts, OnlyASheetWithNoNeighbourNearIsFarFromTheRest) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    const std::vector<Sheet> grid = Grid(50, 40, 400000, 600000);
    const struct {
        const char* layout;
        std::vector<Sheet> sheets;
        std::set<std::string> far;
    } cases[] = {
        {"a 50 x 40 grid", grid, {}},
        {"the grid and one sheet 300 km east", Joined(grid, {{750000, 580000}}), {"s2000.tfw"}},
        {"two series 60 km apart",
         Joined(Grid(10, 10, 400000, 600000), Grid(8, 6, 470000, 600000)),
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        const std::string index = IndexOf(c.sheets, "EPSG:2180");
        EXPECT_EQ(Flagged(index, "far_from_rest"), c.far);
        EXPECT_EQ(Flagged(index, "covers_another"), std::set<std::string>{});
        EXPECT_NE(index.find("\"system\":\"EPSG:2180\""), std::string::npos);
    }
}

TEST(FootprintVerdicts, ASheetCoveringAnotherIsMarkedAndItsSystemIsNamedByItsCode) {
    if (!test::HaveGdalTools()) {
        GTEST_SKIP() << "GDAL's tools are not installed";
    }
    // The system of a table's clause that the shipped list lacks is found by GDAL.
    const std::string index = IndexOf({{500000, 200000}, {500010, 200000}}, "EPSG:27700");
    EXPECT_EQ(Flagged(index, "covers_another"), (std::set<std::string>{"s0.tfw", "s1.tfw"}));
    EXPECT_NE(index.find("\"system\":\"EPSG:27700\""), std::string::npos) << index;
    EXPECT_EQ(index.find("CoordSys"), std::string::npos);
}

}  // namespace
}  // namespace marlo
