#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "formats/geotiff/geotiff.h"
#include "projection/projection_choice.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

const char* const kList =
    "--- Longitude / Latitude ---\r\n"
    "\"Longitude / Latitude (WGS 84)\", 1, 104\r\n"
    "\r\n"
    "--- UTM (WGS 84) ---\r\n"
    "\"UTM zone 33N (WGS 84)\", 8, 104, \"m\", 15, 0, 0.9996, 500000, 0\r\n"
    "\"UTM zone 3N (WGS 84)\", 8, 104, \"m\", -165, 0, 0.9996, 500000, 0\r\n";

// Output and exit status of a shell command.
struct CommandResult {
    std::string output;
    int status = -1;
};

CommandResult Shell(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer;
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.output.append(buffer.data(), read);
    }
    result.status = pclose(pipe);
    return result;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

bool GdalAvailable() {
    return Shell(
               "command -v gdal_create && command -v gdalinfo && command -v gdalsrsinfo && "
               "command -v gdaltransform")
               .status == 0;
}

// The six numbers of "geoTransform" in gdalinfo's JSON; empty when it has none.
std::vector<double> GeoTransform(const std::string& image) {
    const std::string json = Shell("GDAL_PAM_ENABLED=NO gdalinfo -json " + Quoted(image)).output;
    std::vector<double> values;
    const auto key = json.find("\"geoTransform\"");
    if (key == std::string::npos) {
        return values;
    }
    const char* at = json.c_str() + json.find('[', key) + 1;
    for (int i = 0; i < 6; ++i) {
        char* end = nullptr;
        values.push_back(std::strtod(at, &end));
        at = end + 1;  // past the comma
    }
    return values;
}

void ExpectSameTransform(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), 6u);
    ASSERT_EQ(expected.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        // The number text keeps 15 significant digits.
        EXPECT_NEAR(actual[i], expected[i], 1e-12 * std::max(1.0, std::fabs(expected[i])))
            << "value " << i;
    }
}

class TabOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", folder.MakeFolder("data").c_str(), 1);
        setenv("HOME", folder.MakeFolder("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", folder.MakeFolder("config").c_str(), 1);
        listPath = folder.Write("lists/list.prj", kList);
        inputs = folder.MakeFolder("in");
    }

    int Convert(std::vector<std::string> arguments) {
        errors.str("");
        std::ostringstream out;
        return cli::RunMarloConvert(arguments, out, errors);
    }

    std::string CopiedList() const { return folder / "data/Marlo/mapinfow.prj"; }

    // An image without any georeference of its own.
    std::string PlainImage(const std::string& name, int width, int height) {
        const std::string image = JoinPath(inputs, name);
        Shell("gdal_create -of GTiff -ot Byte -bands 1 -outsize " + std::to_string(width) + " " +
              std::to_string(height) + " " + Quoted(image));
        return image;
    }

    // The coordinate system GDAL reads for `image` maps points of `epsg` onto themselves.
    void ExpectCoordinateSystem(const std::string& image, const std::string& epsg,
                                const std::vector<std::pair<double, double>>& points) {
        const std::string wkt = folder / "crs.wkt";
        Shell("GDAL_PAM_ENABLED=NO gdalsrsinfo -o wkt " + Quoted(image) + " > " + Quoted(wkt));
        std::ostringstream asked;
        asked.precision(17);
        for (const auto& [x, y] : points) {
            asked << x << ' ' << y << '\n';
        }
        const std::string pointsFile = folder.Write("points.txt", asked.str());
        const std::string mapped = Shell("gdaltransform -output_xy -s_srs " + Quoted(wkt) +
                                         " -t_srs " + epsg + " < " + Quoted(pointsFile))
                                       .output;
        std::istringstream given(mapped);
        for (const auto& [x, y] : points) {
            double gx = 0;
            double gy = 0;
            ASSERT_TRUE(given >> gx >> gy) << "gdaltransform gave: " << mapped;
            EXPECT_NEAR(gx, x, 1e-6);
            EXPECT_NEAR(gy, y, 1e-6);
        }
    }

    test::TempFolder folder;
    std::string listPath;
    std::string inputs;
    std::ostringstream errors;
};

TEST_F(TabOutputTest, AnswersTheProjectionWindowByTheListedNames) {
    folder.Write("in/sheet.tif", test::TiffBuilder::Image().Build());
    const std::string worldFile = folder.Write("in/sheet.tfw", "2\n0\n0\n-2\n101\n899\n");
    // The group is found without the blanks that set it off from its hyphens.
    Convert({"--from", "tfw", "--to", "tab", "--group", "UTM (WGS 84)", "--projection",
             "UTM zone 3N (WGS 84)", "--projection-file", listPath, worldFile});
    EXPECT_EQ(ReadBytes(CopiedList()), kList);
    EXPECT_EQ(errors.str().find("marlo-convert:"), std::string::npos) << errors.str();
    // The run got as far as the writer: the copy and the window's answer were good.
    EXPECT_TRUE(fs::exists(folder / "in/sheet.tab"));
}

