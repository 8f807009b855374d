// What an unlucky folder meets, through marlo-convert: another run's live temporaries, a user's
// files that look like temporaries, a FIFO in an image's place, a failure or a kill between a
// world file and its .aux.xml, names that a spreadsheet or a terminal would take for commands,
// numbers too large to place an image. Each ends with a message for the file, never a false
// success, and the folder keeps what it must, byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "files/folder_checks.h"
#include "formats/image/image_header.h"
#include "gdal_tools.h"
#include "platform/pending_output.h"
#include "support/io_faults.h"
#include "support/sanitizers.h"
#include "support/sheets.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace marlo {
namespace {

using test::Quoted;
using test::TempFolder;

// A table of the CS92 sheet that names its system.
std::string TableWithSystem(const std::string& image) {
    return test::Cs92SheetTable(image) + test::kCs92CoordSys;
}

std::string TfwToTab(const std::string& worldFile) {
    return "--from tfw --to tab --projection EPSG:2180 " + Quoted(worldFile);
}

// A named temporary made as a run on a file system without anonymous files makes it.
std::string NamedTemporary(const std::string& target, StaleTemporaries& stale, FileApi& api,
                           std::optional<PendingOutput>& output) {
    output.emplace(target, stale, api);
    output->Write("pending");
    return output->path();
}

// A run's temporaries are its own: one that a live run holds (in this process, on another
// machine) stays, a user's files named like temporaries stay byte for byte, a link is never
// followed; what a killed run left is removed by the next run in the folder.
TEST(UnluckyFolder, ARunRemovesOnlyTheTemporariesOfRunsThatAreGone) {
    TempFolder folder;
    test::WriteTiff(folder / "a.tif");
    folder.Write("a.tfw", test::kCs92SheetWorldFile);
    StaleTemporaries stale;
    test::FailingFileApi noAnonymousFiles({test::IoOperation::AnonymousFile, 1, EOPNOTSUPP});
    std::optional<PendingOutput> live;
    const std::string held = NamedTemporary(folder / "x.tfw", stale, noAnonymousFiles, live);
    ASSERT_EQ(std::filesystem::path(held).filename().string().size(), 28u) << held;

    const pid_t child = ::fork();
    if (child == 0) {
        StaleTemporaries own;
        std::optional<PendingOutput> killed;
        test::FailingFileApi alsoNone({test::IoOperation::AnonymousFile, 1, EOPNOTSUPP});
        NamedTemporary(folder / "y.tfw", own, alsoNone, killed);
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    std::string left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        if (entry.path() != held && entry.path().filename().string().starts_with(".marlo-")) {
            left = entry.path();
        }
    }
    ASSERT_FALSE(left.empty()) << "the killed run left no temporary";

    // Names of the temporaries' form that no run of ours made, and a link to a stale one.
    folder.Write(".marlo-4000000-1.part", "a user's file");
    folder.Write(".marlo-0123456789abcdef.part", "another user's file");
    const std::string elsewhere = folder.MakeFolder("elsewhere");
    std::filesystem::copy_file(left, elsewhere + "/.marlo-fedcba9876543210.part");
    const std::string recorded = ".marlo-fedcba9876543210.part";
    ASSERT_EQ(::setxattr((elsewhere + "/" + recorded).c_str(), "user.marlo.temporary",
                         recorded.data(), recorded.size(), 0),
              0);
    std::filesystem::create_symlink(elsewhere + "/" + recorded, folder / recorded);
    const auto kept = test::TreeBytes(folder.path());

    const test::CommandResult run = test::MarloConvert(TfwToTab(folder / "a.tfw"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(std::filesystem::exists(left)) << "a killed run's temporary stays";
    auto after = test::TreeBytes(folder.path());
    after.erase("a.tab");
    auto expected = kept;
    expected.erase(std::filesystem::path(left).filename().string());
    EXPECT_EQ(after, expected);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / recorded));
    live->CommitReplacing();
    EXPECT_EQ(test::ReadBytes(folder / "x.tfw"), "pending");
    EXPECT_EQ(::getxattr((folder / "x.tfw").c_str(), "user.marlo.temporary", nullptr, 0), -1)
        << "an output keeps the record of its temporary";
}

// A FIFO where an image should be is no image: that file fails with its message, at once.
TEST(UnluckyFolder, AFifoInAnImagesPlaceFailsItsFileWithoutWaiting) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0644), 0);
    folder.Write("pipe.jgw", test::kCs92SheetWorldFile);
    folder.Write("pipe.tab", TableWithSystem("pipe.jpg"));
    const auto before = test::TreeBytes(folder.path());
    for (const std::string& arguments :
         {TfwToTab(folder / "pipe.jgw"), "--from tab --to tfw " + Quoted(folder / "pipe.tab")}) {
        const test::CommandResult run = test::RunCommand(
            "HOME=" + Quoted(folder / "home") + " XDG_DATA_HOME=" + Quoted(folder / "home") +
            " timeout 20 " + Quoted(MARLO_CONVERT_PROGRAM) + " --keep-going " + arguments);
        EXPECT_EQ(run.status, 1) << arguments << run.err;
        EXPECT_NE(run.out.find("failed: 1"), std::string::npos) << run.out;
    }
    EXPECT_EQ(test::TreeBytes(folder.path()), before);
}

