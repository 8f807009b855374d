#include <gtest/gtest.h>

#include <filesystem>

#include "projection/projection_choice.h"
#include "projection/projection_window.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using test::ReadBytes;

const char* const kList = "--- World ---\r\n\"WGS 84\", 1, 104\r\n";

class ProjectionChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.folders.userDataFolder = folder / "data/Marlo";
        env.folders.shippedProjectionFolder = folder.MakeFolder("shipped");
        user.projectionWindowScript = [](ProjectionWindow& window) { window.Confirm(); };
    }

    std::string CopiedList() const { return env.folders.userDataFolder + "/mapinfow.prj"; }
    // The clause chosen; nothing when none was, with how the window ended.
    std::optional<std::string> Choose(
        ProjectionAnswer::Kind expected = ProjectionAnswer::Kind::Chosen) {
        const ProjectionAnswer answer = AskForProjection(env, user, ProjectionQuestion{});
        EXPECT_EQ(answer.kind, expected);
        return answer.kind == ProjectionAnswer::Kind::Chosen ? std::optional(answer.clause)
                                                             : std::nullopt;
    }

    test::TempFolder folder;
    test::ScriptedUser user;
    Environment env{user};
};

TEST_F(ProjectionChoiceTest, CopiesTheLocatedListOnceAndUsesItInLaterRuns) {
    const std::string located = folder.Write("elsewhere/MAPINFOW.PRJ", kList);
    user.fileDialogAnswers.push_back(located);
    EXPECT_EQ(Choose(), "CoordSys Earth Projection 1, 104");
    EXPECT_EQ(ReadBytes(CopiedList()), kList);

    ASSERT_EQ(user.fileDialogs.size(), 1u);
    const OpenFileDialogRequest& request = user.fileDialogs[0];
    EXPECT_EQ(request.title, "Locate MapInfo projection file...");
    EXPECT_EQ(request.filter, "MapInfo projection file (mapinfow.prj)|mapinfow.prj");
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.initialFolder, env.folders.shippedProjectionFolder);
    EXPECT_FALSE(request.multiSelect);

    std::filesystem::remove(located);
    EXPECT_EQ(Choose(), "CoordSys Earth Projection 1, 104");
    EXPECT_EQ(user.fileDialogs.size(), 1u);
    EXPECT_EQ(user.projectionWindowsShown, 2);
}

// The saved list is written like every output: a link in its place is replaced, never
// written through.
TEST_F(ProjectionChoiceTest, AnotherListReplacesALinkAndNeverWritesThroughIt) {
    const std::string kept = "--- Kept ---\r\n\"Kept\", 1, 104\r\n";
    const std::string victim = folder.Write("victim.prj", kept);
    std::filesystem::create_directories(env.folders.userDataFolder);
    std::filesystem::create_symlink(victim, CopiedList());
    user.fileDialogAnswers.push_back(folder.Write("other/mapinfow.prj", kList));
    user.projectionWindowScript = [](ProjectionWindow& window) {
        window.UseAnotherList();
        window.Confirm();
    };
    EXPECT_EQ(Choose(), "CoordSys Earth Projection 1, 104");
    EXPECT_EQ(ReadBytes(victim), kept);
    EXPECT_FALSE(std::filesystem::is_symlink(CopiedList()));
    EXPECT_EQ(ReadBytes(CopiedList()), kList);
}

// The names shipped beside the list are what the run's window searches by.
TEST_F(ProjectionChoiceTest, TheWindowFindsSystemsByTheNamesShippedBesideTheList) {
    folder.Write("shipped/mapinfow.prj",
                 "--- Poland ---\r\n\"CS92\\p2180\", 8, 104, \"m\", 19, 0, 0.9993, 500000, "
                 "-5300000\r\n\"Other\\p4326\", 1, 104\r\n");
    folder.Write("shipped/projection-aliases.txt", "2180\tPUWG 1992; układ 1992\n");
    user.projectionWindowScript = [](ProjectionWindow& window) {
        window.SetSearchText("uklad 1992");
        window.Confirm();
    };
    EXPECT_EQ(AskForProjection(env, user, ProjectionQuestion{}).clause,
              "CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000");
}

TEST_F(ProjectionChoiceTest, ACancelledLocateDialogEndsTheRunSilently) {
    EXPECT_EQ(Choose(ProjectionAnswer::Kind::Cancelled), std::nullopt);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(user.projectionWindowsShown, 0);
    EXPECT_FALSE(std::filesystem::exists(env.folders.userDataFolder));
}

TEST_F(ProjectionChoiceTest, ALocatedFileThatIsGoneIsReported) {
    user.fileDialogAnswers.push_back(folder / "gone.prj");
    try {
        Choose();
        FAIL() << "no refusal";
    } catch (const Refusal& refusal) {
        EXPECT_EQ(refusal.text, "File not found!\r\n" + folder / "gone.prj");
        EXPECT_EQ(refusal.icon, MessageIcon::Critical);
    }
}

TEST_F(ProjectionChoiceTest, AWindowClosedWithoutAChoiceEndsTheRun) {
    folder.Write("data/Marlo/mapinfow.prj", kList);
    user.projectionWindowScript = [](ProjectionWindow& window) { window.CloseBox(); };
    EXPECT_EQ(Choose(ProjectionAnswer::Kind::Cancelled), std::nullopt);
    EXPECT_TRUE(user.fileDialogs.empty());

    user.projectionWindowScript = nullptr;  // shown and closed without a click
    EXPECT_EQ(Choose(ProjectionAnswer::Kind::Cancelled), std::nullopt);
}

TEST_F(ProjectionChoiceTest, AProgramFolderThatCannotBeMadeIsAnUnexpectedError) {
    folder.Write("data", "a file where the folder should be");
    user.fileDialogAnswers.push_back(folder.Write("mapinfow.prj", kList));
    // The failure stops the run, its report for the run to show: no tables without a system.
    const ProjectionAnswer answer = AskForProjection(env, user, ProjectionQuestion{});
    EXPECT_EQ(answer.kind, ProjectionAnswer::Kind::Failed);
    ASSERT_TRUE(answer.error.has_value());
    EXPECT_NE(ErrorReportText(*answer.error).find("\tUstalenieProjekcji Kestrin \r\n"),
              std::string::npos);
    EXPECT_TRUE(user.errorReports.empty());
}

}  // namespace
}  // namespace marlo
