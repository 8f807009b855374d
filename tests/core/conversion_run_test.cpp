#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>

#include "conversion/conversion_run.h"
#include "support/form_fixture.h"

namespace marlo {
namespace {

using test::FormTest;

constexpr const char* kWorldFile = "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n";

class ConversionRunTest : public FormTest {
protected:
    std::string WorldFile(const std::string& name, const std::string& text = kWorldFile) {
        return temp.Write("in/" + name, text);
    }
};

TEST_F(ConversionRunTest, CancellingTheFileDialogShowsNothingAndWritesNothing) {
    Choose(format::TFW, format::GeoTIFF);
    EXPECT_FALSE(cmbOK_Click(form));
    EXPECT_EQ(user.fileDialogs.size(), 1u);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(user.folderPrompts.empty());
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST_F(ConversionRunTest, ChoicesAreCheckedAfterTheFileDialogInTheirOrder) {
    struct Case {
        FileFormat from, to;
        std::string message;
        MessageIcon icon;
    };
    const Case cases[] = {
        {format::TFW, format::None, "Error reading output format!", MessageIcon::Critical},
        {format::None, format::TAB, "Error reading input format!", MessageIcon::Critical},
        {format::TFW, format::TFW, "Input and output file formats are the same!",
         MessageIcon::Critical},
    };
    const std::string file = WorldFile("a.tfw");
    for (const Case& c : cases) {
        user.messages.clear();
        user.fileDialogs.clear();
        form.inputFormat = format::None;
        Choose(c.from, c.to);
        user.AnswerFiles(file);
        EXPECT_FALSE(cmbOK_Click(form));
        EXPECT_EQ(user.fileDialogs.size(), 1u);
        ASSERT_EQ(user.messages.size(), 1u) << c.message;
        EXPECT_EQ(user.messages[0].text, c.message);
        EXPECT_EQ(user.messages[0].icon, c.icon);
    }
}

TEST_F(ConversionRunTest, GeoTiffOutputNeedsAnExistingOtherFolder) {
    Choose(format::TFW, format::GeoTIFF);
    const std::string file = WorldFile("a.tfw");

    user.AnswerFiles(file);  // the folder picker is cancelled
    EXPECT_FALSE(cmbOK_Click(form));
    ASSERT_EQ(user.folderPrompts.size(), 1u);
    EXPECT_EQ(user.folderPrompts[0], "Select output directory:");
    EXPECT_EQ(user.MessageTexts(), std::vector<std::string>{"Output directory doesn't exists!"});

    user.messages.clear();
    user.AnswerFiles(file);
    user.folderAnswers.push_back(temp / "in");
    EXPECT_FALSE(cmbOK_Click(form));
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"Input and output directories are the same!"});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
}

TEST_F(ConversionRunTest, FolderSpellingsThatDifferInCaseAreDifferentFolders) {
    Choose(format::TFW, format::GeoTIFF);
    user.AnswerFiles(WorldFile("a.tfw"));
    user.folderAnswers.push_back(temp / "IN");
    EXPECT_FALSE(cmbOK_Click(form));
    for (const std::string& text : user.MessageTexts()) {
        EXPECT_NE(text, "Input and output directories are the same!");
    }
}

TEST_F(ConversionRunTest, AFolderThatMayNotBeWrittenStopsAtTheFirstFile) {
    Choose(format::TFW, format::GeoTIFF);
    const std::string output = temp.MakeFolder("out");
    test::MakeReadOnly(output);
    user.AnswerFiles(WorldFile("a.tfw"));
    user.folderAnswers.push_back(output);
    EXPECT_FALSE(cmbOK_Click(form));
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"Unable to write to output folder!\r\n" + output});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
}

TEST_F(ConversionRunTest, AnErrorInsideAReaderIsReportedOnceByTheRun) {
    Choose(format::TFW, format::GeoTIFF);
    user.AnswerFiles(WorldFile("short.tfw", "2\r\n0\r\n0\r\n"));
    user.folderAnswers.push_back(temp.MakeFolder("out"));
    EXPECT_FALSE(cmbOK_Click(form));
    EXPECT_TRUE(user.messages.empty());
    ASSERT_EQ(user.errorReports.size(), 1u);
    EXPECT_EQ(user.errorReports[0],
              "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n"
              "\tcmbOK_Click Kestrin \r\n\tOdczytTFW Kestrin \r\n"
              "\r\nError Number \r\n\t9\r\nDescription\r\n\tSubscript out of range\r\n\r\n");
    EXPECT_FALSE(form.errorReport.callStackStarted);
}

TEST_F(ConversionRunTest, MoreThan32767FilesIsAnOverflowReportedByTheRun) {
    Choose(format::TFW, format::GeoTIFF);
    user.AnswerFiles(temp.path(), std::vector<std::string>(32768, "a.tfw"));
    EXPECT_FALSE(cmbOK_Click(form));
    ASSERT_EQ(user.errorReports.size(), 1u);
    EXPECT_NE(user.errorReports[0].find("\tcmbOK_Click Kestrin \r\n\tAddFiles Kestrin \r\n"),
              std::string::npos);
    EXPECT_NE(user.errorReports[0].find("\t6\r\n"), std::string::npos);
}

// A table naming `image` beside it, with pixels of 2 map units and its corner at (100, 900).
std::string Table(const std::string& image, int points = 3) {
    std::string text = "!table\r\n!version 300\r\nDefinition Table\r\n  File \"" + image + "\"\r\n";
    const char* lines[] = {"  (100,900) (0,0) Label \"a\",\r\n",
                           "  (180,900) (40,0) Label \"b\",\r\n",
                           "  (180,840) (40,30) Label \"c\"\r\n"};
    for (int i = 0; i < points; ++i) {
        text += lines[i];
    }
    return text;
}

