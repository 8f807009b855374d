#include <gtest/gtest.h>

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

TEST_F(PelcorWriteTest, AppendsValuesAndASortedDirectoryThatKeepsTheNextPage) {
    // The GeoKey directory's tag is above both new ones, so they go in front of it.
    const std::string before =
        TiffBuilder::Image()
            .Add(kGeoKeyDirectoryTag, kShort, 4, U16(1) + U16(1) + U16(0) + U16(0))
            .WithSecondPage()
            .Build();
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kNorthUp));

    const auto length = static_cast<std::uint32_t>(before.size());
    const std::uint32_t oldDirectory = FirstDirectoryOffset(before);
    std::vector<std::string> entries = DirectoryEntries(before, oldDirectory);
    const std::uint32_t nextPage = ReadU32(before, oldDirectory + 2 + 12 * entries.size());
    ASSERT_NE(nextPage, 0u);
    entries.insert(entries.end() - 1, {Entry(kPixelScaleTag, kDouble, 3, length + 48),
                                       Entry(kTiepointTag, kDouble, 6, length)});
    const std::string expected = before.substr(0, 4) + U32(length + 72) + before.substr(8) +
                                 Doubles({0, 0, 0, 1000, 5000, 0}) + Doubles({2, 3, 0}) +
                                 U16(static_cast<std::uint16_t>(entries.size())) + Joined(entries) +
                                 U32(nextPage);
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ReadWorld(path), kNorthUp);
}

TEST_F(PelcorWriteTest, SecondWriteChangesOnlyTheValues) {
    const std::string path = File(TiffBuilder::Image());
    const auto length = ReadBytes(path).size();
    ASSERT_TRUE(WriteWorld(path, kNorthUp));
    const std::string first = ReadBytes(path);

    // ScaleX keeps its sign, ScaleY is |E|, the tie point is the outer corner of the first pixel.
    const World flipped{-2, 0, 0, -2, 10, 20};
    ASSERT_TRUE(WriteWorld(path, flipped));
    const std::string second = ReadBytes(path);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(ReadDoubles(second, length, 6), (std::vector<double>{0, 0, 0, 11, 21, 0}));
    EXPECT_EQ(ReadDoubles(second, length + 48, 3), (std::vector<double>{-2, 2, 0}));
    EXPECT_EQ(second.substr(0, length), first.substr(0, length));
    EXPECT_EQ(second.substr(length + 72), first.substr(length + 72));
    EXPECT_EQ(ReadWorld(path), flipped);
}

TEST_F(PelcorWriteTest, PositiveRowStepComesBackNegatedWithTheOriginMoved) {
    const std::string path = File(TiffBuilder::Image());
    ASSERT_TRUE(WriteWorld(path, {2, 0, 0, 3, 1001, 4998.5}));
    EXPECT_EQ(ReadWorld(path), (World{2, 0, 0, -3, 1001, 4995.5}));
}

TEST_F(PelcorWriteTest, TinyRotationIsNoRotation) {
    const std::string path = File(TiffBuilder::Image());
    ASSERT_TRUE(WriteWorld(path, {2, 0, 1e-16, -3, 1001, 4998.5}));
    EXPECT_EQ(ReadWorld(path)->pixelSizeX, 2);
    EXPECT_FALSE(WriteWorld(path, {2, 0, 1e-15, -3, 1001, 4998.5}));
    EXPECT_FALSE(WriteWorld(path, {2, -1e-15, 0, -3, 1001, 4998.5}));
}

TiffBuilder WithAllThreeTags(const std::vector<double>& matrix) {
    return TiffBuilder::Image()
        .AddDoubles(kPixelScaleTag, {1, 1, 0})
        .AddDoubles(kTiepointTag, {0, 0, 0, 0, 0, 0})
        .AddDoubles(kTransformationTag, matrix);
}

TEST_F(PelcorWriteTest, RotationGoesIntoTheMatrixInPlace) {
    const std::string before = WithAllThreeTags(kIdentity).Build();
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kRotated));
    const std::string after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size());
    const std::uint32_t values =
        ReadU32(DirectoryEntries(before, FirstDirectoryOffset(before)).back(), 8);
    EXPECT_EQ(
        ReadDoubles(after, values, 16),
        (std::vector<double>{2, 0.25, 0, 999.875, 0.5, -3, 0, 4999.75, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(ReadWorld(path), kRotated);
}

TEST_F(PelcorWriteTest, LongerMatrixShrinksToSixteenValues) {
    std::vector<double> longer = kIdentity;
    longer.insert(longer.end(), {7, 7});
    const std::string before = WithAllThreeTags(longer).Build();
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kRotated));
    const std::string after = ReadBytes(path);
    const std::uint32_t directory = FirstDirectoryOffset(before);
    std::vector<std::string> entries = DirectoryEntries(before, directory);
    const std::uint32_t values = ReadU32(entries.back(), 8);
    entries.back() = Entry(kTransformationTag, kDouble, 16, values);
    EXPECT_EQ(DirectoryEntries(after, directory), entries);
    EXPECT_EQ(ReadDoubles(after, values + 128, 2), (std::vector<double>{7, 7}));
    EXPECT_EQ(ReadWorld(path), kRotated);
}

