#include <gtest/gtest.h>

#include "formats/worldfile/world_file.h"
#include "support/form_fixture.h"

namespace marlo {
namespace {

using test::FormTest;

constexpr const char* kWorldFile = "2\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n";

void ExpectParams(const WorldParameters& p, double a, double d, double b, double e, double x,
                  double y) {
    EXPECT_DOUBLE_EQ(p.pixelSizeX, a);
    EXPECT_DOUBLE_EQ(p.rotationY, d);
    EXPECT_DOUBLE_EQ(p.rotationX, b);
    EXPECT_DOUBLE_EQ(p.pixelSizeY, e);
    EXPECT_DOUBLE_EQ(p.originX, x);
    EXPECT_DOUBLE_EQ(p.originY, y);
}

// The same world files read the same under either decimal sign of the user.
class WorldFileReadTest : public FormTest, public ::testing::WithParamInterface<const char*> {
protected:
    WorldFileReadTest() : FormTest(GetParam()) {}
};

TEST_P(WorldFileReadTest, ReadsEveryAcceptedWayOfWritingTheSameNumbers) {
    const char* variants[] = {
        "0.5\r\n0\r\n0\r\n-0.5\r\n1000.5\r\n-20.25\r\n",
        "0,5\n0\n0\n-0,5\n1000,5\n-20,25\n",
        "\r\n0.5\r\n\r\n0\r\n0\r\n\r\n-0.5\r\n\t1000.5\r\n -20.25 \r\n\r\n\r\n",
        "5E-1\r0\r0\r-5e-1\r1.0005e3\r-20.25",
        // As GDAL reads them: blank and tab-only lines, and anything after the sixth number.
        "0.5\r\n0\r\n\t\r\n0\r\n-0.5\r\n1000.5\r\n-20.25\r\n7\r\nseven\r\n   \r\n",
    };
    for (const char* text : variants) {
        form.WorldParams = {};
        OdczytTFW(form, temp.Write("a.tfw", text));
        EXPECT_FALSE(form.conversionFailed) << text;
        ExpectParams(form.WorldParams, 0.5, 0, 0, -0.5, 1000.5, -20.25);
    }
    EXPECT_TRUE(user.messages.empty());
}

TEST_P(WorldFileReadTest, ALineThatIsNotANumberFailsTheWholeFile) {
    // Numbers in files are read the same whatever the user's decimal sign.
    const std::string texts[] = {
        "2\r\nseven\r\n0\r\n-2\r\n100\r\n900\r\n",
        "2\r\n0\r\n0\r\n--2\r\n100\r\n900\r\n",
        "2\r\n0\r\n0\r\n-2\r\n1,000.5\r\n900\r\n",
        // Blanks inside a number: GDAL would read 10 and pass over the rest, never 100.
        "10 0\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n",
    };
    const std::string rejected[] = {"seven", "--2", "1.000.5", "10 0"};
    for (int i = 0; i < 4; ++i) {
        user.messages.clear();
        form.conversionFailed = false;
        form.WorldParams = {1, 0, 0, -1, 5, 5};
        const std::string path = temp.Write("bad.tfw", texts[i]);
        OdczytTFW(form, path);
        EXPECT_TRUE(form.conversionFailed);
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0].text,
                  "Error value in the tfw file!\r" + path + "\r" + rejected[i]);
        EXPECT_EQ(user.messages[0].icon, MessageIcon::None);
        ExpectParams(form.WorldParams, 1, 0, 0, -1, 5, 5);
    }
}

// The Arabic decimal sign too: the user's sign is for typed text, never for files.
INSTANTIATE_TEST_SUITE_P(
    DecimalSigns, WorldFileReadTest, ::testing::Values(".", ",", "\u066B"), [](const auto& info) {
        return std::string(info.index == 0 ? "Dot" : info.index == 1 ? "Comma" : "Arabic");
    });

class WorldFileTest : public FormTest {};

TEST_F(WorldFileTest, AMissingFileIsReportedWithItsPath) {
    const std::string path = temp / "none.tfw";
    OdczytTFW(form, path);
    EXPECT_TRUE(form.conversionFailed);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "Unable to open " + path);
    EXPECT_EQ(user.messages[0].icon, MessageIcon::None);
}

