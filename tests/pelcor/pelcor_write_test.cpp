#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "pelcor/pelcor.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "test_helpers.h"

namespace pelcor_test {
namespace {

using marlo::test::MakeReadOnly;
using marlo::test::ReadBytes;
using marlo::test::TempFolder;

std::string ReadHead(const std::string& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string head(count, '\0');
    in.read(head.data(), static_cast<std::streamsize>(count));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

const std::vector<double> kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

std::string Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t last) {
    return U16(tag) + U16(type) + U32(count) + U32(last);
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        out += part;
    }
    return out;
}

// Directory entries with the tag 1..n, so no GeoTIFF tag is among them.
TiffBuilder ManyEntries(int count) {
    TiffBuilder builder = TiffBuilder::Bare();
    for (int i = 1; i <= count; ++i) {
        builder.AddRaw(static_cast<std::uint16_t>(i), kShort, 1, 0);
    }
    return builder;
}

class PelcorWriteTest : public ::testing::Test {
protected:
    std::string File(const TiffBuilder& builder) {
        return folder_.Write("image.tif", builder.Build());
    }
    TempFolder folder_;
};

// The appended block starts on a word boundary: values, then a sorted directory that still
// links the next page.
TEST_F(PelcorWriteTest, AppendsAlignedValuesAndASortedDirectoryThatKeepsTheNextPage) {
    // The GeoKey directory's tag is above both new ones, so they go in front of it.
    const std::string before =
        TiffBuilder::Image()
            .Add(kGeoKeyDirectoryTag, kShort, 4, U16(1) + U16(1) + U16(0) + U16(0))
            .WithSecondPage()
            .Build() +
        "x";  // an odd length
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kNorthUp));

    const auto start = static_cast<std::uint32_t>(before.size() + 1);
    const std::uint32_t oldDirectory = FirstDirectoryOffset(before);
    std::vector<std::string> entries = DirectoryEntries(before, oldDirectory);
    const std::uint32_t nextPage = ReadU32(before, oldDirectory + 2 + 12 * entries.size());
    ASSERT_NE(nextPage, 0u);
    entries.insert(entries.end() - 1, {Entry(kPixelScaleTag, kDouble, 3, start),
                                       Entry(kTiepointTag, kDouble, 6, start + 24)});
    const std::string expected =
        before.substr(0, 4) + U32(start + 72) + before.substr(8) + std::string(1, '\0') +
        Doubles({2, 3, 0}) + Doubles({0, 0, 0, 1000, 5000, 0}) +
        U16(static_cast<std::uint16_t>(entries.size())) + Joined(entries) + U32(nextPage);
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ReadWorld(path), kNorthUp);
}

TEST_F(PelcorWriteTest, SecondWriteChangesOnlyTheValues) {
    const std::string path = File(TiffBuilder::Image());
    const auto length = ReadBytes(path).size();
    ASSERT_TRUE(WriteWorld(path, kNorthUp));
    const std::string first = ReadBytes(path);

    // ScaleX keeps its sign, the tie point is the outer corner of the first pixel.
    const World westward{-2, 0, 0, -2, 10, 20};
    ASSERT_TRUE(WriteWorld(path, westward));
    const std::string second = ReadBytes(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(ReadDoubles(second, length, 3), (std::vector<double>{-2, 2, 0}));
    EXPECT_EQ(ReadDoubles(second, length + 24, 6), (std::vector<double>{0, 0, 0, 11, 21, 0}));
    EXPECT_EQ(second.substr(0, length), first.substr(0, length));
    EXPECT_EQ(second.substr(length + 72), first.substr(length + 72));
    EXPECT_EQ(ReadWorld(path), westward);
}

TEST_F(PelcorWriteTest, MatrixWritesGoInPlaceAndALongerMatrixShrinksToSixteen) {
    std::vector<double> longer = kIdentity;
    longer.insert(longer.end(), {7, 7});
    const std::string before = TiffBuilder::Image().AddDoubles(kTransformationTag, longer).Build();
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kRotated));
    const std::string after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size());
    const std::uint32_t directory = FirstDirectoryOffset(before);
    std::vector<std::string> entries = DirectoryEntries(before, directory);
    const std::uint32_t values = ReadU32(entries.back(), 8);
    entries.back() = Entry(kTransformationTag, kDouble, 16, values);
    EXPECT_EQ(DirectoryEntries(after, directory), entries);
    EXPECT_EQ(ReadDoubles(after, values, 18),
              (std::vector<double>{2, 0.25, 0, 999.875, 0.5, -3, 0, 4999.75, 0, 0, 0, 0, 0, 0, 0, 1,
                                   7, 7}));
    EXPECT_EQ(ReadWorld(path), kRotated);
}

