#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/tab/tab_reader.h"
#include "state/conversion_context.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using Points = std::vector<std::string>;

// Four corners of a 4 x 3 image with 10 m pixels, outer top-left corner (500000, 6000000).
const Points kCorners = {
    "(500000,6000000) (0,0) Label \"Pt 1\",", "(500040,6000000) (4,0) Label \"Pt 2\",",
    "(500040,5999970) (4,3) Label \"Pt 3\",", "(500000,5999970) (0,3) Label \"Pt 4\""};

// A table laid out the way MapInfo writes one; an empty image line leaves it out.
std::string Table(const std::string& imageLine, const Points& points = kCorners,
                  const std::string& end = "\r\n") {
    std::string text = "!table" + end + "!version 300" + end + "Definition Table" + end;
    for (const std::string& line : Points{imageLine, "Type \"RASTER\""}) {
        text += line.empty() ? "" : "  " + line + end;
    }
    for (const std::string& point : points) {
        text += "  " + point + end;
    }
    return text + "  CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9993, 500000, -5300000" +
           end + "  Units \"m\"" + end;
}

class TabReaderTest : public ::testing::Test {
protected:
    TabReaderTest() {
        currentLanguage = "english";
        form.inputFolder = folder.MakeFolder("data");
        form.outputFormat = format::GeoTIFF;
        folder.Write("data/a.tif", "not looked at");
    }

    // Writes the table as data/a.tab and reads it, as a fresh file of the run.
    void Read(const std::string& tableText) {
        user.messages.clear();
        user.errorReports.clear();
        form.conversionFailed = false;
        tablePath = folder.Write("data/a.tab", tableText);
        OdczytTAB(form, tablePath);
    }

    void ExpectParams(double size, double originX, double originY) {
        const WorldParameters& p = form.WorldParams;
        EXPECT_EQ(std::vector<double>(
                      {p.pixelSizeX, p.rotationY, p.rotationX, p.pixelSizeY, p.originX, p.originY}),
                  std::vector<double>({size, 0, 0, -size, originX, originY}));
    }

    void ExpectMessage(const std::string& text, const std::string& title = "",
                       MessageIcon icon = MessageIcon::Information) {
        ASSERT_EQ(user.messages.size(), 1u) << text;
        EXPECT_EQ(user.messages[0].text, text);
        EXPECT_EQ(user.messages[0].icon, icon);
        EXPECT_EQ(user.messages[0].title, title);
        EXPECT_TRUE(form.conversionFailed);
    }

    void ExpectImage(const std::string& folderName, const std::string& fileName) {
        EXPECT_FALSE(form.conversionFailed) << fileName;
        EXPECT_EQ(form.rasterFolder, folder / folderName) << fileName;
        EXPECT_EQ(form.rasterFileName, fileName);
    }

    test::TempFolder folder;
    test::ScriptedUser user;
    FixedRegionalSettings regional{"."};
    ConversionContext form{user, regional};
    std::string tablePath;
};

TEST_F(TabReaderTest, FitsTheGeoreferenceToEveryPoint) {
    Read(Table("File \"a.tif\""));
    ExpectParams(10, 500000, 6000000);
    ExpectImage("data", "a.tif");
    EXPECT_TRUE(user.messages.empty());

    // Rectangular, sheared and flipped grids come out with every term and sign; a fourth point
    // that disagrees moves the least-squares fit.
    struct Case {
        Points points;
        WorldParameters expected;
    };
    const Case cases[] = {
        {{"(100,200) (2,1) Label \"a\",", "(100,170) (2,4) label \"b\",",
          "(105,170) (12,4) LABEL \"c\""},
         {0.5, 0, 0, -10, 99, 210}},
        {{"(0,0) (0,0) Label \"a\",", "(4,1) (1,0) Label \"b\",", "(2,3) (0,1) Label \"c\""},
         {4, 1, 2, 3, 0, 0}},
        {{"(0,0) (0,0) Label \"a\",", "(2,0) (1,0) Label \"b\",", "(0,2) (0,1) Label \"c\",",
          "(2,2.4) (1,1) Label \"d\""},
         {2, 0.2, 0, 2.2, 0, -0.1}},
    };
    for (const Case& c : cases) {
        Read(Table("File \"a.tif\"", c.points));
        const WorldParameters& p = form.WorldParams;
        const WorldParameters& e = c.expected;
        const std::vector<double> got{p.pixelSizeX, p.rotationY, p.rotationX,
                                      p.pixelSizeY, p.originX,   p.originY};
        const std::vector<double> want{e.pixelSizeX, e.rotationY, e.rotationX,
                                       e.pixelSizeY, e.originX,   e.originY};
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i], want[i], 1e-12) << c.points[0] << " term " << i;
        }
    }
}

