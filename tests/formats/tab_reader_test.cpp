#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "conversion/conversion_context.h"
#include "formats/tab/tab_reader.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::ScriptedUser;
using test::TempFolder;

// Four corners of a 4 x 3 image with 10 m pixels whose outer top-left corner is
// (500000, 6000000).
const std::vector<std::string> kCorners = {
    "(500000,6000000) (0,0) Label \"Pt 1\",", "(500040,6000000) (4,0) Label \"Pt 2\",",
    "(500040,5999970) (4,3) Label \"Pt 3\",", "(500000,5999970) (0,3) Label \"Pt 4\""};

// A table laid out the way MapInfo writes one.
std::string Table(const std::string& imageLine, const std::vector<std::string>& points,
                  const std::string& lineEnd = "\r\n") {
    std::string text = "!table" + lineEnd + "!version 300" + lineEnd + "!charset WindowsLatin2" +
                       lineEnd + lineEnd + "Definition Table" + lineEnd;
    if (!imageLine.empty()) {
        text += "  " + imageLine + lineEnd;
    }
    text += "  Type \"RASTER\"" + lineEnd;
    for (const std::string& point : points) {
        text += "  " + point + lineEnd;
    }
    return text + "  CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9993, 500000, -5300000" +
           lineEnd + "  Units \"m\"" + lineEnd;
}

class TabReaderTest : public ::testing::Test {
  protected:
    TabReaderTest() {
        currentLanguage = "english";
        form.inputFolder = folder.MakeFolder("data");
        form.outputFormat = format::GeoTIFF;
        image = folder.Write("data/a.tif", "not looked at");
    }

    // Writes the table as data/a.tab and reads it.
    void Read(const std::string& tableText) {
        tablePath = folder.Write("data/a.tab", tableText);
        OdczytTAB(form, tablePath);
    }

    void ExpectParams(double size, double originX, double originY) {
        EXPECT_DOUBLE_EQ(form.WorldParams.pixelSizeX, size);
        EXPECT_EQ(form.WorldParams.rotationY, 0);
        EXPECT_EQ(form.WorldParams.rotationX, 0);
        EXPECT_DOUBLE_EQ(form.WorldParams.pixelSizeY, -size);
        EXPECT_DOUBLE_EQ(form.WorldParams.originX, originX);
        EXPECT_DOUBLE_EQ(form.WorldParams.originY, originY);
    }

    void ExpectOneMessage(const std::string& text, MessageIcon icon,
                          const std::string& title = "") {
        ASSERT_EQ(user.messages.size(), 1u) << text;
        EXPECT_EQ(user.messages[0].text, text);
        EXPECT_EQ(user.messages[0].icon, icon);
        EXPECT_EQ(user.messages[0].title, title);
        EXPECT_TRUE(form.conversionFailed);
    }

    // A run-time failure: reported by the reader itself, and the run told to stop.
    void ExpectReportedFailure() {
        ASSERT_EQ(user.errorReports.size(), 1u);
        EXPECT_NE(user.errorReports[0].find("OdczytTAB"), std::string::npos);
        EXPECT_TRUE(user.messages.empty());
        EXPECT_TRUE(form.conversionFailed);
    }

    TempFolder folder;
    ScriptedUser user;
    FixedRegionalSettings regional{"."};
    ConversionContext form{user, regional};
    std::string image;
    std::string tablePath;
};

TEST_F(TabReaderTest, DerivesNorthUpSquarePixelsFromTheFirstTwoPoints) {
    Read(Table("File \"a.tif\"", kCorners));
    ExpectParams(10, 500000, 6000000);
    EXPECT_EQ(form.rasterFolder, form.inputFolder);
    EXPECT_EQ(form.rasterFileName, "a.tif");
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_TRUE(user.messages.empty());

    // Only distances count: two points on one column give the same square pixels, and a
    // third point that disagrees is not looked at.
    Read(Table("File \"a.tif\"", {"(100,200) (2,1) Label \"a\",", "(100,170) (2,4) Label \"b\",",
                                  "(9,9) (9,9) Label \"c\""}));
    ExpectParams(10, 80, 210);
}

TEST_F(TabReaderTest, ReadsFractionsAndBlanksForEitherDecimalSign) {
    for (const char* sign : {".", ","}) {
        FixedRegionalSettings userSign{sign};
        ConversionContext signForm{user, userSign};
        signForm.inputFolder = form.inputFolder;
        tablePath =
            folder.Write("data/a.tab", Table("File \"a.tif\"",
                                             {"(10.5, 20.25) (0,0) Label \"1\"",
                                              "(13.5, 20.25) (1.5, 0) Label \"2\"", kCorners[2]},
                                             "\n"));
        OdczytTAB(signForm, tablePath);
        EXPECT_FALSE(signForm.conversionFailed) << sign;
        EXPECT_DOUBLE_EQ(signForm.WorldParams.pixelSizeX, 2) << sign;
        EXPECT_DOUBLE_EQ(signForm.WorldParams.originX, 10.5) << sign;
        EXPECT_DOUBLE_EQ(signForm.WorldParams.originY, 20.25) << sign;
    }
}