// The georeference tags a written file holds, in directory order.
std::vector<std::uint16_t> GeoreferenceTags(const std::string& file) {
    std::vector<std::uint16_t> tags;
    for (const std::string& entry : DirectoryEntries(file, FirstDirectoryOffset(file))) {
        const auto tag = static_cast<std::uint16_t>(ReadU32(entry + std::string(2, '\0'), 0));
        if (tag == kPixelScaleTag || tag == kTiepointTag || tag == kTransformationTag) {
            tags.push_back(tag);
        }
    }
    return tags;
}

struct StartingFile {
    const char* name;
    TiffBuilder builder;
};
void PrintTo(const StartingFile& file, std::ostream* out) {
    *out << file.name;
}

std::vector<StartingFile> StartingFiles() {
    const auto image = [] { return TiffBuilder::Image(); };
    const std::vector<double> zeros6(6, 0);
    return {
        {"Plain", image()},
        {"ScaleAndTiepoint",
         image().AddDoubles(kPixelScaleTag, {1, 1, 0}).AddDoubles(kTiepointTag, zeros6)},
        {"Matrix", image().AddDoubles(kTransformationTag, kIdentity)},
        {"AllThree", image()
                         .AddDoubles(kPixelScaleTag, {1, 1, 0})
                         .AddDoubles(kTiepointTag, zeros6)
                         .AddDoubles(kTransformationTag, kIdentity)},
        {"GroundControlPoints",
         image().AddDoubles(kTiepointTag, {0, 0, 0, 5, 5, 0, 9, 9, 0, 50, 50, 0})},
        {"TwoTiepointEntries",
         image().AddDoubles(kTiepointTag, zeros6).AddDoubles(kTiepointTag, zeros6)},
        {"LonePixelScale", image().AddDoubles(kPixelScaleTag, {9, 9, 0})},
        {"ShortMatrix", image().AddDoubles(kTransformationTag, std::vector<double>(12, 1))},
        {"FloatMatrix", image().Add(kTransformationTag, kFloat, 16, std::string(64, '\0'))},
        {"MatrixPastTheEnd", image().AddRaw(kTransformationTag, kDouble, 16, 0xfffffff0)},
        {"ShortTiepoint",
         image().AddDoubles(kPixelScaleTag, {2, 3, 0}).AddDoubles(kTiepointTag, {0, 0, 0, 1, 2})},
        {"HugeCount",
         image().AddRaw(kPixelScaleTag, kDouble, 0xffffffff, 8).AddDoubles(kTiepointTag, zeros6)},
        {"ValuesOverTheHeader",
         image().AddRaw(kPixelScaleTag, kDouble, 3, 0).AddDoubles(kTiepointTag, zeros6)},
        // Pixels (12 bytes) and tie point values (48) come first, so the directory is at 68;
        // a scale at 28 shares its bytes with the tie point's (found by fuzzing).
        {"ValuesSharedWithTheTiepoint",
         image().AddDoubles(kTiepointTag, zeros6).AddRaw(kPixelScaleTag, kDouble, 3, 28)},
        {"ValuesOverTheDirectory",
         image().AddDoubles(kTiepointTag, zeros6).AddRaw(kPixelScaleTag, kDouble, 3, 68)},
    };
}

class PelcorOneGeoreferenceTest : public ::testing::TestWithParam<StartingFile> {};

