// Outputs under faults: whatever step of a write fails (creating the temporary file, writing
// it, renaming it into place), the run shows a message naming the file, the old output stays
// byte for byte and nothing partial is left. Also two runs at once, a full disk, and tables
// crafted to make the program write where the user did not ask.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gdal_tools.h"
#include "support/io_faults.h"
#include "support/temp_folder.h"
#include "test_images.h"
#include "text/catalogue.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::FolderBytes;
using test::ReadBytes;
using test::TempFolder;

struct Output {
    const char* name;
    FileFormat from;
    FileFormat to;
    const char* input;
};

const std::vector<Output>& Outputs() {
    static const std::vector<Output> outputs = {
        {"WorldFile", FileFormat::GeoTIFF, FileFormat::TFW, "sheet.tif"},
        {"Table", FileFormat::TFW, FileFormat::TAB, "sheet.tfw"},
        {"GeoTiff", FileFormat::TFW, FileFormat::GeoTIFF, "sheet.tfw"},
    };
    return outputs;
}

// Writes the output of `in`/`input` (into `out` for a GeoTIFF) as the run does; the refusal.
std::optional<Refusal> WriteOutputOf(Environment& env, const Output& output, const std::string& in,
                                     const std::string& out = "") {
    const RunPlan plan = test::PlanFor(output.from, output.to, in, {output.input}, out);
    return test::RefusalOf([&] {
        test::WriteOutput(env, plan, {{2, 0, 0, -2, 100, 900}, plan.InputPath(0), ""});
    });
}

}  // namespace
namespace test {
void PrintTo(IoOperation operation, std::ostream* out) {
    const char* names[] = {"Create", "Write", "Rename"};
    *out << names[static_cast<int>(operation)];
}
}  // namespace test
namespace {

using test::IoOperation;

class FaultInjectionTest
    : public ::testing::TestWithParam<std::tuple<std::size_t, IoOperation, int>> {};

TEST_P(FaultInjectionTest, AFailedStepLosesAndLeavesNothing) {
    const auto [output, operation, error] = GetParam();
    TempFolder folder;
    const std::string in = folder.MakeFolder("in");
    const std::string out = folder.MakeFolder("out");
    test::WriteTiff(in + "/sheet.tif");
    folder.Write("in/sheet.tfw", "old world file\r\n");
    folder.Write("in/sheet.tab", "old table\r\n");
    const auto inBefore = FolderBytes(in);
    test::TestForm t;
    t.env.fileSystem.UseApi(
        std::make_shared<test::FailingFileApi>(test::IoFault{operation, 1, error}));
    const auto refusal = WriteOutputOf(t.env, Outputs()[output], in, out);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text.rfind(Texts().Message(msg::UnableToUpdate), 0), 0u) << refusal->text;
    EXPECT_EQ(FolderBytes(in), inBefore);
    EXPECT_TRUE(fs::is_empty(out));
}

std::string FaultName(
    const ::testing::TestParamInfo<std::tuple<std::size_t, IoOperation, int>>& info) {
    const auto [output, operation, error] = info.param;
    const std::string operations[] = {"Create", "Write", "Rename"};
    return Outputs()[output].name + operations[static_cast<int>(operation)] +
           (error == ENOSPC ? "NoSpace" : "NoPermission");
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultInjectionTest,
                         ::testing::Combine(::testing::Range<std::size_t>(0, 3),
                                            ::testing::Values(IoOperation::Create,
                                                              IoOperation::Write,
                                                              IoOperation::Rename),
                                            ::testing::Values(ENOSPC, EACCES)),
                         FaultName);

// A real full disk where the tests may mount one (as root): the old table survives.
TEST(FullDisk, AFullFileSystemKeepsTheOldOutput) {
    TempFolder folder;
    const std::string disk = folder.MakeFolder("disk");
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    }
    test::WriteTiff(disk + "/sheet.tif");
    const std::string old = std::string(1000, 't');
    folder.Write("disk/sheet.tab", old);
    folder.Write("disk/sheet.tfw", "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n");
    // Fill what is left, so that not even the new table fits.
    test::RunCommand("head -c 1000000 /dev/zero > " + test::Quoted(disk + "/filler"));
    test::TestForm t;
    EXPECT_TRUE(WriteOutputOf(t.env, Outputs()[1], disk).has_value());
    EXPECT_EQ(ReadBytes(disk + "/sheet.tab"), old);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(disk)) {
        ++entries;
    }
    EXPECT_EQ(entries, 4u);  // sheet.tif, sheet.tab, sheet.tfw, filler: nothing partial
    ::umount(disk.c_str());
}

// Two runs on one folder at once: every table is one run's or the other's, whole.
TEST(ConcurrentRuns, TwoRunsOnOneFolderLeaveEveryOutputWhole) {
    TempFolder folder;
    std::string files;
    for (int i = 0; i < 60; ++i) {
        const std::string name = "s" + std::to_string(i);
        test::WriteTiff(folder / (name + ".tif"));
        folder.Write(name + ".tfw", "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n");
        files += " " + test::Quoted(folder / (name + ".tfw"));
    }
    const std::string command =
        "--from tfw --to tab --group 'Longitude / Latitude' --projection 'WGS 84'" + files;
    int otherStatus = -1;
    std::thread other([&] { otherStatus = test::MarloConvert(command).status; });
    const test::CommandResult run = test::MarloConvert(command);
    other.join();
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(otherStatus, 0);
    for (const auto& [name, bytes] : FolderBytes(folder.path())) {
        if (name.ends_with(".tab")) {
            EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 11) << name;
            EXPECT_EQ(bytes.find("!table", 1), std::string::npos) << name;
        }
        EXPECT_FALSE(name.ends_with(".part")) << name;
    }
}

// A table names files that are no images, climbs out of its folder to one, or names a link:
// nothing is written beside a file that is no image, and no link is followed on writing.
TEST(CraftedTables, NothingIsWrittenBesideWhatIsNoImage) {
    TempFolder folder;
    const std::string victim = folder.MakeFolder("victim");
    const std::string hostname = folder.Write("victim/hostname", "a system file");
    folder.Write("victim/notes.txt", "text");
    const std::string image = folder / "victim/real.tif";
    folder.MakeFolder("tables");
    test::WriteTiff(image);
    fs::create_symlink(image, folder / "tables/link.tif");
    const auto victimBefore = FolderBytes(victim);
    const std::string points =
        "  (1,9) (0,0) Label \"1\",\r\n  (5,9) (4,0) Label \"2\",\r\n  (5,6) (4,3) Label \"3\"\r\n";
    const std::pair<std::string, bool> references[] = {
        {hostname, false}, {"../victim/notes.txt", false}, {"link.tif", true}};
    for (const auto& [reference, written] : references) {
        SCOPED_TRACE(reference);
        const std::string table =
            folder.Write("tables/t.tab", "!table\r\n  File \"" + reference + "\"\r\n" + points);
        const test::CommandResult run =
            test::MarloConvert("--from tab --to tfw " + test::Quoted(table));
        EXPECT_EQ(run.status, written ? 0 : 1) << run.err;
    }
    EXPECT_EQ(FolderBytes(victim), victimBefore);
    // The link's world file stands beside the link, as a file of its own.
    EXPECT_TRUE(fs::is_regular_file(folder / "tables/link.tfw"));
    EXPECT_FALSE(fs::exists(folder / "victim/real.tfw"));
}

}  // namespace
}  // namespace marlo