TEST_F(TabReaderTest, ControlPointLinesNeedLabelQuoteCommaAndParentheses) {
    // Two real points, "LABEL" in capitals, and five lines that each lack one mark.
    Read(Table("File \"a.tif\"",
               {kCorners[0], "(500040,6000000) (4,0) LABEL \"Pt 2\",", "(1,2) (3,4) Lable \"x\",",
                "(1,2) (3,4) Label x,", "(1 2) (3 4) Label \"x\"", "1,2) 3,4) Label \"x\"",
                "(1,2 (3,4 Label \"x\""}));
    ExpectOneMessage(MessageText(msg::NotEnoughCoordinates) + "\r\n" + tablePath,
                     MessageIcon::Information);
}

TEST_F(TabReaderTest, ExpectedFailuresShowTheirMessage) {
    OdczytTAB(form, folder / "data/missing.tab");
    ExpectOneMessage(MessageText(msg::UnableToOpen) + folder / "data/missing.tab",
                     MessageIcon::None);

    struct Case {
        std::vector<std::string> points;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {{kCorners[0], kCorners[1]}, ""},
        {{"(1,y) (0,0) Label \"1\"", "(2,3) (1,0) Label \"2\"", kCorners[2]}, "(1, y, 2, 3)"},
        {{"(1,2) (0,0) Label \"1\"", "(2,3) (one, 0) Label \"2\"", kCorners[2]}, "(0, 0, one,  0)"},
    };
    for (const Case& c : cases) {
        user.messages.clear();
        form.conversionFailed = false;
        Read(Table("File \"a.tif\"", c.points));
        if (c.shown.empty()) {
            ExpectOneMessage(MessageText(msg::NotEnoughCoordinates) + "\r\n" + tablePath,
                             MessageIcon::Information);
        } else {
            ExpectOneMessage(MessageText(msg::UnexpectedTabFormat) + "\r\n" + c.shown,
                             MessageIcon::Information);
        }
    }
}

TEST_F(TabReaderTest, AMissingImageFailsUnlessAWorldFileIsWritten) {
    Read(Table("File \"gone.tif\"", kCorners));
    ExpectOneMessage(MessageText(msg::FileNotFound) + "\r\n" + folder / "data/gone.tif",
                     MessageIcon::Information, tablePath);
    ExpectParams(10, 500000, 6000000);

    // For a world file the image need not exist: it is written beside the table.
    user.messages.clear();
    form.conversionFailed = false;
    form.outputFormat = format::TFW;
    folder.MakeFolder("elsewhere");
    form.inputFolder = folder / "elsewhere";
    Read(Table("File \"..\\img\\gone.tif\"", kCorners));
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(form.rasterFolder, folder / "data");
    EXPECT_EQ(form.rasterFileName, "gone.tif");
}

TEST_F(TabReaderTest, ATableWithoutAnImageNameFailsInsteadOfReusingTheLastOne) {
    Read(Table("File \"a.tif\"", kCorners));
    ASSERT_EQ(form.rasterFileName, "a.tif");
    form.outputFormat = format::TFW;
    for (const char* imageLine :
         {"", "File \"\"", "File \"img\\\"", "File \"..\"", "File \"C:\""}) {
        user.messages.clear();
        form.conversionFailed = false;
        Read(Table(imageLine, kCorners));
        ExpectOneMessage(MessageText(msg::UnexpectedTabFormat) + "\r\n" + tablePath,
                         MessageIcon::Information);
        EXPECT_EQ(form.rasterFileName, "") << imageLine;
        EXPECT_EQ(form.rasterFolder, "") << imageLine;
    }
}

TEST_F(TabReaderTest, ImageReferencesResolveAgainstTheTable) {
    folder.Write("img/a.tif", "x");
    folder.Write("data/img/b.tif", "x");
    form.inputFolder = folder / "data";
    struct Case {
        std::string imageLine;
        std::string rasterFolder;
        std::string rasterFileName;
    };
    const std::vector<Case> cases = {
        {"File \"..\\img\\a.tif\"", folder / "img", "a.tif"},
        {"File \"img/b.tif\"", folder / "data/img", "b.tif"},
        {"File \"./img\\..\\img/b.tif\"", folder / "data/img", "b.tif"},
        {"File \"" + folder / "img/a.tif" + "\"", folder / "img", "a.tif"},
        {"FILE \"a.tif\"", folder / "data", "a.tif"},
        // The first image line is replaced by the second.
        {"file \"b.tif\"\r\n  File \"a.tif\"", folder / "data", "a.tif"},
    };
    for (const Case& c : cases) {
        Read(Table(c.imageLine, kCorners));
        EXPECT_FALSE(form.conversionFailed) << c.imageLine;
        EXPECT_EQ(form.rasterFolder, c.rasterFolder) << c.imageLine;
        EXPECT_EQ(form.rasterFileName, c.rasterFileName) << c.imageLine;
    }
    // Text after the closing quote stays part of the name.
    Read(Table("File \"a.tif\" x", kCorners));
    ExpectOneMessage(MessageText(msg::FileNotFound) + "\r\n" + folder / "data/a.tif x",
                     MessageIcon::Information, tablePath);
}

