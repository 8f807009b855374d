#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>

#include "conversion/planning.h"
#include "conversion/run_summary.h"
#include "projection/projection_window.h"
#include "support/form_fixture.h"
#include "support/sheets.h"
#include "support/tiff_builder.h"

namespace marlo {
namespace {

using test::FormTest;

class ConversionRunTest : public FormTest {
protected:
    std::string WorldFile(const std::string& name,
                          const std::string& text = test::kWorldFile100x900) {
        return temp.Write("in/" + name, text);
    }
};

TEST_F(ConversionRunTest, CancellingTheFileDialogShowsNothingAndWritesNothing) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    EXPECT_FALSE(Convert());
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
        {FileFormat::TFW, FileFormat::None, "Error reading output format!", MessageIcon::Critical},
        {FileFormat::None, FileFormat::TAB, "Error reading input format!", MessageIcon::Critical},
        {FileFormat::TFW, FileFormat::TFW, "Input and output file formats are the same!",
         MessageIcon::Critical},
    };
    const std::string file = WorldFile("a.tfw");
    for (const Case& c : cases) {
        user.messages.clear();
        user.fileDialogs.clear();
        Choose(c.from, c.to);
        user.AnswerFiles(file);
        EXPECT_FALSE(Convert());
        EXPECT_EQ(user.fileDialogs.size(), 1u);
        ASSERT_EQ(user.messages.size(), 1u) << c.message;
        EXPECT_EQ(user.messages[0].text, c.message);
        EXPECT_EQ(user.messages[0].icon, c.icon);
    }
}

TEST_F(ConversionRunTest, GeoTiffOutputNeedsAnExistingOtherFolder) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    const std::string file = WorldFile("a.tfw");

    user.AnswerFiles(file);
    user.folderAnswers.push_back(temp / "nowhere");
    EXPECT_FALSE(Convert());
    ASSERT_EQ(user.folderPrompts.size(), 1u);
    EXPECT_EQ(user.folderPrompts[0], "Select output directory:");
    EXPECT_EQ(user.MessageTexts(), std::vector<std::string>{"Output directory doesn't exists!"});

    user.messages.clear();
    user.AnswerFiles(file);
    user.folderAnswers.push_back(temp / "in");
    EXPECT_FALSE(Convert());
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"Input and output directories are the same!"});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
}

// What a folder holds is looked up anew in each run: an image added after a failed run is
// found by the next one in the same window.
TEST_F(ConversionRunTest, ASecondRunSeesAFileAddedAfterTheFirst) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    const std::string file = WorldFile("a.tfw");
    const std::string output = temp.MakeFolder("out");
    user.projectionWindowScript = [](ProjectionWindow& window) { window.Confirm(); };
    user.AnswerFiles(file);
    user.folderAnswers.push_back(output);
    EXPECT_FALSE(Convert());
    temp.Write("in/a.TIF", test::TiffBuilder::Image().Build());
    user.AnswerFiles(file);
    user.folderAnswers.push_back(output);
    EXPECT_TRUE(Convert()) << user.MessageTexts().back();
    EXPECT_TRUE(std::filesystem::exists(output + "/a.TIF"));
}

TEST_F(ConversionRunTest, FolderSpellingsThatDifferInCaseAreDifferentFolders) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    user.AnswerFiles(WorldFile("a.tfw"));
    user.folderAnswers.push_back(temp / "IN");
    EXPECT_FALSE(Convert());
    for (const std::string& text : user.MessageTexts()) {
        EXPECT_NE(text, "Input and output directories are the same!");
    }
}

TEST_F(ConversionRunTest, AFolderThatMayNotBeWrittenStopsAtTheFirstFile) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    const std::string output = temp.MakeFolder("out");
    test::MakeReadOnly(output);
    user.AnswerFiles(WorldFile("a.tfw"));
    user.folderAnswers.push_back(output);
    EXPECT_FALSE(Convert());
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"Unable to write to output folder!\r\n" + output});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
}

