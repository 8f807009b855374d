#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "conversion/file_selection.h"
#include "files/folder_checks.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileSelectionTest : public ::testing::Test {
protected:
    void ChooseInput(bool geotiff, bool tab, bool tfw) {
        choices.options.optGEOin.selected = geotiff;
        choices.options.optTABin.selected = tab;
        choices.options.optTFWin.selected = tfw;
    }
    // A check's answer, which met no unexpected error.
    static bool Checked(const ReportedResult<bool>& answer) {
        EXPECT_FALSE(answer.error.has_value());
        return answer.value;
    }
    // The files chosen; none when the dialog was cancelled.
    ChosenFiles Chosen() {
        const auto chosen = AddFiles(env.texts, user, choices);
        return chosen.value_or(ChosenFiles{});
    }

    test::ScriptedUser user;
    Environment env{user};
    RunChoices choices;
    test::TempFolder folder;
};

// --- AddFiles -------------------------------------------------------------------------------

TEST_F(FileSelectionTest, OnePathGivesItsFolderWithoutSeparatorAndOneEntry) {
    user.AnswerFiles("/data/maps 2024.05/a b.tfw");
    const ChosenFiles one = Chosen();
    EXPECT_EQ(one.folder, "/data/maps 2024.05");
    EXPECT_THAT(one.names, ElementsAre("a b.tfw"));
    EXPECT_EQ(JoinPath(one.folder, one.names[0]), "/data/maps 2024.05/a b.tfw");

    user.AnswerFiles("/a.tfw");
    EXPECT_EQ(Chosen().folder, "/");
}

TEST_F(FileSelectionTest, FolderAndNamesKeepTheDialogsOrderAndFolderAsGiven) {
    user.AnswerFiles("/data/maps/", {"z.tif", "a.tif", "m n.tif"});
    const ChosenFiles chosen = Chosen();
    EXPECT_EQ(chosen.folder, "/data/maps/");
    EXPECT_THAT(chosen.names, ElementsAre("z.tif", "a.tif", "m n.tif"));
}

TEST_F(FileSelectionTest, ACancelledDialogChoosesNothingSilently) {
    EXPECT_EQ(AddFiles(env.texts, user, choices), std::nullopt);
    EXPECT_THAT(user.messages, IsEmpty());
}

TEST_F(FileSelectionTest, SetsUpTheDialogPerInputFormat) {
    struct Case {
        bool geotiff, tab, tfw;
        FileFormat format;
        const char* filter;
    };
    const Case cases[] = {
        {true, false, false, FileFormat::GeoTIFF, "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|"},
        {false, true, false, FileFormat::TAB, "TAB (*.tab)|*.tab"},
        {false, false, true, FileFormat::TFW,
         "TFW "
         "(*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld;*.??w;*.???w;*.????w)|*.tfw;*.tifw;*.jgw;*."
         "pgw;*.gfw;*.bpw;*.wld;*.??w;*.???w;*.????w"},
        {false, true, true, FileFormat::TAB, "TAB (*.tab)|*.tab"},
        {true, false, true, FileFormat::GeoTIFF, "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|"}};
    for (const Case& c : cases) {
        ChooseInput(c.geotiff, c.tab, c.tfw);
        user.AnswerFiles("/a/b");
        EXPECT_EQ(Chosen().format, c.format);
        const OpenFileDialogRequest& request = user.fileDialogs.back();
        EXPECT_EQ(request.filter, c.filter);
        EXPECT_EQ(request.filterIndex, 1);
        EXPECT_TRUE(request.multiSelect);
        EXPECT_EQ(request.title, "Select files...");
    }
    env.texts.SetLanguage("polski");
    AddFiles(env.texts, user, choices);
    EXPECT_EQ(user.fileDialogs.back().title, "Wybierz pliki...");
}

