#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <future>
#include <limits>
#include <thread>

#include "pelcor/pelcor.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "test_helpers.h"

extern "C" int pelcor_header_compiles_as_c(void);

namespace pelcor_test {
namespace {

using marlo::test::MakeReadOnly;
using marlo::test::TempFolder;

const std::vector<double> kScaleValues{2, 3, 0};
const std::vector<double> kTiepointValues{0, 0, 0, 1000, 5000, 0};
const std::vector<double> kMatrixValues{4, 1, 0, 700, 0.5, -5, 0, 900, 0, 0, 0, 0, 0, 0, 0, 1};
const World kFromScale{2, 0, 0, -3, 1001, 4998.5};
const World kFromMatrix{4, 0.5, 1, -5, 702.5, 897.75};

class PelcorReadTest : public ::testing::Test {
protected:
    std::optional<World> Read(const TiffBuilder& builder) {
        return ReadWorld(folder_.Write("image.tif", builder.Build()));
    }
    TempFolder folder_;
};

TEST_F(PelcorReadTest, PixelScaleAndTiepointGiveTheCentreOfTheFirstPixel) {
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, kTiepointValues)),
              kFromScale);
    // A tie point away from the raster origin is followed back to the first pixel.
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, {10, 20, 0, 1020, 4940, 0})),
              kFromScale);
}

// GDAL's order: a usable scale and tie point first, the matrix only without them.
TEST_F(PelcorReadTest, PixelScaleAndTiepointWinOverTheMatrixAsInGdal) {
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, kTiepointValues)
                       .AddDoubles(kTransformationTag, kMatrixValues)),
              kFromScale);
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, {0, 3, 0})
                       .AddDoubles(kTiepointTag, kTiepointValues)
                       .AddDoubles(kTransformationTag, kMatrixValues)),
              kFromMatrix);
    EXPECT_EQ(Read(TiffBuilder::Image().AddDoubles(kTransformationTag, kMatrixValues)),
              kFromMatrix);
}

TEST_F(PelcorReadTest, MatrixCountsOnlyWithExactlySixteenValues) {
    std::vector<double> longer = kMatrixValues;
    longer.push_back(0);
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, kTiepointValues)
                       .AddDoubles(kTransformationTag, longer)),
              kFromScale);
    EXPECT_EQ(Read(TiffBuilder::Image().AddDoubles(kTransformationTag, longer)), std::nullopt);
}

TEST_F(PelcorReadTest, SeveralTiepointsNeedAPixelScale) {
    const std::vector<double> two{0, 0, 0, 1000, 5000, 0, 4, 3, 0, 1008, 4991, 0};
    EXPECT_EQ(Read(TiffBuilder::Image().AddDoubles(kTiepointTag, two)), std::nullopt);
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kTiepointTag, two)
                       .AddDoubles(kTransformationTag, kMatrixValues)),
              kFromMatrix);
    // With a scale only the first tie point counts.
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, two)),
              kFromScale);
}

TEST_F(PelcorReadTest, IncompleteGeoreferenceFails) {
    EXPECT_EQ(Read(TiffBuilder::Image()), std::nullopt);
    EXPECT_EQ(Read(TiffBuilder::Image().AddDoubles(kTiepointTag, kTiepointValues)), std::nullopt);
    EXPECT_EQ(Read(TiffBuilder::Image().AddDoubles(kPixelScaleTag, kScaleValues)), std::nullopt);
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kTiepointTag, {0, 0, 0, 1000, 5000})),
              std::nullopt);
}

// Why a file gives no georeference, for the message that says so.
TEST_F(PelcorReadTest, TellsNoGeoreferenceFromControlPointsOnly) {
    const std::vector<double> two{0, 0, 0, 1000, 5000, 0, 4, 3, 0, 1008, 4991, 0};
    struct Case {
        TiffBuilder image;
        int32_t kind;
    };
    const Case cases[] = {
        {TiffBuilder::Image(), 0},
        {TiffBuilder::Image()
             .AddDoubles(kPixelScaleTag, kScaleValues)
             .AddDoubles(kTiepointTag, kTiepointValues),
         1},
        {TiffBuilder::Image().AddDoubles(kTiepointTag, two), 2},
        {TiffBuilder::Image().AddDoubles(kTiepointTag, kTiepointValues), 3},
    };
    for (const Case& c : cases) {
        const std::string path = folder_.Write("image.tif", c.image.Build());
        int32_t kind = -1;
        EXPECT_EQ(tiffHdrReadGeoreferenceKind(path.c_str(), &kind), 1);
        EXPECT_EQ(kind, c.kind);
    }
    int32_t kind = -1;
    const std::string text = folder_.Write("text.tif", "not a TIFF");
    EXPECT_EQ(tiffHdrReadGeoreferenceKind(text.c_str(), &kind), 0);
    EXPECT_EQ(tiffHdrReadGeoreferenceKind(text.c_str(), nullptr), 0);
    EXPECT_EQ(kind, -1);
}