// An unexpected error inside a step is reported once, under the step's name: the reading of a
// table and the writing of one report their own; the others hand theirs on to the run.
TEST_F(ConversionRunTest, AnErrorInsideAStepIsReportedOnceUnderItsName) {
    struct Case {
        FileFormat from, to;
        std::string file, text;
        std::string frames;
        std::string error;
    };
    const Case cases[] = {
        {FileFormat::TFW, FileFormat::GeoTIFF, "far.tfw", "1e400\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n",
         "\tcmbOK_Click Kestrin \r\n\tOdczytTFW Kestrin \r\n", "6\r\nDescription\r\n\tOverflow"},
        {FileFormat::TAB, FileFormat::TFW, "mangled.tab",
         "File \"a.tif\"\r\n(1,2) (0,0 Label \"1\",\r\n(3,4) (1,0) Label \"2\",\r\n"
         "(5,6) (0,1) Label \"3\"\r\n",
         "\tOdczytTAB Kestrin \r\n", "5\r\n"},
        {FileFormat::TFW, FileFormat::TAB, "huge.tfw", "1e307\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n",
         "\tZapisTAB Kestrin \r\n", "6\r\n"},
    };
    temp.Write("in/huge.tif", test::TiffBuilder::Image(40, 30).Build());
    env.folders.userDataFolder = temp.MakeFolder("data");
    temp.Write("data/mapinfow.prj", "--- G ---\r\n\"P\", 1, 104\r\n");
    user.projectionWindowScript = [](ProjectionWindow& window) { window.Confirm(); };
    for (const Case& c : cases) {
        user.errorReports.clear();
        user.messages.clear();
        Choose(c.from, c.to);
        user.AnswerFiles(WorldFile(c.file, c.text));
        user.folderAnswers.push_back(temp.MakeFolder("out"));
        EXPECT_FALSE(Convert());
        EXPECT_TRUE(user.messages.empty()) << c.file;
        ASSERT_EQ(user.errorReports.size(), 1u) << c.file;
        const std::string header =
            "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n";
        EXPECT_EQ(user.errorReports[0].substr(0, header.size() + c.frames.size() + 18),
                  header + c.frames + "\r\nError Number \r\n\t")
            << user.errorReports[0];
        EXPECT_NE(user.errorReports[0].find("\t" + c.error), std::string::npos) << c.file;
    }
}

// A step that reports its own unexpected error goes on with what it had: the run shows the
// report under the step's name alone, then what follows from it (no size: no table).
TEST_F(ConversionRunTest, AStepThatReportsItsOwnErrorGoesOn) {
    struct Case {
        std::string vantrel, userDataFolder, frame;
        std::vector<std::string> messages;
    };
    temp.Write("in/a.tif", test::TiffBuilder::Image(40, 30).Build());
    temp.Write("data/mapinfow.prj", "--- G ---\r\n\"P\", 1, 104\r\n");
    user.projectionWindowScript = [](ProjectionWindow& window) { window.Confirm(); };
    const Case cases[] = {
        {"libmarlo-no-such-library.so",
         temp / "data",
         "\tGetTiffInfo Kestrin \r\n",
         {"Error reading header from file (size)!\r\n" + temp / "in/a.tif"}},
        {env.libraries.vantrel, "", "\tUstalenieProjekcji Kestrin \r\n", {}},
    };
    for (const Case& c : cases) {
        user.errorReports.clear();
        user.messages.clear();
        env.libraries.vantrel = c.vantrel;
        env.folders.userDataFolder = c.userDataFolder;
        Choose(FileFormat::TFW, FileFormat::TAB);
        user.AnswerFiles(WorldFile("a.tfw"));
        EXPECT_FALSE(Convert()) << c.frame;
        EXPECT_EQ(user.MessageTexts(), c.messages) << c.frame;
        ASSERT_EQ(user.errorReports.size(), 1u) << c.frame;
        if (!lastRun.messages.empty()) {  // the report comes first
            EXPECT_EQ(lastRun.messages.front().kind, RunMessage::Kind::ErrorReport);
        }
        EXPECT_EQ(user.errorReports[0].substr(0, 59 + c.frame.size() + 14),
                  "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n" + c.frame +
                      "\r\nError Number")
            << user.errorReports[0];
    }
}

