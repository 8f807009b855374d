// Tables written the way MapInfo writes them must give the georeference GDAL reads from the
// same image and table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/paths.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::ReadBytes;
using test::ScriptedUser;
using test::TempFolder;
using Six = std::array<double, 6>;

void PutLittleEndian(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// An uncompressed 8-bit grey TIFF without any georeference of its own.
std::string TinyTiff(std::uint32_t width, std::uint32_t height) {
    const std::vector<std::array<std::uint32_t, 3>> entries = {
        // tag, type, value
        {256, 4, width}, {257, 4, height}, {258, 3, 8},
        {259, 3, 1},     {262, 3, 1},      {273, 4, 0},
        {277, 3, 1},     {278, 4, height}, {279, 4, width * height}};
    const std::uint32_t dataOffset = 8 + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    std::string bytes = "II";
    PutLittleEndian(bytes, 42, 2);
    PutLittleEndian(bytes, 8, 4);
    PutLittleEndian(bytes, static_cast<std::uint32_t>(entries.size()), 2);
    for (const auto& [tag, type, value] : entries) {
        PutLittleEndian(bytes, tag, 2);
        PutLittleEndian(bytes, type, 2);
        PutLittleEndian(bytes, 1, 4);
        PutLittleEndian(bytes, tag == 273 ? dataOffset : value, 4);
    }
    PutLittleEndian(bytes, 0, 4);
    return bytes + std::string(width * height, '\x80');
}

bool GdalInfoInstalled() {
    return std::system("command -v gdalinfo >/dev/null 2>&1") == 0;
}

std::string Quoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// GDAL's geotransform of the image, taken from its .tab beside it and nothing else.
std::vector<double> GdalGeoTransform(const std::string& imagePath) {
    const std::string command =
        "gdalinfo -json --config GDAL_GEOREF_SOURCES TABFILE --config GDAL_PAM_ENABLED NO " +
        Quoted(imagePath) + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    std::string json;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe) != nullptr) {
        json += buffer.data();
    }
    pclose(pipe);
    const auto key = json.find("\"geoTransform\"");
    const auto open = json.find('[', key);
    const auto close = json.find(']', open);
    std::vector<double> values;
    if (key == std::string::npos || open == std::string::npos || close == std::string::npos) {
        return values;
    }
    std::string list = json.substr(open + 1, close - open - 1);
    std::replace(list.begin(), list.end(), ',', ' ');
    std::istringstream in(list);
    for (double value = 0; in >> value;) {
        values.push_back(value);
    }
    return values;
}

// The world file's six values from GDAL's geotransform: the same terms, the origin moved from
// the outer corner to the first pixel's centre.
Six WorldFileOf(const std::vector<double>& gt) {
    return {
        gt[1], gt[4], gt[2], gt[5], gt[0] + gt[1] / 2 + gt[2] / 2, gt[3] + gt[4] / 2 + gt[5] / 2};
}

Six ReadWorldFile(const std::string& path) {
    std::istringstream in(ReadBytes(path));
    Six values{};
    for (double& value : values) {
        in >> value;
    }
    return values;
}

struct TableCase {
    std::string name;
    std::string tableFolder;  // where the converted table lies, inside the temporary folder
    std::string imageFile;    // the image, inside the temporary folder
    std::string imageLine;    // the table's File line
    std::string body;         // control points, CoordSys and Units, one line each
    std::string lineEnd;
    bool needsWindowsNames = false;  // lookup without regard to case, Windows-1250 names
};

// A table in MapInfo's own layout.
std::string MapInfoTable(const TableCase& c) {
    std::string text;
    std::istringstream lines(
        "!table\n!version 300\n!charset WindowsLatin2\n\nDefinition Table\n  " + c.imageLine +
        "\n  Type \"RASTER\"\n" + c.body);
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

class TabGdalAgreementTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TabGdalAgreementTest, WorldFileMatchesGdal) {
    const TableCase& c = GetParam();
    if (!GdalInfoInstalled()) {
        GTEST_SKIP() << "gdalinfo is not installed";
    }
    TempFolder folder;
    currentLanguage = "english";
    ScriptedUser user;
    FixedRegionalSettings regional(".");
    ConversionContext form(user, regional);
    const std::string imagePath = folder.Write(c.imageFile, TinyTiff(7, 5));
    if (c.needsWindowsNames && (DecodeAnsiText("\xB3") != "\xC5\x82" ||
                                form.fileSystem.ResolveOnDisk(
                                    ReplaceExtensionAtFirstDot(imagePath, ".TIF")) != imagePath)) {
        GTEST_SKIP() << "the file-system service does not yet find Windows names";
    }
    const std::string table = MapInfoTable(c);
    const std::string tablePath = folder.Write(c.tableFolder + "/table.tab", table);
    // GDAL finds a table beside the image under the image's name.
    folder.Write(ReplaceExtensionAtFirstDot(c.imageFile, ".tab"), table);

    form.options.optGEOin.selected = false;
    form.options.optTABin.selected = true;
    form.options.optTAB.selected = false;
    form.options.optTFW.selected = true;
    user.AnswerFiles(tablePath);
    ASSERT_TRUE(cmbOK_Click(form)) << (user.messages.empty() ? "" : user.messages[0].text);

    const std::vector<double> gdal = GdalGeoTransform(imagePath);
    ASSERT_EQ(gdal.size(), 6u) << "GDAL read no georeference from the table";
    const Six expected = WorldFileOf(gdal);
    const Six written = ReadWorldFile(ReplaceExtensionAtFirstDot(imagePath, ".tfw"));
    const double scale = std::max(std::fabs(expected[0]), std::fabs(expected[3]));
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(written[i], expected[i], 1e-9 * std::max(std::fabs(expected[i]), scale))
            << "world-file line " << i + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MapInfoTables, TabGdalAgreementTest,
    ::testing::Values(
        TableCase{"BareNameCrLf", "data", "data/a.tif", "File \"a.tif\"", kUtm, "\r\n"},
        TableCase{"UpAndOverBackslashes", "data", "img/a.tif", "File \"..\\img\\a.tif\"", kUtm,
                  "\r\n"},
        TableCase{"SubfolderSlashLf", "data", "data/img/a.tif", "File \"img/a.tif\"", kUtm, "\n"},
        TableCase{"DegreesBlanksAnyCaseLabels", "data", "data/map.tif", "File \"map.tif\"",
                  kDegreesBlanksMixedLabels, "\n"},
        TableCase{"InnerPointsFirst", "data", "data/a.tif", "File \"a.tif\"", kInnerPointsFirst,
                  "\r\n"},
        TableCase{"UpperCaseName", "data", "data/a.tif", "File \"A.TIF\"", kUtm, "\r\n", true},
        TableCase{"PolishNameInWindows1250", "data",
                  "data/mapa \xC5\x82\xC3\xB3"
                  "d\xC5\xBA.tif",
                  "File \"mapa \xB3\xF3"
                  "d\x9F.tif\"",
                  kUtm, "\r\n", true}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

}  // namespace
}  // namespace marlo
