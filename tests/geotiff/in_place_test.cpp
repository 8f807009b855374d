// GeoTIFF tags written into the images themselves (--in-place), judged by GDAL: the new
// georeference exactly, the same pixels, nothing but the header's pointer changed before the
// old end, refusals that change nothing, and kills at random moments.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "gdal_tools.h"
#include "support/sanitizers.h"
#include "support/temp_folder.h"
#include "test_images.h"
#include "text/catalogue.h"

extern char** environ;

namespace marlo {
namespace {

using test::Quoted;
using test::ReadBytes;
using test::TempFolder;

// A world file that places the image's first pixel centre at (x0, 4998.5), 2 by 3 units.
std::string WorldFileAt(double x0) {
    return test::WorldFileText("2", "0", "0", "-3", std::to_string(x0), "4998.5");
}
// The geotransform GDAL reads for it (the outer corner of the first pixel).
std::vector<double> GeoTransformAt(double x0) {
    return {x0 - 1, 2, 0, 5000, 0, -3};
}

// An image and its world file in the folder; the image's path.
std::string ImageWithWorldFile(const TempFolder& folder, const std::string& name,
                               const test::TiffLayout& layout, double x0 = 1001) {
    const std::string image = folder / (name + ".tif");
    test::WriteTiff(image, layout);
    folder.Write(name + ".tfw", WorldFileAt(x0));
    return image;
}

test::CommandResult InPlace(const std::string& arguments) {
    return test::MarloConvert("--from tfw --to geotiff --in-place " + arguments);
}

// Whether `now` holds `before` byte for byte, but for the header's first-directory pointer,
// and at most something appended after it.
bool SameButPointer(const std::string& before, const std::string& now, bool bigTiff) {
    const std::size_t at = bigTiff ? 8 : 4;
    const std::size_t width = bigTiff ? 8 : 4;
    return now.size() >= before.size() && now.compare(0, at, before, 0, at) == 0 &&
           now.compare(at + width, before.size() - at - width, before, at + width) == 0;
}

struct LayoutCase {
    const char* name;
    test::TiffLayout layout;
};

class InPlaceLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(InPlaceLayoutTest, GdalReadsTheNewGeoreferenceAndTheSamePixels) {
    SKIP_WITHOUT_TOOLS();
    const TempFolder folder;
    const test::TiffLayout& layout = GetParam().layout;
    const std::string image = ImageWithWorldFile(folder, "sheet", layout);
    const std::string before = ReadBytes(image);
    const auto pixels = test::DescribeWithGdal(image).checksums;

    const test::CommandResult run = InPlace(Quoted(folder / "sheet.tfw"));
    ASSERT_EQ(run.status, 0) << run.err;
    test::GdalImage read = test::DescribeWithGdal(image);
    EXPECT_EQ(read.geoTransform, GeoTransformAt(1001));
    EXPECT_EQ(read.checksums, pixels);
    EXPECT_TRUE(SameButPointer(before, ReadBytes(image), layout.bigTiff));