TEST_F(ConversionRunTest, MoreThan32767FilesAreOneRun) {
    Choose(FileFormat::TFW, FileFormat::GeoTIFF);
    user.AnswerFiles(temp.path(), std::vector<std::string>(32768, "a.tfw"));
    EXPECT_FALSE(Convert());
    EXPECT_TRUE(user.errorReports.empty());
    EXPECT_EQ(lastRun.total, 32768u);
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
    Choose(FileFormat::TAB, FileFormat::TFW);
    temp.Write("in/a.tab", Table("a.tif"));
    temp.Write("in/b.tab", Table("b.tif"));
    user.AnswerFiles(temp / "in", {"b.tab", "a.tab"});
    EXPECT_TRUE(Convert());
    EXPECT_EQ(user.MessageTexts(), std::vector<std::string>{"Done!"});
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Information);
    for (const char* name : {"in/a.tfw", "in/b.tfw"}) {
        EXPECT_EQ(test::ReadBytes(temp / name), "2\r\n0\r\n0\r\n-2\r\n101\r\n899\r\n");
    }
}

TEST_F(ConversionRunTest, AFailingFileEndsTheRunWithoutDone) {
    Choose(FileFormat::TAB, FileFormat::TFW);
    temp.Write("in/a.tab", Table("a.tif"));
    temp.Write("in/b.tab", Table("b.tif", 2));
    temp.Write("in/c.tab", Table("c.tif"));
    user.AnswerFiles(temp / "in", {"a.tab", "b.tab", "c.tab"});
    EXPECT_FALSE(Convert());
    EXPECT_EQ(user.MessageTexts(),
              std::vector<std::string>{"TAB file doesn't contain enough coordinates!\r\n" +
                                       (temp / "in/b.tab")});
    EXPECT_TRUE(env.fileSystem.FileExists(temp / "in/a.tfw"));
    EXPECT_FALSE(env.fileSystem.FileExists(temp / "in/b.tfw"));
    EXPECT_FALSE(env.fileSystem.FileExists(temp / "in/c.tfw"));
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
        {"all",
         enough,
         0,
         {"a.tfw", "b.tfw", "c.tfw"},
         "3 of 3 converted\noutputs in " + (temp / "in")},
        {"failing",
         Table("b.tif", 2),
         0,
         {"a.tfw"},
         "1 of 3 converted\nstopped at b.tab: TAB file doesn't contain enough coordinates!\n"
         "outputs in " +
             (temp / "in")},
        {"cancelled",
         enough,
         3,
         {"a.tfw", "b.tfw"},
         "2 of 3 converted\ncancelled before c.tab\noutputs in " + (temp / "in")},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(temp / "in");
        temp.Write("in/a.tab", Table("a.tif"));
        temp.Write("in/b.tab", c.brokenTable);
        temp.Write("in/c.tab", Table("c.tif"));
        user = {};
        user.progressScript = [&c](const RunProgress& at) { return at.file != c.cancelAtFile; };
        Choose(FileFormat::TAB, FileFormat::TFW);
        user.AnswerFiles(temp / "in", {"a.tab", "b.tab", "c.tab"});

        EXPECT_EQ(Convert(), c.cancelAtFile == 0 && c.written.size() == 3) << c.name;
        std::vector<std::string> written;
        for (const auto& entry : std::filesystem::directory_iterator(temp / "in")) {
            if (entry.path().extension() != ".tab") {
                written.push_back(entry.path().filename());
            }
        }
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.written) << c.name;
        EXPECT_EQ(RunStatusText(env.texts, lastRun), c.status) << c.name;
        ASSERT_GE(user.progress.size(), 1u);
        EXPECT_EQ(user.progress.back().count, 3u);
        EXPECT_EQ(user.progress.back().name, lastRun.plan.inputFiles[user.progress.size() - 1]);
        EXPECT_EQ(user.progressEnded, 1) << c.name;
    }
}