// As GDAL reads them: a tag that is present but unusable counts as absent, two scale values
// are enough, and a negative ScaleY means rows running south all the same.
TEST_F(PelcorReadTest, ReadsWhatGdalReads) {
    const auto scaleAndTie = [&](const std::vector<double>& scale) {
        return TiffBuilder::Image()
            .AddDoubles(kPixelScaleTag, scale)
            .AddDoubles(kTiepointTag, kTiepointValues);
    };
    EXPECT_EQ(Read(scaleAndTie(kScaleValues).AddRaw(kTransformationTag, kDouble, 16, 0xfffffff0)),
              kFromScale);
    EXPECT_EQ(Read(scaleAndTie({2, 3})), kFromScale);
    EXPECT_EQ(Read(scaleAndTie({2, -3, 0})), kFromScale);
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .Add(kPixelScaleTag, kFloat, 3, std::string(12, '\0'))
                       .AddDoubles(kTiepointTag, kTiepointValues)
                       .AddDoubles(kTransformationTag, kMatrixValues)),
              kFromMatrix);
}

TEST_F(PelcorReadTest, FirstOfTwoEntriesWithTheSameTagIsUsed) {
    EXPECT_EQ(Read(TiffBuilder::Image()
                       .AddDoubles(kPixelScaleTag, kScaleValues)
                       .AddDoubles(kPixelScaleTag, {7, 7, 0})
                       .AddDoubles(kTiepointTag, kTiepointValues)),
              kFromScale);
}

TEST_F(PelcorReadTest, FailureLeavesTheTargetsAlone) {
    const std::string path = folder_.Write("plain.tif", TiffBuilder::Image().Build());
    double d[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(tiffHdrReadDbl(path.c_str(), &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]), 0);
    EXPECT_EQ(std::vector<double>(d, d + 6), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    float f[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(tiffHdrReadFlt(path.c_str(), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), 0);
    EXPECT_EQ(std::vector<float>(f, f + 6), (std::vector<float>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(tiffHdrReadDbl(path.c_str(), nullptr, &d[1], &d[2], &d[3], &d[4], &d[5]), 0);
    EXPECT_EQ(tiffHdrReadDbl(nullptr, &d[0], &d[1], &d[2], &d[3], &d[4], &d[5]), 0);
}

TEST_F(PelcorReadTest, FloatVariantConvertsEachValue) {
    const std::string path =
        folder_.Write("image.tif", TiffBuilder::Image()
                                       .AddDoubles(kPixelScaleTag, {0.25, 1e300, 0})
                                       .AddDoubles(kTiepointTag, kTiepointValues)
                                       .Build());
    float f[6] = {};
    ASSERT_EQ(tiffHdrReadFlt(path.c_str(), &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]), 1);
    EXPECT_EQ(f[0], 0.25f);
    EXPECT_EQ(f[1], 0.0f);
    EXPECT_EQ(f[2], 0.0f);
    // Beyond float's range the value saturates rather than being undefined.
    EXPECT_EQ(f[3], -std::numeric_limits<float>::infinity());
    EXPECT_EQ(f[4], 1000.125f);
    EXPECT_EQ(f[5], -std::numeric_limits<float>::infinity());
}

TEST_F(PelcorReadTest, ReadOnlyFileCanBeRead) {
    const std::string path =
        folder_.Write("image.tif", TiffBuilder::Image()
                                       .AddDoubles(kPixelScaleTag, kScaleValues)
                                       .AddDoubles(kTiepointTag, kTiepointValues)
                                       .Build());
    MakeReadOnly(path);
    EXPECT_EQ(ReadWorld(path), kFromScale);
}

TEST_F(PelcorReadTest, OnlyRegularFilesAreOpened) {
    EXPECT_EQ(ReadWorld(folder_ / "missing.tif"), std::nullopt);
    EXPECT_EQ(ReadWorld(folder_.path()), std::nullopt);
    EXPECT_FALSE(WriteWorld(folder_.path(), kNorthUp));
    EXPECT_FALSE(WriteWorld(folder_ / "missing.tif", kNorthUp));
}

TEST(PelcorHeader, CompilesAsC) {
    EXPECT_EQ(pelcor_header_compiles_as_c(), 1);
}

#ifndef _WIN32
// A FIFO swapped into a file's place while Pelcor opens it can never stall the caller: every
// read and write answers, whichever of the two it met.
TEST(PelcorRace, AFifoSwappedInNeverBlocks) {
    TempFolder folder;
    const std::string path = folder / "image.tif";
    const std::string image = folder.Write("image.source", TiffBuilder::Image().Build());
    const std::string fifo = folder / "fifo";
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        for (bool pipe = true; !done; pipe = !pipe) {
            if (pipe) {
                ::mkfifo(fifo.c_str(), 0600);
                std::rename(fifo.c_str(), path.c_str());
            } else {
                std::filesystem::copy_file(image, folder / "copy",
                                           std::filesystem::copy_options::overwrite_existing);
                std::rename((folder / "copy").c_str(), path.c_str());
            }
        }
    });
    auto calls = std::async(std::launch::async, [&] {
        for (int i = 0; i < 2000; ++i) {
            ReadWorld(path);
            WriteWorld(path, kNorthUp);
        }
    });
    const bool answered = calls.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    done = true;
    swapper.join();
    ASSERT_TRUE(answered) << "a call blocked on the FIFO";
}
#endif

}  // namespace
}  // namespace pelcor_test