// The readers of an image's first bytes open without waiting: a FIFO in the image's place
// (swapped in after the folder was listed) gives nothing, at once.
TEST(UnluckyFolder, ImageReadersNeverWaitOnAFifo) {
    TempFolder folder;
    const std::string fifo = folder / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool nothing = ImageSizeFromHeader(fifo).width == 0 &&
                             ContentKindOf(fifo) == ContentKind::Unreadable &&
                             !IsImageFile(folder / "pipe.jpg");
        ::_exit(nothing ? 0 : 1);
    }
    int status = -1;
    for (int wait = 0; wait < 100 && ::waitpid(child, &status, WNOHANG) == 0; ++wait) {
        ::usleep(100000);
    }
    if (!WIFEXITED(status)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "a reader waits on the FIFO";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A world file from a table is committed after its image's .aux.xml: when the .aux.xml cannot
// be written the file fails and its old world file stays.
TEST(UnluckyFolder, AWorldFileWhoseSystemCannotBeWrittenKeepsTheOldOne) {
    TempFolder folder;
    test::WriteTiff(folder / "a.tif");
    folder.Write("a.tab", TableWithSystem("a.tif"));
    folder.Write("a.tfw", "OLD\n");
    folder.MakeFolder("a.tif.aux.xml");
    const auto before = test::TreeBytes(folder.path());
    const test::CommandResult run =
        test::MarloConvert("--from tab --to tfw --keep-going " + Quoted(folder / "a.tab"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("failed: 1"), std::string::npos) << run.out;
    EXPECT_EQ(test::TreeBytes(folder.path()), before);
}

// Whether every world file of the batch has its table's system in its image's .aux.xml.
void ExpectEveryWorldFileWithItsSystem(const TempFolder& batch, int sheets) {
    for (int i = 0; i < sheets; ++i) {
        const std::string sheet = batch / ("s" + std::to_string(i));
        if (std::filesystem::exists(sheet + ".tfw")) {
            EXPECT_NE(test::ReadBytes(sheet + ".tif.aux.xml").find("<SRS"), std::string::npos)
                << sheet;
        }
    }
}

// Kills at random moments of a table batch, each from a folder without outputs: no kill
// leaves a world file without its system. A world file left so by an earlier version is
// not taken for done by a run that skips existing outputs.
TEST(UnluckyFolder, KilledTableBatchesLeaveNoWorldFileWithoutItsSystem) {
    SKIP_KILLED_RUNS_WHEN_SANITIZED();
    constexpr int kSheets = 300;
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> moment(30, 900);
    TempFolder batch;
    test::Shell("gdal_create -q -of GTiff -outsize 40 30 " + Quoted(batch / "image"));
    for (int i = 0; i < kSheets; ++i) {
        const std::string name = "s" + std::to_string(i);
        std::filesystem::create_hard_link(batch / "image", batch / (name + ".tif"));
        batch.Write(name + ".tab", TableWithSystem(name + ".tif"));
    }
    std::filesystem::remove(batch / "image");
    const std::string tables =
        "--from tab --to tfw --keep-going -- " + Quoted(batch.path()) + "/*.tab";
    for (int kill = 0; kill < 30; ++kill) {
        test::Shell("rm -f " + Quoted(batch.path()) + "/*.tfw " + Quoted(batch.path()) +
                    "/*.aux.xml");
        test::RunKilledAfter(moment(random), tables);
        ExpectEveryWorldFileWithItsSystem(batch, kSheets);
    }
    test::RunKilledAfter(120000, tables);
    std::filesystem::remove(batch / "s7.tif.aux.xml");
    test::RunKilledAfter(120000, "--existing skip " + tables);
    for (int i = 0; i < kSheets; ++i) {
        EXPECT_TRUE(std::filesystem::exists(batch / ("s" + std::to_string(i) + ".tfw"))) << i;
    }
    ExpectEveryWorldFileWithItsSystem(batch, kSheets);
    const std::string srs =
        test::Shell("GDAL_PAM_ENABLED=YES gdalsrsinfo -o epsg " + Quoted(batch / "s7.tif"));
    EXPECT_NE(srs.find("EPSG:2180"), std::string::npos) << srs;
}

// Names a spreadsheet would run as formulas are text in the CSV, which starts with a byte
// order mark; a line break in a name cannot add a line to the printed summary. The CSV is an
// output the user names: never one of the run's inputs or outputs.
TEST(UnluckyFolder, TheSummaryCsvKeepsNamesAsTextAndNeverReplacesTheRunsFiles) {
    TempFolder folder;
    const std::string hostile[] = {"=HYPERLINK(1).tfw", "@SUM(A1).tfw", "-2+3.tfw",
                                   "a\nConverted: 99.tfw"};
    for (const std::string& name : hostile) {
        folder.Write(name, "no world file");
    }
    std::string files;
    for (const std::string& name : hostile) {
        files += " " + Quoted(folder / name);
    }
    const std::string csv = folder / "summary.csv";
    const test::CommandResult run = test::MarloConvert("--keep-going --summary-csv " + Quoted(csv) +
                                                       " " + TfwToTab(folder / hostile[0]) + files);
    EXPECT_EQ(run.status, 1);
    const std::string written = test::ReadBytes(csv);
    EXPECT_TRUE(
        written.starts_with("\xEF\xBB\xBF"
                            "file,result,reason\r\n"))
        << written;
    for (const char* field : {"\n'=HYPERLINK(1).tfw,", "\n'@SUM(A1).tfw,", "\n'-2+3.tfw,"}) {
        EXPECT_NE(written.find(field), std::string::npos) << field << written;
    }
    EXPECT_EQ(run.out.find("\nConverted: 99"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("a\\nConverted: 99.tfw: "), std::string::npos) << run.out;

    test::WriteTiff(folder / "b.tif");
    folder.Write("b.tfw", test::kCs92SheetWorldFile);
    folder.Write("b.tab", "an old table");
    for (const auto& [named, message] :
         {std::pair{folder / "b.tfw", "The output would replace an input of this conversion!"},
          std::pair{folder / "b.tab", "This file would replace an output of this conversion!"}}) {
        const test::CommandResult refused = test::MarloConvert(
            "--existing skip --summary-csv " + Quoted(named) + " " + TfwToTab(folder / "b.tfw"));
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    EXPECT_EQ(test::ReadBytes(folder / "b.tfw"), test::kCs92SheetWorldFile);
    EXPECT_EQ(test::ReadBytes(folder / "b.tab"), "an old table");
}

// A pixel size that is no number or too large to compute with fails its file with a message,
// not an overflow report.
TEST(UnluckyFolder, NumbersTooLargeToPlaceAnImageFailWithAMessage) {
    TempFolder folder;
    test::WriteTiff(folder / "a.tif");
    folder.Write("a.tfw", "1e308\r\n0\r\n0\r\n-1e308\r\n100\r\n900\r\n");
    const auto before = test::TreeBytes(folder.path());
    for (const auto& [language, message] :
         {std::pair{"english",
                    "The georeference's values are not numbers or too large to place an image!"},
          std::pair{
              "polski",
              "Wartości georeferencji nie są liczbami lub są zbyt duże, by umieścić obraz!"}}) {
        const test::CommandResult run = test::MarloConvert("--language " + std::string(language) +
                                                           " " + TfwToTab(folder / "a.tfw"));
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Overflow"), std::string::npos) << run.err;
    }
    EXPECT_EQ(test::TreeBytes(folder.path()), before);
}

}  // namespace
}  // namespace marlo