// Keep going: 200 sheets, 3 of them bad; no message stops the run, the summary lists the three
// with their reasons and its CSV holds every file.
TEST_F(ConversionRunTest, KeepingGoingConvertsTheRestAndListsEveryFailure) {
    std::vector<std::string> names;
    for (int i = 0; i < 200; ++i) {
        names.push_back("s" + std::to_string(i) + ".tab");
        temp.Write("in/" + names.back(), Table(names.back() + ".tif"));
    }
    temp.Write("in/s17.tab", Table("s17.tif", 2));
    temp.Write("in/s105.tab", "not a table at all");
    temp.Write("in/s199.tab", "!table\r\n" + Table("s199.tif").substr(8, 90));
    Choose(FileFormat::TAB, FileFormat::TFW);
    choices.keepGoing = true;
    user.AnswerFiles(temp / "in", names);
    EXPECT_TRUE(Convert());
    EXPECT_EQ(user.MessageTexts(), std::vector<std::string>{"Done!"});
    EXPECT_EQ(lastRun.converted, 197u);
    EXPECT_EQ(CountOf(lastRun, FileResult::Failed), 3u);
    EXPECT_EQ(RunStatusText(env.texts, lastRun),
              "197 of 200 converted; failed: 3\noutputs in " + (temp / "in"));
    const std::string summary = SummaryText(env.texts, lastRun);
    EXPECT_NE(summary.find("Converted: 197, skipped: 0, failed: 3, not reached: 0\n"),
              std::string::npos);
    EXPECT_NE(summary.find("s17.tab: TAB file doesn't contain enough coordinates!\n"),
              std::string::npos)
        << summary;
    const std::string csv = SummaryCsv(lastRun);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 201);
    EXPECT_NE(csv.find("\r\ns105.tab,failed,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\ns0.tab,converted,\r\n"), std::string::npos);
}

