#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "formats/tab/tab_reader.h"
#include "support/form_fixture.h"

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

class TabReaderTest : public ::testing::Test, public test::RunHarness {
protected:
    TabReaderTest() {
        folder.MakeFolder("data");
        folder.Write("data/a.tif", "not looked at");
    }

    // Writes the table as data/a.tab and reads it as the run's reader does, for `output`.
    void Read(const std::string& tableText) {
        tablePath = folder.Write("data/a.tab", tableText);
        ReadPath(tablePath);
    }
    void ReadPath(const std::string& path) {
        read.reset();
        refusal.reset();
        error = 0;
        const RunPlan plan =
            test::PlanFor(FileFormat::TAB, output, FolderOfPath(path), {GetFileNameAndType(path)});
        refusal = test::RefusalOf(
            [&] { error = test::ErrorNumberOf([&] { read = test::ReadInput(env, plan); }); });
    }

    void ExpectParams(double size, double originX, double originY) {
        ASSERT_TRUE(read.has_value());
        const Georeference& p = read->georeference;
        EXPECT_EQ(std::vector<double>(
                      {p.pixelSizeX, p.rotationY, p.rotationX, p.pixelSizeY, p.originX, p.originY}),
                  std::vector<double>({size, 0, 0, -size, originX, originY}));
    }

    void ExpectMessage(const std::string& text, const std::string& title = "",
                       MessageIcon icon = MessageIcon::Information) {
        ASSERT_TRUE(refusal.has_value()) << text;
        EXPECT_EQ(refusal->text, text);
        EXPECT_EQ(refusal->icon, icon);
        EXPECT_EQ(refusal->title, title);
        EXPECT_FALSE(read.has_value());
    }

    void ExpectImage(const std::string& folderName, const std::string& fileName) {
        ASSERT_TRUE(read.has_value()) << fileName;
        EXPECT_EQ(read->imagePath, JoinPath(folder / folderName, fileName));
    }

    test::TempFolder folder;
    FileFormat output = FileFormat::GeoTIFF;
    std::string tablePath;
    std::optional<InputRead> read;
    std::optional<Refusal> refusal;
    std::int32_t error = 0;
};

TEST_F(TabReaderTest, FitsTheGeoreferenceToEveryPoint) {
    Read(Table("File \"a.tif\""));
    ExpectParams(10, 500000, 6000000);
    ExpectImage("data", "a.tif");

    // Rectangular, sheared and flipped grids come out with every term and sign; a fourth point
    // that disagrees moves the least-squares fit.
    struct Case {
        Points points;
        Georeference expected;
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
        ASSERT_TRUE(read.has_value());
        const Georeference& p = read->georeference;
        const Georeference& e = c.expected;
        const std::vector<double> got{p.pixelSizeX, p.rotationY, p.rotationX,
                                      p.pixelSizeY, p.originX,   p.originY};
        const std::vector<double> want{e.pixelSizeX, e.rotationY, e.rotationX,
                                       e.pixelSizeY, e.originX,   e.originY};
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i], want[i], 1e-12) << c.points[0] << " term " << i;
        }
    }
}