// Each Environment speaks its own language: one switched to Polish leaves another in English.
TEST_F(FileSelectionTest, EachEnvironmentKeepsItsOwnLanguage) {
    test::ScriptedUser otherUser;
    Environment other{otherUser};
    other.texts.SetLanguage("polski");
    const struct {
        Environment& env;
        test::ScriptedUser& user;
        const char* title;
    } cases[] = {{env, user, "Select files..."}, {other, otherUser, "Wybierz pliki..."}};
    for (const auto& c : cases) {
        AddFiles(c.env.texts, c.user, choices);
        ASSERT_EQ(c.user.fileDialogs.size(), 1u);
        EXPECT_EQ(c.user.fileDialogs.back().title, c.title);
    }
}

TEST_F(FileSelectionTest, NoInputOptionChoosesNoFormatAndUsesNoFilter) {
    ChooseInput(false, false, false);
    user.AnswerFiles("/a/b.tab");
    EXPECT_EQ(Chosen().format, FileFormat::None);
    EXPECT_EQ(user.fileDialogs.back().filter, "");
}

TEST_F(FileSelectionTest, MoreThan32767FilesAreAllChosen) {
    user.AnswerFiles("/a", std::vector<std::string>(32768, "x.tif"));
    EXPECT_EQ(Chosen().names.size(), 32768u);
    EXPECT_THAT(user.errorReports, IsEmpty());
}

// --- Folder and file checks ---------------------------------------------------------------

TEST_F(FileSelectionTest, OnlyAnExistingWritableFolderTakesOutput) {
    const std::string writable = folder.MakeFolder("Out");
    const std::string readOnly = folder.MakeFolder("ro");
    test::MakeReadOnly(readOnly);
    EXPECT_TRUE(Checked(CanWriteInFolder(env.fileSystem, writable)));
    EXPECT_FALSE(Checked(CanWriteInFolder(env.fileSystem, folder / "OUT")));  // another folder
    EXPECT_FALSE(Checked(CanWriteInFolder(env.fileSystem, readOnly)));
    EXPECT_FALSE(Checked(CanWriteInFolder(env.fileSystem, folder / "missing")));
    EXPECT_FALSE(Checked(CanWriteInFolder(env.fileSystem, folder.Write("file", ""))));
    EXPECT_FALSE(Checked(CanWriteInFolder(env.fileSystem, "")));
}

TEST_F(FileSelectionTest, OnlyAnExistingWritableRegularFileMayBeEdited) {
    const std::string file = folder.Write("SHEET.TFW", "x");
    const std::string readOnly = folder.Write("ro.tfw", "x");
    test::MakeReadOnly(readOnly);
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_TRUE(Checked(CanEditFile(env.fileSystem, file)));
    EXPECT_FALSE(Checked(CanEditFile(env.fileSystem, folder / "sheet.tfw")));  // another file
    EXPECT_FALSE(Checked(CanEditFile(env.fileSystem, readOnly)));
    EXPECT_FALSE(Checked(CanEditFile(env.fileSystem, fifo)));
    EXPECT_FALSE(Checked(CanEditFile(env.fileSystem, folder.path())));
    EXPECT_FALSE(Checked(CanEditFile(env.fileSystem, folder / "missing.tfw")));
}

TEST_F(FileSelectionTest, ArchiveAttributeMakesAReadOnlyFileEditableOnALongPath) {
    std::string sub;
    while (sub.size() < 300) {
        sub += "a-rather-long-folder-name/";
    }
    const std::string file = folder.Write(sub + "copy.tif", "x");
    test::MakeReadOnly(file);
    ASSERT_FALSE(Checked(CanEditFile(env.fileSystem, file)));
    EXPECT_NE(SetAttributesArchive(env.fileSystem, file, attr::Archive), 0);
    EXPECT_TRUE(Checked(CanEditFile(env.fileSystem, file)));
    EXPECT_EQ(SetAttributesArchive(env.fileSystem, folder / "missing.tif", attr::Archive), 0);
}