TEST_F(TabReaderTest, DriveLetterReferencesAreNeverFound) {
    folder.Write("data/maps/a.tif", "x");
    for (const char* reference : {"C:\\maps\\a.tif", "C:a.tif", "c:/maps/a.tif"}) {
        user.messages.clear();
        form.conversionFailed = false;
        form.outputFormat = format::TFW;
        Read(Table(std::string("File \"") + reference + "\"", kCorners));
        EXPECT_FALSE(form.conversionFailed) << reference;
        EXPECT_EQ(form.rasterFolder, folder / "data") << reference;
        EXPECT_EQ(form.rasterFileName, "a.tif") << reference;
    }
    form.outputFormat = format::GeoTIFF;
    Read(Table("File \"C:\\maps\\a.tif\"", kCorners));
    ExpectOneMessage(MessageText(msg::FileNotFound) + "\r\nC:/maps/a.tif", MessageIcon::Information,
                     tablePath);
}

TEST_F(TabReaderTest, RunTimeFailuresAreReportedAndStopTheRun) {
    const std::vector<std::vector<std::string>> cases = {
        {"(1,2) (0,0 Label \"1\"", kCorners[1], kCorners[2]},  // no second ")"
        {kCorners[0], kCorners[1], "(1,2) ) Label \"3\""},     // mangled third point
        {"(1) (0,0) Label \"1\"", kCorners[1], kCorners[2]},   // map text without ","
        {"(1,2) (5,5) Label \"1\"", "(3,4) (5,5) Label \"2\"", kCorners[2]},  // same pixel
        {"(1e400,2) (0,0) Label \"1\"", kCorners[1], kCorners[2]},            // beyond double
        {"(-1e308,2) (0,0) Label \"1\"", "(1e308,2) (1,0) Label \"2\"", kCorners[2]},
        {"(1,2) (0,0) Label \"1\"", "(1e300,2) (1e-300,0) Label \"2\"", kCorners[2]},
    };
    for (const auto& points : cases) {
        user.errorReports.clear();
        form.conversionFailed = false;
        form.WorldParams = {1, 2, 3, 4, 5, 6};
        Read(Table("File \"a.tif\"", points));
        ExpectReportedFailure();
        EXPECT_EQ(form.WorldParams.pixelSizeX, 1) << points[0];
        EXPECT_EQ(form.WorldParams.originY, 6) << points[0];
    }
}

// Whatever the bytes, the reader ends: with a georeference, a message or a report.
TEST_F(TabReaderTest, MangledTablesNeverCrashOrHang) {
    const std::string good = Table("File \"a.tif\"", kCorners);
    std::vector<std::string> tables = {"", "\r\n\r\n", std::string(3, '\0')};
    for (std::size_t length = 1; length < good.size(); length += 7) {
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
    const std::string longLine(4 << 20, '"');
    tables.push_back("File " + longLine);
    tables.push_back(Table("File \"" + std::string(1 << 20, 'a') + ".tif\"", kCorners));
    tables.push_back(std::string(1 << 20, '(') + "Label\"," + std::string(1 << 20, ')'));
    for (const std::string& table : tables) {
        user.messages.clear();
        user.errorReports.clear();
        form.conversionFailed = false;
        Read(table);
        EXPECT_EQ(user.messages.size() + user.errorReports.size(), form.conversionFailed ? 1u : 0u);
    }
}

// The file-system service's lookup and decoding: Windows finds A.TIF for a.tif, and tables are
// written in Windows-1250.
TEST_F(TabReaderTest, FindsTheImageTheWayWindowsDoes) {
    if (form.fileSystem.ResolveOnDisk(folder / "data/A.TIF") != image) {
        GTEST_SKIP() << "the file-system service does not yet look names up without regard to case";
    }
    Read(Table("File \"A.TIF\"", kCorners));
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_EQ(form.rasterFileName, "a.tif");

    if (DecodeAnsiText("\xB3") != "\xC5\x82") {
        GTEST_SKIP() << "the file-system service does not yet decode Windows-1250";
    }
    folder.Write(
        "data/mapa \xC5\x82\xC3\xB3"
        "d\xC5\xBA.tif",
        "x");
    Read(
        Table("File \"mapa \xB3\xF3"
              "d\x9F.tif\"",
              kCorners));
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_EQ(form.rasterFileName,
              "mapa \xC5\x82\xC3\xB3"
              "d\xC5\xBA.tif");
}

}  // namespace
}  // namespace marlo
