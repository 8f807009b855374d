#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "conversion/file_selection.h"
#include "platform/regional_settings.h"
#include "state/folder_checks.h"
#include "state/paths.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FileSelectionTest : public ::testing::Test {
protected:
    FileSelectionTest() : form(user, regional) {}
    void TearDown() override { currentLanguage = "english"; }

    void ChooseInput(bool geotiff, bool tab, bool tfw) {
        form.options.optGEOin.selected = geotiff;
        form.options.optTABin.selected = tab;
        form.options.optTFWin.selected = tfw;
    }

    test::ScriptedUser user;
    FixedRegionalSettings regional{"."};
    ConversionContext form;
    test::TempFolder folder;
};

// --- AddFiles -------------------------------------------------------------------------------

TEST_F(FileSelectionTest, OnePathGivesItsFolderWithoutSeparatorAndOneEntry) {
    user.AnswerFiles("/data/maps 2024.05/a b.tfw");
    AddFiles(form);
    EXPECT_EQ(form.inputFolder, "/data/maps 2024.05");
    EXPECT_THAT(form.inputFiles, ElementsAre("a b.tfw"));
    EXPECT_EQ(form.fileCount, 1);
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_EQ(JoinPath(form.inputFolder, form.inputFiles[0]), "/data/maps 2024.05/a b.tfw");

    user.AnswerFiles("/a.tfw");
    AddFiles(form);
    EXPECT_EQ(form.inputFolder, "/");
    EXPECT_TRUE(FileSystemService().FolderExists(form.inputFolder));
}

TEST_F(FileSelectionTest, FolderAndNamesKeepTheDialogsOrderAndFolderAsGiven) {
    user.AnswerFiles("/data/maps/", {"z.tif", "a.tif", "m n.tif"});
    AddFiles(form);
    EXPECT_EQ(form.inputFolder, "/data/maps/");
    EXPECT_THAT(form.inputFiles, ElementsAre("z.tif", "a.tif", "m n.tif"));
    EXPECT_EQ(form.fileCount, 3);
}

TEST_F(FileSelectionTest, ASecondCallForgetsTheFirstSelection) {
    user.AnswerFiles("/one", {"a.tif", "b.tif"});
    user.AnswerFiles("/two/c.tif");
    AddFiles(form);
    AddFiles(form);
    EXPECT_EQ(form.inputFolder, "/two");
    EXPECT_THAT(form.inputFiles, ElementsAre("c.tif"));
    EXPECT_EQ(form.fileCount, 1);

    AddFiles(form);  // Cancelled: nothing of before is left.
    EXPECT_THAT(form.inputFiles, IsEmpty());
    EXPECT_TRUE(form.conversionFailed);
    EXPECT_THAT(user.messages, IsEmpty());
}

TEST_F(FileSelectionTest, SetsUpTheDialogPerInputFormat) {
    struct Case {
        bool geotiff, tab, tfw;
        FileFormat format;
        const char* filter;
    };
    const Case cases[] = {
        {true, false, false, format::GeoTIFF, "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|"},
        {false, true, false, format::TAB, "TAB (*.tab)|*.tab"},
        {false, false, true, format::TFW, "TFW (*.tfw)|*.tfw"},
        {false, true, true, format::TAB, "TAB (*.tab)|*.tab"},
        {true, false, true, format::GeoTIFF, "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|"}};
    for (const Case& c : cases) {
        ChooseInput(c.geotiff, c.tab, c.tfw);
        user.AnswerFiles("/a/b");
        AddFiles(form);
        EXPECT_EQ(form.inputFormat, c.format);
        const OpenFileDialogRequest& request = user.fileDialogs.back();
        EXPECT_EQ(request.filter, c.filter);
        EXPECT_EQ(request.filterIndex, 1);
        EXPECT_EQ(request.flags, 0x281204u);
        EXPECT_EQ(request.maxFileNameLength, 32000u);
        EXPECT_TRUE(request.multiSelect);
        EXPECT_EQ(request.title, "Select files...");
    }
    currentLanguage = "polski";
    AddFiles(form);
    EXPECT_EQ(user.fileDialogs.back().title, "Wybierz pliki...");
}

TEST_F(FileSelectionTest, NoInputOptionKeepsTheFormatAndUsesNoFilter) {
    form.inputFormat = format::TFW;
    ChooseInput(false, false, false);
    user.AnswerFiles("/a/b.tab");
    AddFiles(form);
    EXPECT_EQ(form.inputFormat, format::TFW);
    EXPECT_EQ(user.fileDialogs.back().filter, "");
}

TEST_F(FileSelectionTest, MoreThan32767FilesIsOverflowHandedOn) {
    user.AnswerFiles("/a", std::vector<std::string>(32768, "x.tif"));
    try {
        AddFiles(form);
        FAIL() << "no error";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
        EXPECT_THAT(error.description(), ::testing::HasSubstr("AddFiles"));
    }
    EXPECT_THAT(user.errorReports, IsEmpty());
}

// --- Folder and file checks ---------------------------------------------------------------

TEST_F(FileSelectionTest, OnlyAnExistingWritableFolderTakesOutput) {
    const std::string writable = folder.MakeFolder("Out");
    const std::string readOnly = folder.MakeFolder("ro");
    test::MakeReadOnly(readOnly);
    EXPECT_TRUE(CanWriteInFolder(form, writable));
    EXPECT_FALSE(CanWriteInFolder(form, folder / "OUT"));  // another folder
    EXPECT_FALSE(CanWriteInFolder(form, readOnly));
    EXPECT_FALSE(CanWriteInFolder(form, folder / "missing"));
    EXPECT_FALSE(CanWriteInFolder(form, folder.Write("file", "")));
    EXPECT_FALSE(CanWriteInFolder(form, ""));
    EXPECT_THAT(user.errorReports, IsEmpty());
}

TEST_F(FileSelectionTest, OnlyAnExistingWritableRegularFileMayBeEdited) {
    const std::string file = folder.Write("SHEET.TFW", "x");
    const std::string readOnly = folder.Write("ro.tfw", "x");
    test::MakeReadOnly(readOnly);
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_TRUE(CanEditFile(form, file));
    EXPECT_FALSE(CanEditFile(form, folder / "sheet.tfw"));  // another file
    EXPECT_FALSE(CanEditFile(form, readOnly));
    EXPECT_FALSE(CanEditFile(form, fifo));
    EXPECT_FALSE(CanEditFile(form, folder.path()));
    EXPECT_FALSE(CanEditFile(form, folder / "missing.tfw"));
    EXPECT_THAT(user.errorReports, IsEmpty());
}

TEST_F(FileSelectionTest, ArchiveAttributeMakesAReadOnlyFileEditableOnALongPath) {
    std::string sub;
    while (sub.size() < 300) {
        sub += "a-rather-long-folder-name/";
    }
    const std::string file = folder.Write(sub + "copy.tif", "x");
    test::MakeReadOnly(file);
    ASSERT_FALSE(CanEditFile(form, file));
    EXPECT_NE(SetAttributesArchive(form, file, attr::Archive), 0);
    EXPECT_TRUE(CanEditFile(form, file));
    EXPECT_EQ(SetAttributesArchive(form, folder / "missing.tif", attr::Archive), 0);
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