// Whatever georeference tags a file held, a write leaves exactly one georeference that reads
// back as written: scale and tie point for rows running south, the matrix otherwise.
TEST_P(PelcorOneGeoreferenceTest, EveryWriteLeavesOneGeoreference) {
    const World rowsNorth{2, 0, 0, 3, 1001, 4998.5};
    const World tinyRotation{2, 0, 1e-16, -3, 1001, 4998.5};
    using Tags = std::vector<std::uint16_t>;
    const Tags scaleAndTie{kPixelScaleTag, kTiepointTag};
    const Tags matrix{kTransformationTag};
    for (const auto& [world, tags] :
         {std::pair{kNorthUp, scaleAndTie}, std::pair{kRotated, matrix},
          std::pair{rowsNorth, matrix}, std::pair{tinyRotation, scaleAndTie}}) {
        TempFolder folder;
        const std::string path = folder.Write("image.tif", GetParam().builder.Build());
        ASSERT_TRUE(WriteWorld(path, world)) << world;
        EXPECT_EQ(GeoreferenceTags(ReadBytes(path)), tags) << world;
        const auto read = ReadWorld(path);
        ASSERT_TRUE(read) << world;
        EXPECT_EQ(read->pixelSizeY, world.pixelSizeY) << world;
        EXPECT_EQ(read->originX, world.originX) << world;
        EXPECT_EQ(read->originY, world.originY) << world;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, PelcorOneGeoreferenceTest, ::testing::ValuesIn(StartingFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PelcorWriteTest, DirectoryMayGrowToTheLimitButNoFurther) {
    const std::string fits = File(ManyEntries(1022));
    EXPECT_TRUE(WriteWorld(fits, kNorthUp));
    EXPECT_EQ(DirectoryEntries(ReadBytes(fits), FirstDirectoryOffset(ReadBytes(fits))).size(),
              1024u);
}

TEST_F(PelcorWriteTest, FloatVariantWritesTheSameBytes) {
    const std::string viaDouble = folder_.Write("double.tif", TiffBuilder::Image().Build());
    const std::string viaFloat = folder_.Write("float.tif", TiffBuilder::Image().Build());
    ASSERT_TRUE(WriteWorld(viaDouble, {0.5, 0, 0, -0.25, 100.75, 200.125}));
    ASSERT_EQ(tiffHdrWriteFlt(viaFloat.c_str(), 0.5f, 0, 0, -0.25f, 100.75f, 200.125f), 1);
    EXPECT_EQ(ReadBytes(viaFloat), ReadBytes(viaDouble));
    EXPECT_EQ(tiffHdrWriteFlt(nullptr, 0.5f, 0, 0, -0.25f, 100.75f, 200.125f), 0);
}

TEST_F(PelcorWriteTest, ReadOnlyFileIsRefusedEvenForTheSuperUser) {
    const std::string path = File(TiffBuilder::Image());
    MakeReadOnly(path);
    const std::string before = ReadBytes(path);
    EXPECT_FALSE(WriteWorld(path, kNorthUp));
    EXPECT_EQ(ReadBytes(path), before);
}

// Classic TIFF offsets are 32-bit: an append that would end past 4 GiB is refused.
TEST_F(PelcorWriteTest, AppendBeyondFourGibIsRefused) {
    const std::string path = File(TiffBuilder::Image().AddDoubles(kTransformationTag, kIdentity));
    const std::uintmax_t size = (std::uintmax_t{1} << 32) - 100;
    std::error_code error;
    std::filesystem::resize_file(path, size, error);
    if (error) {
        GTEST_SKIP() << "no sparse file of 4 GiB here: " << error.message();
    }
    const std::string head = ReadHead(path, 4096);
    EXPECT_FALSE(WriteWorld(path, kNorthUp));
    EXPECT_EQ(std::filesystem::file_size(path), size);
    EXPECT_EQ(ReadHead(path, 4096), head);
    EXPECT_EQ(ReadWorld(path), (World{1, 0, 0, 1, 0.5, 0.5}));
}

struct Refused {
    const char* name;
    std::string bytes;
    World world = kNorthUp;
    bool readable = false;
};
void PrintTo(const Refused& refused, std::ostream* out) {
    *out << refused.name;
}

std::string WithHeader(const std::string& magic, const std::string& file) {
    return magic + file.substr(4);
}

std::vector<Refused> RefusedFiles() {
    const std::string plain = TiffBuilder::Image().Build();
    const std::string geo = TiffBuilder::Image()
                                .AddDoubles(kPixelScaleTag, {2, 3, 0})
                                .AddDoubles(kTiepointTag, {0, 0, 0, 1000, 5000, 0})
                                .Build();
    const std::uint32_t directory = FirstDirectoryOffset(plain);
    return {
        {"Empty", ""},
        {"ShorterThanTheHeader", plain.substr(0, 7)},
        {"BigEndianMarkOnALittleEndianFile", WithHeader(std::string("MM\0\x2a", 4), geo)},
        {"BigTiffMarkOnAClassicFile", WithHeader(std::string("II\x2b\0", 4), geo)},
        {"DirectoryPastTheEnd",
         plain.substr(0, 4) + U32(static_cast<std::uint32_t>(plain.size())) + plain.substr(8)},
        {"DirectoryCutShort", plain.substr(0, directory + 2 + 12 * 4)},
        {"NextOffsetMissing", plain.substr(0, plain.size() - 4)},
        {"TooManyEntries", ManyEntries(1025).Build()},
        {"NoRoomForTwoMoreEntries", ManyEntries(1023).Build()},
        {"ZeroPixelSize", geo, World{0, 0, 0, -3, 1001, 4998.5}, true},
        {"SingularGrid", geo, World{2, 3, 2, 3, 1001, 4998.5}, true},
        {"NotANumber", geo, World{2, 0, 0, -3, std::nan(""), 4998.5}, true},
        // Tag values that lie inside the pixels, where a write in place would go.
        {"ValuesInsideTheStrip",
         TiffBuilder::Image(16, 16)
             .AddRaw(kPixelScaleTag, kDouble, 3, 8)
             .AddRaw(kTiepointTag, kDouble, 6, 40)
             .Build(),
         kNorthUp, true},
        {"ValuesInsideATile",
         TiffBuilder::Bare()
             .AddDoubles(kPixelScaleTag, {2, 3, 0})
             .AddDoubles(kTiepointTag, {0, 0, 0, 1000, 5000, 0})
             .AddRaw(322, kLong, 1, 16)
             .AddRaw(323, kLong, 1, 16)
             .AddRaw(324, kLong, 1, 8)
             .AddRaw(325, kLong, 1, 256)
             .Build(),
         kNorthUp, true},
        {"StripOffsetsOutsideTheFile",
         TiffBuilder::Bare()
             .AddDoubles(kPixelScaleTag, {2, 3, 0})
             .AddDoubles(kTiepointTag, {0, 0, 0, 1000, 5000, 0})
             .AddRaw(273, kLong, 2, 1 << 30)
             .Build(),
         kNorthUp, true},
    };
}

class PelcorRefusedTest : public ::testing::TestWithParam<Refused> {};

TEST_P(PelcorRefusedTest, WriteFailsAndLeavesEveryByte) {
    TempFolder folder;
    const std::string path = folder.Write("image.tif", GetParam().bytes);
    EXPECT_FALSE(WriteWorld(path, GetParam().world));
    EXPECT_EQ(ReadBytes(path), GetParam().bytes);
    EXPECT_EQ(ReadWorld(path).has_value(), GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(Rows, PelcorRefusedTest, ::testing::ValuesIn(RefusedFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// The whole-GeoKey write takes a count of 0 as "no such tag"; any other count needs an array
// behind it, and a negative one means nothing.
TEST(PelcorGeoKeyCounts, MeaninglessCountsAreRefusedAndChangeNothing) {
    const std::uint16_t directory[] = {1, 1, 0, 1, 1024, 0, 1, 1};
    const double doubles[] = {1.0};
    const struct {
        const std::uint16_t* directory;
        std::int32_t directoryCount;
        const double* doubles;
        std::int32_t doubleCount;
        const char* ascii;
        std::int32_t asciiLength;
    } rows[] = {
        {nullptr, 8, nullptr, 0, nullptr, 0},    {directory, -3, nullptr, 0, nullptr, 0},
        {nullptr, -3, nullptr, 0, nullptr, 0},   {directory, 8, nullptr, 1, nullptr, 0},
        {directory, 8, doubles, -1, nullptr, 0}, {directory, 8, nullptr, 0, nullptr, 4},
        {directory, 8, nullptr, 0, "abc", -2},
    };
    TempFolder folder;
    const std::string original =
        TiffBuilder::Image()
            .AddDoubles(kPixelScaleTag, {2, 3, 0})
            .AddDoubles(kTiepointTag, {0, 0, 0, 1000, 5000, 0})
            .Add(kGeoKeyDirectoryTag, kShort, 8,
                 U16(1) + U16(1) + U16(0) + U16(1) + U16(1024) + U16(0) + U16(1) + U16(1))
            .Build();
    const std::string path = folder.Write("image.tif", original);
    for (const auto& row : rows) {
        EXPECT_EQ(tiffHdrWriteGeoKeysDbl(path.c_str(), 2, 0, 0, -3, 1001, 4998.5, row.directory,
                                         row.directoryCount, row.doubles, row.doubleCount,
                                         row.ascii, row.asciiLength),
                  0)
            << row.directoryCount << " " << row.doubleCount << " " << row.asciiLength;
        EXPECT_EQ(ReadBytes(path), original);
    }
    // Count 0 keeps its meaning whatever the pointer: every GeoKey tag goes.
    EXPECT_EQ(tiffHdrWriteGeoKeysDbl(path.c_str(), 2, 0, 0, -3, 1001, 4998.5, directory, 0, doubles,
                                     0, "abc", 0),
              1);
    std::int32_t rasterType = -1;
    std::int32_t modelType = -1;
    std::int32_t epsg = -1;
    ASSERT_EQ(tiffHdrReadKeysInt(path.c_str(), &rasterType, &modelType, &epsg), 1);
    EXPECT_EQ(rasterType, 0);
}

// Names are UTF-8 on every platform: Polish letters in a folder and a file name write and read.
TEST(PelcorNames, PolishLettersInPathsWriteAndRead) {
    TempFolder folder;
    const std::string path =
        folder.Write("Mapy \u0141\u00f3d\u017a/arkusz \u017c\u00f3\u0142ty \u0105\u0119.tif",
                     TiffBuilder::Image().Build());
    ASSERT_TRUE(WriteWorld(path, kRotated));
    EXPECT_EQ(ReadWorld(path), kRotated);
}

}  // namespace
}  // namespace pelcor_test