// Rotation is read; only a grid that places no image is refused.
TEST_F(WorldFileTest, OnlyAWorldFileThatPlacesNoImageIsRefused) {
    const std::string rotated = temp.Write("r.tfw", "2\r\n0.1\r\n0\r\n-2\r\n100\r\n900\r\n");
    OdczytTFW(form, rotated);
    EXPECT_FALSE(form.conversionFailed);
    ExpectParams(form.WorldParams, 2, 0.1, 0, -2, 100, 900);
    for (const char* grid : {"0\r\n0\r\n0\r\n-2\r\n", "2\r\n1\r\n4\r\n2\r\n"}) {
        user.messages.clear();
        form.conversionFailed = false;
        const std::string path = temp.Write("z.tfw", std::string(grid) + "100\r\n900\r\n");
        OdczytTFW(form, path);
        EXPECT_TRUE(form.conversionFailed);
        ASSERT_EQ(user.messages.size(), 1u);
        EXPECT_EQ(user.messages[0].text, "Raster is not rectyfied\r" + path);
        EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
    }
}

TEST_F(WorldFileTest, FewerThanSixNumbersIsARunTimeErrorHandedOn) {
    const std::string path = temp.Write("short.tfw", "2\r\n0\r\n0\r\n-2\r\n100\r\n");
    try {
        OdczytTFW(form, path);
        FAIL() << "the error was not handed on";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), err::SubscriptOutOfRange);
        EXPECT_NE(e.description().find("\tOdczytTFW Kestrin \r\n"), std::string::npos);
    }
    form.errorReport.callStackStarted = false;
}

// Files always get ".", whatever the user's decimal sign (the Arabic one included).
TEST_F(WorldFileTest, WritesSixLinesWithDotsWhateverTheUsersSign) {
    for (const char* sign : {",", "\u066B"}) {
        FixedRegionalSettings userSign(sign);
        ConversionContext signForm(user, userSign);
        signForm.WorldParams = {0.5, 0, 0, -0.5, 2, 0.1 + 0.2};
        ZapisTFW(signForm, temp / "sheet.old.tif");
        EXPECT_FALSE(signForm.conversionFailed);
        EXPECT_EQ(test::ReadBytes(temp / "sheet.old.tfw"), "0.5\r\n0\r\n0\r\n-0.5\r\n2\r\n0.3\r\n");
    }
}

TEST_F(WorldFileTest, AWritableWorldFileIsReplacedAReadOnlyOneIsLeftAlone) {
    form.WorldParams = {2, 0, 0, -2, 100, 900};
    const std::string existing = temp.Write("map.tfw", "old contents");
    ZapisTFW(form, temp / "map.tif");
    EXPECT_FALSE(form.conversionFailed);
    EXPECT_EQ(test::ReadBytes(existing), kWorldFile);

    temp.Write("locked.tfw", "keep me");
    test::MakeReadOnly(temp / "locked.tfw");
    ZapisTFW(form, temp / "locked.tif");
    EXPECT_TRUE(form.conversionFailed);
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_EQ(user.messages[0].text, "File is read only!\r\n" + (temp / "locked.tfw"));
    EXPECT_EQ(user.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(test::ReadBytes(temp / "locked.tfw"), "keep me");
}

TEST_F(WorldFileTest, TheNameIsCutInTheFileNameNeverInAFolder) {
    form.WorldParams = {2, 0, 0, -2, 100, 900};
    const std::string folder = temp.MakeFolder("maps/2024.05");
    ZapisTFW(form, folder + "/sheet.tif");
    ZapisTFW(form, folder + "/noextension");
    EXPECT_EQ(test::ReadBytes(folder + "/sheet.tfw"), kWorldFile);
    EXPECT_EQ(test::ReadBytes(folder + "/noextension.tfw"), kWorldFile);
    EXPECT_FALSE(form.conversionFailed);
}

TEST_F(WorldFileTest, ANonFiniteValueIsAnErrorAndWritesNothing) {
    form.WorldParams = {2, 0, 0, -2, std::numeric_limits<double>::infinity(), 900};
    EXPECT_THROW(ZapisTFW(form, temp / "inf.tif"), RunTimeError);
    form.errorReport.callStackStarted = false;
    EXPECT_FALSE(form.fileSystem.FileExists(temp / "inf.tfw"));
}

TEST_F(WorldFileTest, RoundTripKeepsFifteenDigits) {
    form.WorldParams = {0.123456789012345, 0, 0, -0.123456789012345, 5653425.12345678,
                        -7812345.87654321};
    ZapisTFW(form, temp / "rt.tif");
    const WorldParameters written = form.WorldParams;
    form.WorldParams = {};
    OdczytTFW(form, temp / "rt.tfw");
    ExpectParams(form.WorldParams, written.pixelSizeX, 0, 0, written.pixelSizeY, written.originX,
                 written.originY);
}

}  // namespace
}  // namespace marlo