// Outputs that exist before a run: one question before the first file, whatever the format,
// and its answer holds for every file.
TEST_F(ConversionRunTest, ExistingOutputsAreAskedAboutOnceAndTheAnswerHolds) {
    struct Case {
        FileFormat to;
        ExistingAnswer answer;
        std::string status;
        std::string oldA;  // what a's old output holds afterwards
    };
    const std::string newA = "2\r\n0\r\n0\r\n-2\r\n101\r\n899\r\n";
    const Case cases[] = {
        {FileFormat::TFW, ExistingAnswer::ReplaceAll, "2 of 2 converted\noutputs in ", newA},
        {FileFormat::TFW, ExistingAnswer::SkipExisting, "1 of 2 converted; skipped: 1\noutputs in ",
         "old"},
        {FileFormat::TFW, ExistingAnswer::Cancel, "Cancelled", "old"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(temp / "in");
        temp.Write("in/a.tab", Table("a.tif"));
        temp.Write("in/b.tab", Table("b.tif"));
        temp.Write("in/a.tfw", "old");
        user = {};
        user.existingAnswers.push_back(c.answer);
        Choose(FileFormat::TAB, c.to);
        choices.existing = ExistingOutputs::Ask;
        user.AnswerFiles(temp / "in", {"a.tab", "b.tab"});
        Convert();
        EXPECT_EQ(user.existingQuestions,
                  std::vector<std::string>{"1 of 2: " + (temp / "in/a.tfw")});
        const std::string folder = c.answer == ExistingAnswer::Cancel ? "" : temp / "in";
        EXPECT_EQ(RunStatusText(env.texts, lastRun), c.status + folder);
        EXPECT_EQ(test::ReadBytes(temp / "in/a.tfw"), c.oldA);
        EXPECT_EQ(env.fileSystem.FileExists(temp / "in/b.tfw"), c.answer != ExistingAnswer::Cancel);
    }
}

// A GeoTIFF that exists is replaced only when the user says so; skipped, it stays as it was.
TEST_F(ConversionRunTest, AnExistingGeoTiffIsReplacedOnlyWhenTheUserSaysSo) {
    const std::string out = temp.MakeFolder("out");
    temp.Write("in/a.tif", test::TiffBuilder::Image(4, 3).Build());
    for (const ExistingAnswer answer : {ExistingAnswer::SkipExisting, ExistingAnswer::ReplaceAll}) {
        temp.Write("out/a.tif", "old");
        user = {};
        user.existingAnswers.push_back(answer);
        Choose(FileFormat::TFW, FileFormat::GeoTIFF);
        choices.existing = ExistingOutputs::Ask;
        user.AnswerFiles(WorldFile("a.tfw"));
        user.folderAnswers.push_back(out);
        EXPECT_TRUE(Convert());
        EXPECT_EQ(test::ReadBytes(out + "/a.tif") == "old", answer == ExistingAnswer::SkipExisting);
    }
}

// Closing any dialog of a run ends it as "Cancelled", never with a message.
TEST_F(ConversionRunTest, EveryDialogClosedEndsTheRunAsCancelled) {
    env.folders.userDataFolder = temp / "data";
    const std::string worldFile = WorldFile("a.tfw");
    temp.Write("in/a.tif", test::TiffBuilder::Image(4, 3).Build());
    struct Case {
        const char* dialog;
        FileFormat from, to;
        std::function<void()> answers;
    };
    const Case cases[] = {
        {"file dialog", FileFormat::TFW, FileFormat::TAB, [] {}},
        {"locate dialog", FileFormat::TFW, FileFormat::TAB, [&] { user.AnswerFiles(worldFile); }},
        {"projection window", FileFormat::TFW, FileFormat::TAB,
         [&] {
             temp.Write("data/mapinfow.prj", "--- G ---\r\n\"P\", 1, 104\r\n");
             user.AnswerFiles(worldFile);
             user.projectionWindowScript = [](ProjectionWindow& window) { window.CloseBox(); };
         }},
        {"folder picker", FileFormat::TFW, FileFormat::GeoTIFF,
         [&] {
             user.AnswerFiles(worldFile);
             user.projectionWindowScript = [](ProjectionWindow& window) {
                 window.SetNoSystem(true);
                 window.Confirm();
             };
         }},
    };
    for (const Case& c : cases) {
        user = {};
        Choose(c.from, c.to);
        c.answers();
        EXPECT_FALSE(Convert()) << c.dialog;
        EXPECT_TRUE(user.messages.empty()) << c.dialog;
        EXPECT_EQ(RunStatusText(env.texts, lastRun), "Cancelled") << c.dialog;
    }
}

// The moves follow the pixel axes: half a column step plus half a row step, with their signs.
TEST(MoveOriginTest, MovesByHalfOrWholePixelsAlongThePixelAxes) {
    struct Case {
        Georeference start;
        FileFormat from, to;
        double x, y;
    };
    const Georeference southward{4, 0, 0, -2, 100, 900};
    const Georeference northward{4, 0, 0, 2, 100, 900};
    const Georeference rotated{4, 0.5, 1, -2, 100, 900};
    const Case cases[] = {
        {southward, FileFormat::TFW, FileFormat::TAB, 98, 901},
        {southward, FileFormat::TAB, FileFormat::GeoTIFF, 102, 899},
        {southward, FileFormat::GeoTIFF, FileFormat::TFW, 100, 900},
        {northward, FileFormat::TFW, FileFormat::TAB, 98, 899},
        {northward, FileFormat::TAB, FileFormat::TFW, 102, 901},
        {northward, FileFormat::GeoTIFF, FileFormat::TAB, 98, 899},
        {rotated, FileFormat::TFW, FileFormat::TAB, 97.5, 900.75},
        {rotated, FileFormat::TFW, FileFormat::GeoTIFF, 100, 900},
        {rotated, FileFormat::TAB, FileFormat::GeoTIFF, 102.5, 899.25},
    };
    for (const Case& c : cases) {
        const Georeference p = MoveOrigin(c.start, c.from, c.to);
        EXPECT_DOUBLE_EQ(p.originX, c.x);
        EXPECT_DOUBLE_EQ(p.originY, c.y);
        EXPECT_EQ(p.pixelSizeY, c.start.pixelSizeY);
    }
}

TEST(MoveOriginTest, ANonFiniteResultIsAnOverflow) {
    const Georeference p{std::numeric_limits<double>::max(), 0, 0, -1,
                         std::numeric_limits<double>::max(), 0};
    try {
        MoveOrigin(p, FileFormat::TAB, FileFormat::GeoTIFF);
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), err::Overflow);
    }
}

}  // namespace
}  // namespace marlo