TEST_F(PelcorWriteTest, NorthUpWriteLeavesAnExistingMatrixWhichStillWinsOnReading) {
    const std::string path = File(TiffBuilder::Image().AddDoubles(kTransformationTag, kIdentity));
    ASSERT_TRUE(WriteWorld(path, kNorthUp));
    EXPECT_EQ(ReadWorld(path), (World{1, 0, 0, 1, 0.5, 0.5}));
}

TEST_F(PelcorWriteTest, LoneTagGetsAFreshPairButItsOwnEntryStaysInUse) {
    const std::string before = TiffBuilder::Image().AddDoubles(kPixelScaleTag, {9, 9, 0}).Build();
    const std::string path = folder_.Write("image.tif", before);
    ASSERT_TRUE(WriteWorld(path, kNorthUp));
    const std::string after = ReadBytes(path);
    const std::uint32_t oldScaleValues =
        ReadU32(DirectoryEntries(before, FirstDirectoryOffset(before)).back(), 8);
    EXPECT_EQ(ReadDoubles(after, oldScaleValues, 3), (std::vector<double>{2, 3, 0}));
    const auto entries = DirectoryEntries(after, FirstDirectoryOffset(after));
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(entries[9].substr(0, 2), U16(kPixelScaleTag));
    EXPECT_EQ(ReadU32(entries[9], 8), oldScaleValues);
    EXPECT_EQ(entries[10],
              Entry(kPixelScaleTag, kDouble, 3, static_cast<std::uint32_t>(before.size() + 48)));
    EXPECT_EQ(entries[11].substr(0, 2), U16(kTiepointTag));
    EXPECT_EQ(ReadWorld(path), kNorthUp);
}

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
        {"BigEndian", WithHeader(std::string("MM\0\x2a", 4), geo)},
        {"BigTiff", WithHeader(std::string("II\x2b\0", 4), geo)},
        {"DirectoryPastTheEnd",
         plain.substr(0, 4) + U32(static_cast<std::uint32_t>(plain.size())) + plain.substr(8)},
        {"DirectoryCutShort", plain.substr(0, directory + 2 + 12 * 4)},
        {"NextOffsetMissing", plain.substr(0, plain.size() - 4)},
        {"TooManyEntries", ManyEntries(1025).Build()},
        {"NoRoomForTwoMoreEntries", ManyEntries(1023).Build()},
        {"RotatedWithoutMatrix", geo, kRotated, true},
        {"RotatedWithShortMatrix",
         TiffBuilder::Image().AddDoubles(kTransformationTag, std::vector<double>(12, 1)).Build(),
         kRotated},
        {"RotatedWithFloatMatrix",
         TiffBuilder::Image().Add(kTransformationTag, kFloat, 16, std::string(64, '\0')).Build(),
         kRotated},
        {"MatrixPastTheEnd",
         TiffBuilder::Image().AddRaw(kTransformationTag, kDouble, 16, 0xfffffff0).Build(),
         kRotated},
        {"ShortPixelScale", TiffBuilder::Image()
                                .AddDoubles(kPixelScaleTag, {2, 3})
                                .AddDoubles(kTiepointTag, {0, 0, 0, 1, 2, 0})
                                .Build()},
        {"ShortTiepoint", TiffBuilder::Image()
                              .AddDoubles(kPixelScaleTag, {2, 3, 0})
                              .AddDoubles(kTiepointTag, {0, 0, 0, 1, 2})
                              .Build()},
        {"TwoTiepointEntriesNoScale", TiffBuilder::Image()
                                          .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
                                          .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
                                          .Build()},
        {"HugeCount", TiffBuilder::Image()
                          .AddRaw(kPixelScaleTag, kDouble, 0xffffffff, 8)
                          .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
                          .Build()},
        {"ValuesOverTheHeader",
         TiffBuilder::Image()
             .AddRaw(kPixelScaleTag, kDouble, 3, 0)
             .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
             .Build(),
         kNorthUp, true},
        // Pixels (12 bytes) and tie point values (48) come first, so the directory is at 68.
        {"ValuesOverTheDirectory",
         TiffBuilder::Image()
             .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
             .AddRaw(kPixelScaleTag, kDouble, 3, 68)
             .Build(),
         kNorthUp, true},
        {"ValuesPastTheEnd", TiffBuilder::Image()
                                 .AddRaw(kPixelScaleTag, kDouble, 3, 0xffffffff)
                                 .AddDoubles(kTiepointTag, std::vector<double>(6, 0))
                                 .Build()},
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

}  // namespace
}  // namespace pelcor_test