TEST_F(ConversionRunTest, ConvertsEveryFileInTheOrderChosenThenSaysDone) {
    Choose(format::TAB, format::TFW);
    temp.Write("in/a.tab", Table("a.tif"));
    temp.Write("in/b.tab", Table("b.tif"));
    user.AnswerFiles(temp / "in", {"b.tab", "a.tab"});
    EXPECT_TRUE(cmbOK_Click(form));
    EXPECT_EQ(user.MessageTexts(), std::vector<std::string>{"Done!"});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
    for (const char* name : {"in/a.tfw", "in/b.tfw"}) {
        EXPECT_EQ(test::ReadBytes(temp / name), "2\r\n0\r\n0\r\n-2\r\n101\r\n899\r\n");
    }
}

TEST_F(ConversionRunTest, AFailingFileEndsTheRunWithoutDone) {
    Choose(format::TAB, format::TFW);
    temp.Write("in/a.tab", Table("a.tif"));
    temp.Write("in/b.tab", Table("b.tif", 2));
    temp.Write("in/c.tab", Table("c.tif"));
    user.AnswerFiles(temp / "in", {"a.tab", "b.tab", "c.tab"});
    EXPECT_FALSE(cmbOK_Click(form));
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"TAB file doesn't contain enough coordinates!\r\n" +
                                       (temp / "in/b.tab")});
    EXPECT_TRUE(form.fileSystem.FileExists(temp / "in/a.tfw"));
    EXPECT_FALSE(form.fileSystem.FileExists(temp / "in/b.tfw"));
    EXPECT_FALSE(form.fileSystem.FileExists(temp / "in/c.tfw"));
}

TEST_F(ConversionRunTest, ProgressComesBeforeEachFileAndCancelStopsBetweenFiles) {
    struct Case {
        const char* name;
        std::string brokenTable;
        std::size_t cancelAtFile;  // 0: never
        std::vector<std::string> written;
        std::string status;
    };
    const std::string enough = Table("b.tif");
    const Case cases[] = {
        {"all", enough, 0, {"a.tfw", "b.tfw", "c.tfw"}, "3 of 3 converted"},
        {"failing",
         Table("b.tif", 2),
         0,
         {"a.tfw"},
         "1 of 3 converted; stopped at b.tab: TAB file doesn't contain enough coordinates! " +
             (temp / "in/b.tab")},
        {"cancelled", enough, 3, {"a.tfw", "b.tfw"}, "2 of 3 converted; cancelled before c.tab"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(temp / "in");
        temp.Write("in/a.tab", Table("a.tif"));
        temp.Write("in/b.tab", c.brokenTable);
        temp.Write("in/c.tab", Table("c.tif"));
        user = {};
        user.progressScript = [&c](const RunProgress& at) { return at.file != c.cancelAtFile; };
        Choose(format::TAB, format::TFW);
        user.AnswerFiles(temp / "in", {"a.tab", "b.tab", "c.tab"});

        EXPECT_EQ(cmbOK_Click(form), c.cancelAtFile == 0 && c.written.size() == 3) << c.name;
        std::vector<std::string> written;
        for (const auto& entry : std::filesystem::directory_iterator(temp / "in")) {
            if (entry.path().extension() != ".tab") {
                written.push_back(entry.path().filename());
            }
        }
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.written) << c.name;
        EXPECT_EQ(RunStatusText(form.lastRun), c.status) << c.name;
        ASSERT_GE(user.progress.size(), 1u);
        EXPECT_EQ(user.progress.back().count, 3u);
        EXPECT_EQ(user.progress.back().name, form.inputFiles[user.progress.size() - 1]);
        EXPECT_EQ(user.progressEnded, 1) << c.name;
    }
}

// The moves follow the pixel axes: half a column step plus half a row step, with their signs.
TEST(MoveOriginTest, MovesByHalfOrWholePixelsAlongThePixelAxes) {
    struct Case {
        WorldParameters start;
        FileFormat from, to;
        double x, y;
    };
    const WorldParameters southward{4, 0, 0, -2, 100, 900};
    const WorldParameters northward{4, 0, 0, 2, 100, 900};
    const WorldParameters rotated{4, 0.5, 1, -2, 100, 900};
    const Case cases[] = {
        {southward, format::TFW, format::TAB, 98, 901},
        {southward, format::TAB, format::GeoTIFF, 102, 899},
        {southward, format::GeoTIFF, format::TFW, 100, 900},
        {northward, format::TFW, format::TAB, 98, 899},
        {northward, format::TAB, format::TFW, 102, 901},
        {northward, format::GeoTIFF, format::TAB, 98, 899},
        {rotated, format::TFW, format::TAB, 97.5, 900.75},
        {rotated, format::TFW, format::GeoTIFF, 100, 900},
        {rotated, format::TAB, format::GeoTIFF, 102.5, 899.25},
    };
    for (const Case& c : cases) {
        WorldParameters p = c.start;
        MoveOrigin(p, c.from, c.to);
        EXPECT_DOUBLE_EQ(p.originX, c.x) << c.from << " to " << c.to;
        EXPECT_DOUBLE_EQ(p.originY, c.y) << c.from << " to " << c.to;
        EXPECT_EQ(p.pixelSizeY, c.start.pixelSizeY);
    }
}

TEST(MoveOriginTest, ANonFiniteResultIsAnOverflow) {
    WorldParameters p{std::numeric_limits<double>::max(), 0, 0, -1,
                      std::numeric_limits<double>::max(), 0};
    try {
        MoveOrigin(p, format::TAB, format::GeoTIFF);
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
}

}  // namespace
}  // namespace marlo