    // Written again over its own tags: appended again, the earlier bytes kept.
    const std::string tagged = ReadBytes(image);
    folder.Write("sheet.tfw", WorldFileAt(1101));
    ASSERT_EQ(InPlace("--existing replace " + Quoted(folder / "sheet.tfw")).status, 0);
    read = test::DescribeWithGdal(image);
    EXPECT_EQ(read.geoTransform, GeoTransformAt(1101));
    EXPECT_EQ(read.checksums, pixels);
    EXPECT_TRUE(SameButPointer(tagged, ReadBytes(image), layout.bigTiff));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, InPlaceLayoutTest,
    ::testing::Values(LayoutCase{"little_endian", {}},
                      LayoutCase{"big_endian", {40, 30, true, false, false, 1, 1}},
                      LayoutCase{"bigtiff", {40, 30, false, true, false, 1, 1}},
                      LayoutCase{"bigtiff_big_endian_tiled", {64, 48, true, true, true, 1, 1}},
                      LayoutCase{"two_pages_compressed", {40, 30, false, false, false, 5, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// Holds an open-file-description lock on the file, as a program that writes it may.
class LockedFile {
public:
    explicit LockedFile(const std::string& path) : descriptor_(::open(path.c_str(), O_RDWR)) {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        locked_ = descriptor_ >= 0 && ::fcntl(descriptor_, F_OFD_SETLK, &whole) == 0;
    }
    ~LockedFile() { ::close(descriptor_); }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool locked() const { return locked_; }

private:
    int descriptor_;
    bool locked_ = false;
};

TEST(InPlaceTest, RefusesWhatItMayNotChangeAndChangesNothing) {
    SKIP_WITHOUT_TOOLS();
    const struct {
        const char* name;
        std::function<void(const TempFolder&, const std::string&)> prepare;
        std::int16_t message;
    } cases[] = {
        {"read-only image", [](const auto&, const auto& image) { test::MakeReadOnly(image); },
         msg::FileIsReadOnly},
        {"read-only folder",
         [](const TempFolder& folder, const auto&) { ::chmod(folder.path().c_str(), 0555); },
         msg::UnableToWriteToOutputFolder},
        {"cloud-optimised",
         [](const auto&, const std::string& image) {
             test::Shell("gdal_translate -q -of COG -co BLOCKSIZE=16 " + Quoted(image) + " " +
                         Quoted(image + ".cog") + " && mv " + Quoted(image + ".cog") + " " +
                         Quoted(image));
         },
         msg::CloudOptimisedLayout},
        {"already georeferenced",
         [](const auto&, const std::string& image) {
             test::Shell("gdal_edit.py -a_ullr 0 30 40 0 " + Quoted(image));
         },
         msg::OutputFileExists},
    };
    for (const auto& c : cases) {
        const TempFolder folder;
        const std::string image = ImageWithWorldFile(folder, "sheet", {});
        c.prepare(folder, image);
        const std::string before = ReadBytes(image);
        const test::CommandResult run = InPlace(Quoted(folder / "sheet.tfw"));
        ::chmod(folder.path().c_str(), 0755);
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_NE(run.err.find(Texts().Message(c.message)), std::string::npos) << c.name << run.err;
        EXPECT_EQ(ReadBytes(image), before) << c.name;
    }

    const TempFolder folder;
    const std::string image = ImageWithWorldFile(folder, "sheet", {});
    const std::string before = ReadBytes(image);
    const LockedFile lock(image);
    ASSERT_TRUE(lock.locked());
    const test::CommandResult run = InPlace(Quoted(folder / "sheet.tfw"));
    EXPECT_NE(run.err.find(Texts().Message(msg::OpenElsewhereForWriting)), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadBytes(image), before);
}

TEST(InPlaceTest, OnlyWorldFilesAndTablesIntoGeoTiffWithoutAnOutputFolder) {
    const TempFolder folder;
    const std::string image = ImageWithWorldFile(folder, "sheet", {});
    for (const std::string& arguments :
         {"--from tfw --to geotiff --in-place --output-dir " + Quoted(folder.path()),
          std::string("--from geotiff --to tfw --in-place"),
          std::string("--from tfw --to tab --in-place")}) {
        EXPECT_EQ(test::MarloConvert(arguments + " " + Quoted(image)).status, 2) << arguments;
    }
}

// Starts marlo-convert on the world files, its output thrown away.
pid_t StartInPlaceRun(const std::vector<std::string>& worldFiles) {
    std::vector<std::string> arguments = {
        MARLO_CONVERT_PROGRAM, "--from",     "tfw",     "--to",        "geotiff",
        "--in-place",          "--existing", "replace", "--keep-going"};
    arguments.insert(arguments.end(), worldFiles.begin(), worldFiles.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    EXPECT_EQ(posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    return child;
}

void WaitFor(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
}

TEST(InPlaceTest, AKillAtAnyMomentLeavesTheOldOrTheNewGeoreferenceAndThePixels) {
    SKIP_KILLED_RUNS_WHEN_SANITIZED();
    SKIP_WITHOUT_TOOLS();
    const TempFolder folder;
    constexpr int kImages = 3;
    constexpr int kKills = 20;
    std::vector<std::string> images;
    std::vector<std::string> worldFiles;
    for (int i = 0; i < kImages; ++i) {
        test::TiffLayout layout;
        layout.bigEndian = i == 1;
        layout.bigTiff = i == 2;
        images.push_back(ImageWithWorldFile(folder, "sheet" + std::to_string(i), layout));
        worldFiles.push_back(folder / ("sheet" + std::to_string(i) + ".tfw"));
    }
    std::vector<std::vector<long long>> pixels;
    for (const std::string& image : images) {
        pixels.push_back(test::DescribeWithGdal(image).checksums);
    }
    // A whole run's length bounds the moments to kill at.
    const auto start = std::chrono::steady_clock::now();
    WaitFor(StartInPlaceRun(worldFiles));
    const auto runLength = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::mt19937 random(33);
    std::vector<std::vector<double>> placed(kImages, GeoTransformAt(1001));
    for (int kill = 1; kill <= kKills; ++kill) {
        for (int i = 0; i < kImages; ++i) {
            folder.Write("sheet" + std::to_string(i) + ".tfw", WorldFileAt(1001 + 10 * kill));
        }
        std::uniform_int_distribution<long> moment(0, runLength.count());
        const pid_t run = StartInPlaceRun(worldFiles);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(run, SIGKILL);
        WaitFor(run);
        for (int i = 0; i < kImages; ++i) {
            const test::GdalImage read = test::DescribeWithGdal(images[i]);
            EXPECT_TRUE(read.geoTransform == placed[i] ||
                        read.geoTransform == GeoTransformAt(1001 + 10 * kill))
                << "kill " << kill << " image " << i;
            EXPECT_EQ(read.checksums, pixels[i]) << "kill " << kill << " image " << i;
            EXPECT_TRUE(read.warnings.empty()) << read.warnings;
            placed[i] = read.geoTransform;
        }
    }
}

}  // namespace
}  // namespace marlo
