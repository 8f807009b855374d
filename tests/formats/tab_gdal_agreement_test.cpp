// Tables written the way MapInfo writes them must give the georeference that GDAL reads from
// the same image and table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/form_fixture.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {
namespace {

std::string Quoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string Output(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer{};
        while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
            output += buffer.data();
        }
        pclose(pipe);
    }
    return output;
}

std::vector<double> Numbers(std::string text) {
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream in(text);
    std::vector<double> values;
    for (double value = 0; in >> value;) {
        values.push_back(value);
    }
    return values;
}

// GDAL's geotransform of the image, taken from the .tab beside it and from nothing else.
std::vector<double> GdalGeoTransform(const std::string& imagePath) {
    const std::string json = Output(
        "gdalinfo -json --config GDAL_GEOREF_SOURCES TABFILE --config GDAL_PAM_ENABLED NO "
        "--config TAB_APPROX_GEOTRANSFORM YES " +
        Quoted(imagePath) + " 2>/dev/null");
    const auto open = json.find('[', json.find("\"geoTransform\""));
    const auto close = json.find(']', open);
    return close == std::string::npos ? std::vector<double>()
                                      : Numbers(json.substr(open + 1, close - open - 1));
}

struct TableCase {
    std::string name;
    std::string imageFile;  // inside the temporary folder; the table is data/table.tab
    std::string imageLine;
    std::string body;  // control points, CoordSys and Units
    std::string lineEnd;
};

void PrintTo(const TableCase& c, std::ostream* out) {
    *out << c.name;
}

// A table in MapInfo's own layout.
std::string MapInfoTable(const TableCase& c) {
    std::istringstream lines(
        "!table\n!version 300\n!charset WindowsLatin2\n\nDefinition Table\n  " + c.imageLine +
        "\n  Type \"RASTER\"\n" + c.body);
    std::string text;
    for (std::string line; std::getline(lines, line);) {
        text += line + c.lineEnd;
    }
    return text;
}

const std::string kUtm =
    "  (633000.5,5800000.25) (0,0) Label \"Pt 1\",\n"
    "  (633280.5,5800000.25) (7,0) Label \"Pt 2\",\n"
    "  (633280.5,5799800.25) (7,5) Label \"Pt 3\",\n"
    "  (633000.5,5799800.25) (0,5) Label \"Pt 4\"\n"
    "  CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9993, 500000, -5300000\n"
    "  Units \"m\"\n";

const std::string kDegreesBlanksMixedLabels =
    "  (19.125, 50.0625) (0, 0) label \"NW\",\n"
    "  (19.125328125, 50.0625) (7, 0) LABEL \"NE\",\n"
    "  (19.125328125, 50.062265625) (7, 5) Label \"SE\",\n"
    "  (19.125, 50.062265625) (0, 5) lAbEl \"SW\"\n"
    "  CoordSys Earth Projection 1, 104\n"
    "  Units \"degree\"\n";

const std::string kInnerPointsFirst =
    "  (633100.5,5799880.25) (2.5,3) Label \"a\",\n"
    "  (633220.5,5799820.25) (5.5,4.5) Label \"b\",\n"
    "  (633000.5,5800000.25) (0,0) Label \"c\",\n"
    "  (633280.5,5799800.25) (7,5) Label \"d\"\n"
    "  CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9993, 500000, -5300000\n"
    "  Units \"m\"\n";

// Control points placed by the affine georeference (x0, a, b, y0, d, e) of the outer corner,
// each moved by its share of `noise` (metres), in the order given.
std::string AffinePoints(const std::array<double, 6>& t,
                         const std::vector<std::array<double, 2>>& pixels,
                         const std::vector<std::array<double, 2>>& noise = {}) {
    std::string body;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const auto [column, row] = pixels[i];
        const auto [dx, dy] = i < noise.size() ? noise[i] : std::array<double, 2>{0, 0};
        std::ostringstream line;
        line.precision(17);
        line << "  (" << t[0] + t[1] * column + t[2] * row + dx << ","
             << t[3] + t[4] * column + t[5] * row + dy << ") (" << column << "," << row
             << ") Label \"Pt " << i + 1 << "\"" << (i + 1 < pixels.size() ? "," : "") << "\n";
        body += line.str();
    }
    return body + "  CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9993, 500000, -5300000\n";
}

const std::vector<std::array<double, 2>> kImageCorners = {{0, 0}, {7, 0}, {7, 5}, {0, 5}};
const double kTwoDegrees = 2 * 3.14159265358979323846 / 180;

class TabGdalAgreementTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TabGdalAgreementTest, WorldFileMatchesGdal) {
    const TableCase& c = GetParam();
    test::TempFolder folder;
    const std::string imagePath = folder.Write(c.imageFile, "");
    // An image without any georeference of its own, so GDAL takes the table's.
    ASSERT_EQ(std::system(
                  ("gdal_create -q -of GTiff -outsize 7 5 -bands 1 " + Quoted(imagePath)).c_str()),
              0);
    const std::string table = MapInfoTable(c);
    const std::string tablePath = folder.Write("data/table.tab", table);
    // GDAL finds a table beside the image, under the image's name.
    folder.Write(ReplaceExtension(c.imageFile, ".tab"), table);

    test::RunHarness run;
    run.Choose(FileFormat::TAB, FileFormat::TFW);
    run.user.AnswerFiles(tablePath);
    ASSERT_TRUE(run.Convert()) << (run.user.messages.empty() ? "" : run.user.messages[0].text);

    const std::vector<double> gt = GdalGeoTransform(imagePath);
    ASSERT_EQ(gt.size(), 6u) << "GDAL read no georeference from the table";
    // The same terms in world-file order, the origin moved from the outer corner to the first
    // pixel's centre.
    const std::vector<double> expected = {
        gt[1], gt[4], gt[2], gt[5], gt[0] + gt[1] / 2 + gt[2] / 2, gt[3] + gt[4] / 2 + gt[5] / 2};
    const std::vector<double> written =
        Numbers(test::ReadBytes(ReplaceExtension(imagePath, ".tfw")));
    ASSERT_EQ(written.size(), 6u);
    const double scale = std::max(std::fabs(gt[1]), std::fabs(gt[5]));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(written[i], expected[i], 1e-9 * std::max(std::fabs(expected[i]), scale))
            << "world-file line " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MapInfoTables, TabGdalAgreementTest,
    ::testing::Values(
        TableCase{"BareNameCrLf", "data/a.tif", "File \"a.tif\"", kUtm, "\r\n"},
        TableCase{"SubfolderBackslashes", "data/img/a.tif", "File \"img\\a.tif\"", kUtm, "\r\n"},
        TableCase{"SubfolderSlashLf", "data/img/a.tif", "File \"img/a.tif\"", kUtm, "\n"},
        TableCase{"DegreesBlanksAnyCaseLabels", "data/map.tif", "File \"map.tif\"",
                  kDegreesBlanksMixedLabels, "\n"},
        TableCase{"InnerPointsFirst", "data/a.tif", "File \"a.tif\"", kInnerPointsFirst, "\r\n"},
        TableCase{"ThreeInteriorPoints", "data/a.tif", "File \"a.tif\"",
                  AffinePoints({633000.5, 0.5, 0, 5800000.25, 0, -0.25}, {{1, 1}, {5, 2}, {3, 4}}),
                  "\r\n"},
        TableCase{"RectangularPixelCorners", "data/a.tif", "File \"a.tif\"",
                  AffinePoints({633000.5, 0.5, 0, 5800000.25, 0, -0.25}, kImageCorners), "\r\n"},
        TableCase{"RotatedTwoDegrees", "data/a.tif", "File \"a.tif\"",
                  AffinePoints({633000.5, 2 * std::cos(kTwoDegrees), 2 * std::sin(kTwoDegrees),
                                5800000.25, 2 * std::sin(kTwoDegrees), -2 * std::cos(kTwoDegrees)},
                               kImageCorners),
                  "\r\n"},
        TableCase{"SixNoisyPoints", "data/a.tif", "File \"a.tif\"",
                  AffinePoints(
                      {633000.5, 1, 0, 5800000.25, 0, -1},
                      {{0, 0}, {7, 0}, {7, 5}, {0, 5}, {3, 2}, {5, 4}},
                      {{0.3, -0.2}, {-0.1, 0.3}, {0.2, 0.1}, {-0.3, -0.3}, {0.1, 0.2}, {-0.2, 0}}),
                  "\r\n"},
        TableCase{"RowsRunningNorth", "data/a.tif", "File \"a.tif\"",
                  AffinePoints({633000.5, 2, 0, 5800000.25, 0, 1}, kImageCorners), "\r\n"},
        // The world file takes the image's spelling on disk, so GDAL finds it beside a.tif.
        TableCase{"UpperCaseName", "data/a.tif", "File \"A.TIF\"", kUtm, "\r\n"},
        TableCase{"PolishNameInWindows1250",
                  "data/mapa \xC5\x82\xC3\xB3"
                  "d\xC5\xBA.tif",
                  "File \"mapa \xB3\xF3"
                  "d\x9F.tif\"",
                  kUtm, "\r\n"}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

}  // namespace
}  // namespace marlo