// The list named by --projection-file serves the run that names it, on a fresh profile too:
// the code is looked up in it, not in the shipped list.
TEST_F(TabOutputTest, TheProjectionFileServesTheRunThatNamesIt) {
    const std::string worldFile = folder.Write("in/sheet.tfw", "2\n0\n0\n-2\n101\n899\n");
    PlainImage("sheet.tif", 40, 30);
    const std::string ownList = folder.Write(
        "lists/own.prj",
        "--- Own ---\r\n\"Own 33N\\p32633\", 8, 104, \"m\", 15, 0, 0.9996, 500001, 0\r\n");
    ASSERT_EQ(Convert({"--from", "tfw", "--to", "tab", "--projection", "EPSG:32633",
                       "--projection-file", ownList, worldFile}),
              cli::kExitDone)
        << errors.str();
    EXPECT_NE(ReadBytes(folder / "in/sheet.tab").find("0.9996, 500001, 0"), std::string::npos);
}

TEST_F(TabOutputTest, AnUnknownOrMissingNameIsACancel) {
    const std::string worldFile = folder.Write("in/sheet.tfw", "2\n0\n0\n-2\n101\n899\n");
    folder.Write("in/sheet.tif", "not measured");
    EXPECT_EQ(Convert({"--from", "tfw", "--to", "tab", "--group", "UTM (WGS 84)", "--projection",
                       "UTM zone 34N (WGS 84)", "--projection-file", listPath, worldFile}),
              cli::kExitNotDone);
    EXPECT_NE(errors.str().find("no projection \"UTM zone 34N (WGS 84)\""), std::string::npos)
        << errors.str();
    EXPECT_EQ(Convert({"--from", "tfw", "--to", "tab", worldFile}), cli::kExitNotDone);
    // Without a name the message says what is missing and how to give it.
    EXPECT_NE(errors.str().find("an input states no coordinate system of its own: name one with "
                                "--projection EPSG:CODE"),
              std::string::npos)
        << errors.str();
    EXPECT_FALSE(fs::exists(folder / "in/sheet.tab"));
}

TEST_F(TabOutputTest, UsesTheShippedListInPlaceUntilAnotherIsGiven) {
    ASSERT_FALSE(ShippedProjectionFolder().empty());
    const std::string worldFile = folder.Write("in/sheet.tfw", "2\n0\n0\n-2\n101\n899\n");
    PlainImage("sheet.tif", 40, 30);
    EXPECT_EQ(Convert({"--from", "tfw", "--to", "tab", "--group", "Poland", "--projection",
                       "ETRF2000-PL / CS92", worldFile}),
              cli::kExitDone)
        << errors.str();
    EXPECT_FALSE(fs::exists(CopiedList()));
    EXPECT_NE(
        ReadBytes(folder / "in/sheet.tab").find("CoordSys Earth Projection 8, 104, \"m\", 19"),
        std::string::npos);
}

TEST_F(TabOutputTest, GdalPlacesATableFromAWorldFileWhereItPlacesTheWorldFile) {
    ASSERT_TRUE(GdalAvailable()) << "scripts/install-deps.sh installs GDAL's tools";
    const std::string image = PlainImage("sheet.tif", 40, 30);
    const std::string worldFile =
        folder.Write("in/sheet.tfw", "0.25\n0\n0\n-0.5\n500123.125\n5600456.75\n");
    const std::vector<double> fromWorldFile = GeoTransform(image);
    ASSERT_EQ(Convert({"--from", "tfw", "--to", "tab", "--group", "UTM (WGS 84)", "--projection",
                       "UTM zone 33N (WGS 84)", "--projection-file", listPath, worldFile}),
              cli::kExitDone)
        << errors.str();
    fs::rename(worldFile, folder / "sheet.tfw.aside");
    ExpectSameTransform(GeoTransform(image), fromWorldFile);
    ExpectCoordinateSystem(image, "EPSG:32633", {{500000, 5600000}, {345678.5, 6123456.25}});
}

TEST_F(TabOutputTest, GdalPlacesATableFromGeoTiffTagsWhereItPlacesTheGeoTiff) {
    ASSERT_TRUE(GdalAvailable()) << "scripts/install-deps.sh installs GDAL's tools";
    const std::string image = JoinPath(inputs, "sheet.tif");
    Shell(
        "gdal_create -of GTiff -ot Byte -bands 1 -outsize 40 30 -a_srs EPSG:4326 -a_ullr 14 "
        "52.5 15 51.75 " +
        Quoted(image));
    ASSERT_EQ(Convert({"--from", "geotiff", "--to", "tab", "--group", "Longitude / Latitude",
                       "--projection", "Longitude / Latitude (WGS 84)", "--projection-file",
                       listPath, image}),
              cli::kExitDone)
        << errors.str();
    // The tags out of GDAL's way: an image of the same size without them.
    fs::rename(image, folder / "tagged.tif");
    PlainImage("sheet.tif", 40, 30);
    // GDAL's image is a PixelIsArea raster: its tie point is the outer corner, and so is the
    // table's.
    ExpectSameTransform(GeoTransform(image), {14, 1.0 / 40, 0, 52.5, 0, -0.75 / 30});
    ExpectCoordinateSystem(image, "EPSG:4326", {{14.5, 52}, {-120.25, -33.5}});
}

}  // namespace
}  // namespace marlo
