// What a hostile folder tries, through marlo-convert: each attempt ends with its message and
// exit status, and the folder as it was, byte for byte; or, where the input is sound, with the
// conversion. Killed runs leave no temporary and no partial output.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <regex>
#include <string>

#include "gdal_tools.h"
#include "support/sanitizers.h"
#include "support/sheets.h"
#include "support/temp_folder.h"
#include "test_images.h"

namespace marlo {
namespace {

using test::Quoted;
using test::TempFolder;
using test::TreeBytes;

constexpr const char* kProjection = " --group Poland --projection 'ETRF2000-PL / CS92' ";

// A GeoTIFF in EPSG:2180 that GDAL makes, under any name.
void GeoTiff(const std::string& path) {
    test::Shell(
        "gdal_create -q -of GTiff -outsize 40 30 -a_srs EPSG:2180 "
        "-a_ullr 500000 600000 500400 599700 " +
        Quoted(path));
}

struct Attempt {
    const char* name;
    // Makes the folder and gives marlo-convert's arguments.
    std::function<std::string(const TempFolder&)> prepare;
    std::string message;
};

TEST(HostileFolder, EveryAttemptIsRefusedAndChangesNothing) {
    const Attempt attempts[] = {
        {"a GeoTIFF named as a table, converted to a table",
         [](const TempFolder& f) {
             GeoTiff(f / "x.tab");
             return "--from geotiff --to tab" + std::string(kProjection) + Quoted(f / "x.tab");
         },
         "The output would replace an input of this conversion!\n"},
        {"a GeoTIFF named y.tww, converted to a world file",
         [](const TempFolder& f) {
             GeoTiff(f / "y.tww");
             return "--from geotiff --to tfw " + Quoted(f / "y.tww");
         },
         "The output would replace an input of this conversion!\n"},
        {"a table saved as m.tfw, converted to a world file",
         [](const TempFolder& f) {
             test::WriteTiff(f / "m.tif");
             f.Write("m.tfw", test::Cs92SheetTable("m.tif"));
             return "--from tab --to tfw " + Quoted(f / "m.tfw");
         },
         "The output would replace an input of this conversion!\n"},
        {"a TIFF given as a table",
         [](const TempFolder& f) {
             test::WriteTiff(f / "img.tab");
             return "--from tab --to tfw " + Quoted(f / "img.tab");
         },
         "The file is not of the chosen input format!\n"},
        {"a TIFF given as a world file",
         [](const TempFolder& f) {
             test::WriteTiff(f / "img.tfw");
             return "--from tfw --to tab" + std::string(kProjection) + Quoted(f / "img.tfw");
         },
         "The file is not of the chosen input format!\n"},
        {"a blank inside a world file's number",
         [](const TempFolder& f) {
             test::WriteTiff(f / "s.tif");
             f.Write("s.tfw", "10 0\r\n0\r\n0\r\n-10\r\n500005\r\n5999995\r\n");
             return "--from tfw --to geotiff --output-dir " + Quoted(f / "out") + " " +
                    Quoted(f / "s.tfw");
         },
         "Error value in the tfw file!\n"},
        {"a projection list cut short",
         [](const TempFolder& f) {
             test::WriteTiff(f / "s.tif");
             f.Write("s.tfw", test::kCs92SheetWorldFile);
             f.Write("cut.prj", "--- Poland ---\r\n\"ETRF2000-PL / CS92\\p2180\", 8, 104, \"m\", ");
             return "--from tfw --to tab --projection-file " + Quoted(f / "cut.prj") + kProjection +
                    Quoted(f / "s.tfw");
         },
         "The projection list is incomplete or damaged!\n"},
    };
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        TempFolder folder;
        folder.MakeFolder("out");
        const std::string arguments = attempt.prepare(folder);
        const auto before = TreeBytes(folder.path());
        const test::CommandResult run = test::MarloConvert(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(attempt.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("Done!"), std::string::npos);
        EXPECT_EQ(run.err.find("II*"), std::string::npos) << "the input's bytes were shown";
        EXPECT_EQ(TreeBytes(folder.path()), before);
    }
}

// Names up to the file system's 255 bytes convert, and a sparse image's copy stays sparse.
TEST(HostileFolder, LongNamesAndSparseImagesConvert) {
    TempFolder folder;
    const std::string name(246, 'n');
    test::WriteTiff(folder / (name + ".tif"));
    folder.Write(name + ".tfw", test::kCs92SheetWorldFile);
    const test::CommandResult table = test::MarloConvert(
        "--from tfw --to tab" + std::string(kProjection) + Quoted(folder / (name + ".tfw")));
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(std::filesystem::exists(folder / (name + ".tab")));

    const std::string sparse = folder / "sparse.tif";
    test::WriteTiff(sparse);
    std::filesystem::resize_file(sparse, std::uint64_t{1} << 30);
    folder.Write("sparse.tfw", test::kCs92SheetWorldFile);
    const std::string out = folder.MakeFolder("out");
    const test::CommandResult image =
        test::MarloConvert("--from tfw --to geotiff --output-dir " + Quoted(out) + " " +
                           Quoted(folder / "sparse.tfw"));
    EXPECT_EQ(image.status, 0) << image.err;
    struct stat copied {};
    ASSERT_EQ(::stat((out + "/sparse.tif").c_str(), &copied), 0);
    EXPECT_GE(copied.st_size, std::int64_t{1} << 30);
    EXPECT_LT(copied.st_blocks * 512, 1 << 20) << "the copy's holes were filled";
}

// Every file of the folder is an input or a whole output (`whole` says which are). Right
// after a kill, the short temporary of a replacement killed between its link and its rename
// may stand (`afterKill`); after a run that finishes, nothing of the kind is left.
void ExpectNothingPartial(const std::string& folder,
                          const std::function<bool(const std::string&)>& whole, bool afterKill) {
    static const std::regex killedReplacement(R"(\.marlo-[0-9a-f]{16}\.part)");
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (afterKill && std::regex_match(name, killedReplacement)) {
            continue;
        }
        EXPECT_TRUE(name.ends_with(".tfw") || whole(entry.path().string())) << name;
        EXPECT_NE(name.front(), '.') << name;
    }
}

// SIGKILL at random moments of a 2,000-file batch and of a large copy, 20 times each: after
// each kill, and after the run that follows, nothing is partial and no temporary is left.
TEST(HostileFolder, KilledRunsLeaveNothingBehind) {
    SKIP_KILLED_RUNS_WHEN_SANITIZED();
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> moment(5, 400);

    TempFolder batch;
    test::WriteTiff(batch / "image");
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "s" + std::to_string(i);
        std::filesystem::create_hard_link(batch / "image", batch / (name + ".tif"));
        batch.Write(name + ".tfw", test::kCs92SheetWorldFile);
    }
    std::filesystem::remove(batch / "image");
    const std::string sheets =
        "--from tfw --to tab" + std::string(kProjection) + "-- " + Quoted(batch.path()) + "/*.tfw";
    const auto tableOrImage = [](const std::string& path) {
        return path.ends_with(".tif") || test::ReadBytes(path).ends_with(
                                             "CoordSys Earth Projection 8, 104, \"m\", 19, 0, "
                                             "0.9993, 500000, -5300000\r\n");
    };
    for (int kill = 0; kill < 20; ++kill) {
        test::RunKilledAfter(moment(random), sheets);
        ExpectNothingPartial(batch.path(), tableOrImage, true);
    }
    test::RunKilledAfter(60000, sheets);
    ExpectNothingPartial(batch.path(), tableOrImage, false);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(batch.path()),
                            std::filesystem::directory_iterator()),
              6000);

    TempFolder large;
    const std::string out = large.MakeFolder("out");
    // 256 MiB of pixels, written as data; MARLO_KILL_TEST_MIB sets another size (1024 by hand).
    const char* mebibytes = std::getenv("MARLO_KILL_TEST_MIB");
    test::TiffLayout layout;
    layout.width = 16384;
    layout.height = static_cast<std::uint32_t>(64 * (mebibytes ? std::atoi(mebibytes) : 256));
    test::WriteTiff(large / "big.tif", layout);
    large.Write("big.tfw", test::kCs92SheetWorldFile);
    const std::string copy =
        "--from tfw --to geotiff --output-dir " + Quoted(out) + " " + Quoted(large / "big.tfw");
    // A complete run first, for the size of a whole output.
    test::RunKilledAfter(60000, copy);
    const auto size = std::filesystem::file_size(out + "/big.tif");
    std::filesystem::remove(out + "/big.tif");
    const auto wholeCopy = [size](const std::string& path) {
        return std::filesystem::file_size(path) == size;
    };
    for (int kill = 0; kill < 20; ++kill) {
        test::RunKilledAfter(moment(random), copy);
        // A GeoTIFF is always new: linked into its place in one step, never named before.
        ExpectNothingPartial(out, wholeCopy, false);
        std::filesystem::remove(out + "/big.tif");
    }
    test::RunKilledAfter(60000, copy);
    ExpectNothingPartial(out, wholeCopy, false);
    EXPECT_TRUE(std::filesystem::exists(out + "/big.tif"));
}

}  // namespace
}  // namespace marlo