TEST_F(TabReaderTest, ReadsFractionsAndBlanksForEitherDecimalSign) {
    for (const char* sign : {".", ","}) {
        FixedRegionalSettings userSign{sign};
        ConversionContext signForm{user, userSign};
        signForm.inputFolder = form.inputFolder;
        OdczytTAB(signForm, folder.Write("data/a.tab", Table("File \"a.tif\"",
                                                             {"(10.5, 20.25) (0,0) Label \"1\"",
                                                              "(13.5, 20.25) (1.5, 0) Label \"2\"",
                                                              "(10.5, 14.25) (0, 3) Label \"3\""},
                                                             "\n")));
        EXPECT_FALSE(signForm.conversionFailed) << sign;
        EXPECT_EQ(signForm.WorldParams.pixelSizeX, 2) << sign;
        EXPECT_EQ(signForm.WorldParams.originX, 10.5) << sign;
        EXPECT_EQ(signForm.WorldParams.originY, 20.25) << sign;
    }
}

TEST_F(TabReaderTest, ExpectedFailuresShowTheirMessage) {
    OdczytTAB(form, folder / "data/missing.tab");
    ExpectMessage(MessageText(msg::UnableToOpen) + folder / "data/missing.tab", "",
                  MessageIcon::None);

    // Two real points, and lines that each lack one of Label, quote, comma, "(" or ")".
    Read(Table("File \"a.tif\"",
               {kCorners[0], kCorners[1], "(1,2) (3,4) Lable \"x\",", "(1,2) (3,4) Label x,",
                "(1 2) (3 4) Label \"x\"", "1,2) 3,4) Label \"x\"", "(1,2 (3,4 Label \"x\""}));
    ExpectMessage(MessageText(msg::NotEnoughCoordinates) + "\r\n" + tablePath);

    Read(Table("File \"a.tif\"",
               {"(1,y) (0,0) Label \"1\"", "(2,3) (1,0) Label \"2\"", kCorners[2]}));
    ExpectMessage(MessageText(msg::UnexpectedTabFormat) + "\r\n(1, y, 2, 3)");
    Read(Table("File \"a.tif\"",
               {"(1,2) (0,0) Label \"1\"", "(2,3) (one, 0) Label \"2\"", kCorners[2]}));
    ExpectMessage(MessageText(msg::UnexpectedTabFormat) + "\r\n(0, 0, one,  0)");
}

TEST_F(TabReaderTest, AMissingImageFailsUnlessAWorldFileIsWritten) {
    Read(Table("File \"gone.tif\""));
    ExpectMessage(MessageText(msg::FileNotFound) + "\r\n" + folder / "data/gone.tif", tablePath);
    ExpectParams(10, 500000, 6000000);
    // Text after the closing quote stays part of the name.
    Read(Table("File \"a.tif\" x"));
    ExpectMessage(MessageText(msg::FileNotFound) + "\r\n" + folder / "data/a.tif x", tablePath);
    Read(Table("File \"C:\\maps\\gone.tif\""));
    ExpectMessage(MessageText(msg::FileNotFound) + "\r\nC:/maps/gone.tif", tablePath);
    // A drive-letter reference finds its image beside the table, as a table copied off
    // Windows with its image has it.
    Read(Table("File \"C:\\maps\\a.tif\""));
    ExpectImage("data", "a.tif");

    // A world file needs no image: it goes beside the table under the image's name.
    form.outputFormat = format::TFW;
    for (const char* reference : {"..\\img\\gone.tif", "C:\\maps\\gone.tif", "C:gone.tif"}) {
        Read(Table(std::string("File \"") + reference + "\""));
        ExpectImage("data", "gone.tif");
        EXPECT_TRUE(user.messages.empty());
    }
}

TEST_F(TabReaderTest, ATableWithoutAnImageNameFailsInsteadOfReusingTheLastOne) {
    Read(Table("File \"a.tif\""));
    ASSERT_EQ(form.rasterFileName, "a.tif");
    form.outputFormat = format::TFW;
    using namespace std::string_literals;
    for (const std::string& imageLine : {""s, "File \"\""s, "File \"img\\\""s, "File \"..\""s,
                                         "File \"C:\""s, "File \"a.tif\0\""s}) {
        Read(Table(imageLine));
        ExpectMessage(MessageText(msg::UnexpectedTabFormat) + "\r\n" + tablePath);
        EXPECT_EQ(form.rasterFileName + form.rasterFolder, "") << imageLine;
    }
}