TEST_F(TabReaderTest, ReadsFractionsAndBlanks) {
    Read(Table("File \"a.tif\"",
               {"(10.5, 20.25) (0,0) Label \"1\"", "(13.5, 20.25) (1.5, 0) Label \"2\"",
                "(10.5, 14.25) (0, 3) Label \"3\""},
               "\n"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->georeference.pixelSizeX, 2);
    EXPECT_EQ(read->georeference.originX, 10.5);
    EXPECT_EQ(read->georeference.originY, 20.25);
}

TEST_F(TabReaderTest, ExpectedFailuresShowTheirMessage) {
    ReadPath(folder / "data/missing.tab");
    ExpectMessage(Texts().Message(msg::UnableToOpen) + folder / "data/missing.tab", "",
                  MessageIcon::None);

    // Two real points, and lines that each lack one of Label, quote, comma, "(" or ")".
    Read(Table("File \"a.tif\"",
               {kCorners[0], kCorners[1], "(1,2) (3,4) Lable \"x\",", "(1,2) (3,4) Label x,",
                "(1 2) (3 4) Label \"x\"", "1,2) 3,4) Label \"x\"", "(1,2 (3,4 Label \"x\""}));
    ExpectMessage(Texts().Message(msg::NotEnoughCoordinates) + "\r\n" + tablePath);

    Read(Table("File \"a.tif\"",
               {"(1,y) (0,0) Label \"1\"", "(2,3) (1,0) Label \"2\"", kCorners[2]}));
    ExpectMessage(Texts().Message(msg::UnexpectedTabFormat) + "\r\n(1, y, 2, 3)");
    Read(Table("File \"a.tif\"",
               {"(1,2) (0,0) Label \"1\"", "(2,3) (one, 0) Label \"2\"", kCorners[2]}));
    ExpectMessage(Texts().Message(msg::UnexpectedTabFormat) + "\r\n(0, 0, one,  0)");

    // Pixels on one line place no image, however many points there are.
    for (const Points& line :
         {Points{"(1,2) (5,5) Label \"1\"", "(3,4) (5,5) Label \"2\"", kCorners[2]},
          Points{"(0,0) (0,0) Label \"1\"", "(1,1) (1,1) Label \"2\"", "(2,2) (2,2) Label \"3\"",
                 "(3,3) (3,3) Label \"4\""}}) {
        Read(Table("File \"a.tif\"", line));
        ExpectMessage(Texts().Message(msg::RasterNotRectified) + "\r" + tablePath, "",
                      MessageIcon::Critical);
    }
}

// Three points solve exactly: a north-up grid keeps rotations of exactly 0, however far from
// the origin and however small its pixels.
TEST_F(TabReaderTest, ExactFitsStayExact) {
    for (const Points& points :
         {Points{"(633000.1,5800000.7) (0,0) Label \"1\"", "(633000.5,5800000.7) (4,0) Label \"2\"",
                 "(633000.1,5800000.4) (0,3) Label \"3\""},
          Points{"(7412345.123,5612345.987) (0,0) Label \"1\"",
                 "(7412353.123,5612345.987) (16000,0) Label \"2\"",
                 "(7412353.123,5612339.987) (16000,12000) Label \"3\""}}) {
        Read(Table("File \"a.tif\"", points));
        ASSERT_TRUE(read.has_value()) << points[0];
        EXPECT_EQ(read->georeference.rotationX, 0.0) << points[0];
        EXPECT_EQ(read->georeference.rotationY, 0.0) << points[0];
    }
}

TEST_F(TabReaderTest, AMissingImageFailsUnlessAWorldFileIsWritten) {
    Read(Table("File \"gone.tif\""));
    ExpectMessage(Texts().Message(msg::FileNotFound) + "\r\n" + folder / "data/gone.tif",
                  tablePath);
    // Text after the closing quote stays part of the name.
    Read(Table("File \"a.tif\" x"));
    ExpectMessage(Texts().Message(msg::FileNotFound) + "\r\n" + folder / "data/a.tif x", tablePath);
    Read(Table("File \"C:\\maps\\gone.tif\""));
    ExpectMessage(Texts().Message(msg::FileNotFound) + "\r\nC:/maps/gone.tif", tablePath);
    // A drive-letter reference finds its image beside the table, as a table copied off
    // Windows with its image has it.
    Read(Table("File \"C:\\maps\\a.tif\""));
    ExpectImage("data", "a.tif");

    // A world file needs no image: it goes beside the table under the image's name.
    output = FileFormat::TFW;
    for (const char* reference : {"..\\img\\gone.tif", "C:\\maps\\gone.tif", "C:gone.tif"}) {
        Read(Table(std::string("File \"") + reference + "\""));
        ExpectImage("data", "gone.tif");
    }
}

TEST_F(TabReaderTest, ATableWithoutAnImageNameFailsInsteadOfReusingTheLastOne) {
    output = FileFormat::TFW;
    using namespace std::string_literals;
    for (const std::string& imageLine : {""s, "File \"\""s, "File \"img\\\""s, "File \"..\""s,
                                         "File \"C:\""s, "File \"a.tif\0\""s}) {
        Read(Table(imageLine));
        ExpectMessage(Texts().Message(msg::UnexpectedTabFormat) + "\r\n" + tablePath);
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

TEST_F(TabReaderTest, MangledPointsAreRunTimeErrors) {
    const std::vector<Points> cases = {
        {"(1,2) (0,0 Label \"1\"", kCorners[1], kCorners[2]},  // no second ")"
        {kCorners[0], kCorners[1], "(1,2) ) Label \"3\""},     // third mangled
        {"(1) (0,0) Label \"1\"", kCorners[1], kCorners[2]},   // no ","
        {"(1e400,2) (0,0) Label \"1\"", kCorners[1], kCorners[2]},
        {"(-1e308,2) (0,0) Label \"1\"", "(1e308,2) (1,0) Label \"2\"", kCorners[2]},
    };
    for (const Points& points : cases) {
        Read(Table("File \"a.tif\"", points));
        EXPECT_NE(error, 0) << points[0];
        EXPECT_FALSE(read.has_value());
        EXPECT_FALSE(refusal.has_value());
    }
}

// Whatever the bytes, the reader ends with a georeference, a refusal or a run-time error.
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
        EXPECT_EQ(read.has_value() + refusal.has_value() + (error != 0), 1);
    }
}

}  // namespace
}  // namespace marlo