// --- Path functions ------------------------------------------------------------------------

TEST(Paths, SplitAtTheLastSlashOnly) {
    EXPECT_EQ(GetFilePath("/a/b.tif"), "/a/");
    EXPECT_EQ(GetFileNameAndType("/a/b.tif"), "b.tif");
    EXPECT_EQ(GetFilePath("/b.tif"), "/");
    EXPECT_EQ(GetFilePath("b.tif"), "");
    EXPECT_EQ(GetFileNameAndType("b.tif"), "");
    EXPECT_EQ(GetFilePath("C:\\a\\b.tif"), "");
    EXPECT_EQ(GetFileNameAndType("x/C:\\a\\b.tif"), "C:\\a\\b.tif");
    EXPECT_EQ(GetFileNameAndType("/a/"), "");
}

TEST(Paths, AbsolutePathResolvesDotsLexically) {
    EXPECT_EQ(GetAbsolutePath("/maps/tab/", "../img/a.tif"), "/maps/img/a.tif");
    EXPECT_EQ(GetAbsolutePath("/maps/tab/", "./a.tif"), "/maps/tab/a.tif");
    EXPECT_EQ(GetAbsolutePath("/maps//tab/", "a.tif"), "/maps/tab/a.tif");
    EXPECT_EQ(GetAbsolutePath("/", "../../a.tif"), "/a.tif");
    EXPECT_EQ(GetAbsolutePath("tab/", "../../a.tif"), "../a.tif");
    EXPECT_EQ(GetAbsolutePath("/maps/", "img/.."), "/maps");
    EXPECT_EQ(GetAbsolutePath("/maps/", "img/"), "/maps/img/");
    EXPECT_EQ(GetAbsolutePath("/maps/tab/", "/img/a.tif"), "/img/a.tif");
    const std::string deep = "/" + std::string(300, 'd') + "/";
    EXPECT_EQ(GetAbsolutePath(deep, "x/../a.tif"), deep + "a.tif");
}

// Outputs are named as GDAL looks them up: the extension after the last "." of the file name.
TEST(Paths, OutputNamesReplaceTheExtensionAfterTheLastDot) {
    const std::pair<std::string, std::string> cases[] = {
        {"maps/2024.05/7.125.15.23.tif", "maps/2024.05/7.125.15.23.tfw"},
        {"maps/2024.05/sheet", "maps/2024.05/sheet.tfw"},
        {"ortho.2021.TIFF", "ortho.2021.tfw"},
        {"scan.jpg", "scan.jgw"},
        {"scan.PNG", "scan.pgw"},
        {"sheet.", "sheet.tfw"},
    };
    for (const auto& [image, worldFile] : cases) {
        EXPECT_EQ(WorldFileNameFor(image), worldFile);
    }
    EXPECT_EQ(ReplaceExtension("a.b/7.125.tfw", ".tab"), "a.b/7.125.tab");
    EXPECT_TRUE(IsTiffName("x.TiF"));
    EXPECT_FALSE(IsTiffName("x.tif.bak"));
}

// An input not found as spelled is found when exactly one entry matches; the exact name wins.
TEST(Paths, InputsAreFoundByOneWindowsStyleMatchOnly) {
    test::TempFolder folder;
    const std::string image = folder.Write("SHEET.TIF", "");
    folder.Write("Pair.tif", "");
    folder.Write("pair.TIF", "");
    const std::string exact = folder.Write("pair.tif", "");
    const FileSystemService files;
    EXPECT_EQ(files.FindInput(folder / "sheet.tif "), image);
    EXPECT_EQ(files.FindInput(folder / "pair.tif"), exact);
    EXPECT_EQ(files.FindInput(folder / "PAIR.tif"), std::nullopt);
    EXPECT_FALSE(files.FileExists(folder / "sheet.tif"));
}

}  // namespace
}  // namespace marlo