TEST_F(TabReaderTest, ImageReferencesResolveAgainstTheTableTheWayWindowsFindsFiles) {
    folder.Write("img/a.tif", "x");
    folder.Write("data/img/b.tif", "x");
    folder.Write(
        "data/mapa \xC5\x82\xC3\xB3"
        "d\xC5\xBA.tif",
        "x");
    const std::vector<std::vector<std::string>> cases = {
        // image line, folder found, name found
        {"File \"..\\img\\a.tif\"", "img", "a.tif"},
        {"File \"img/b.tif\"", "data/img", "b.tif"},
        {"File \"./IMG\\..\\img/B.Tif\"", "data/img", "b.tif"},
        {"File \"" + folder / "img/a.tif" + "\"", "img", "a.tif"},
        {"FILE \"A.TIF \"", "data", "a.tif"},
        {"file \"b.tif\"\r\n  File \"a.tif\"", "data", "a.tif"},  // the last one counts
        // Windows-1250, as MapInfo writes tables, for a name that is UTF-8 on disk.
        {"File \"mapa \xB3\xF3"
         "d\x9F.tif\"",
         "data",
         "mapa \xC5\x82\xC3\xB3"
         "d\xC5\xBA.tif"},
    };
    for (const auto& c : cases) {
        Read(Table(c[0]));
        ExpectImage(c[1], c[2]);
    }
}

TEST_F(TabReaderTest, RunTimeFailuresAreReportedAndStopTheRun) {
    const std::vector<Points> cases = {
        {"(1,2) (0,0 Label \"1\"", kCorners[1], kCorners[2]},                 // no second ")"
        {kCorners[0], kCorners[1], "(1,2) ) Label \"3\""},                    // third mangled
        {"(1) (0,0) Label \"1\"", kCorners[1], kCorners[2]},                  // no ","
        {"(1,2) (5,5) Label \"1\"", "(3,4) (5,5) Label \"2\"", kCorners[2]},  // same pixel
        {"(1e400,2) (0,0) Label \"1\"", kCorners[1], kCorners[2]},
        {"(-1e308,2) (0,0) Label \"1\"", "(1e308,2) (1,0) Label \"2\"", kCorners[2]},
        {"(1,2) (0,0) Label \"1\"", "(1e300,2) (1e-300,0) Label \"2\"", kCorners[2]},
    };
    for (const Points& points : cases) {
        form.WorldParams = {1, 0, 0, -1, 5, 6};
        Read(Table("File \"a.tif\"", points));
        ASSERT_EQ(user.errorReports.size(), 1u) << points[0];
        EXPECT_NE(user.errorReports[0].find("OdczytTAB"), std::string::npos);
        EXPECT_TRUE(user.messages.empty());
        EXPECT_TRUE(form.conversionFailed);
        ExpectParams(1, 5, 6);
    }
}

// Whatever the bytes, the reader ends with a georeference, or with one message or report.
TEST_F(TabReaderTest, MangledTablesNeverCrashOrHang) {
    const std::string good = Table("File \"a.tif\"");
    std::vector<std::string> tables = {"", "\r\n\r\n", std::string(3, '\0')};
    for (std::size_t length = 1; length < good.size(); length += 5) {
        tables.push_back(good.substr(0, length));
    }
    std::mt19937 random(20261207);
    for (int i = 0; i < 20; ++i) {
        std::string garbage(4096, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random() % 256);
        }
        tables.push_back(garbage);
        tables.push_back(good + garbage);
    }
    tables.push_back("File " + std::string(4 << 20, '"'));
    tables.push_back(Table("File \"" + std::string(1 << 20, 'a') + ".tif\""));
    tables.push_back(Table("File \"" + std::string(1 << 20, '\\') + "a.tif\""));
    tables.push_back(std::string(1 << 20, '(') + "Label\"," + std::string(1 << 20, ')'));
    for (const std::string& table : tables) {
        Read(table);
        EXPECT_EQ(user.messages.size() + user.errorReports.size(), form.conversionFailed ? 1u : 0u);
    }
}

}  // namespace
}  // namespace marlo
