#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "formats/worldfile/world_file.h"
#include "support/form_fixture.h"
#include "support/sheets.h"

namespace marlo {
namespace {

using test::FormTest;
using test::RefusalOf;

void ExpectParams(const Georeference& p, double a, double d, double b, double e, double x,
                  double y) {
    EXPECT_DOUBLE_EQ(p.pixelSizeX, a);
    EXPECT_DOUBLE_EQ(p.rotationY, d);
    EXPECT_DOUBLE_EQ(p.rotationX, b);
    EXPECT_DOUBLE_EQ(p.pixelSizeY, e);
    EXPECT_DOUBLE_EQ(p.originX, x);
    EXPECT_DOUBLE_EQ(p.originY, y);
}

class WorldFileTest : public FormTest {
protected:
    // Reads a world file as the run's reader does.
    Georeference Read(const std::string& path) {
        const RunPlan plan = test::PlanFor(FileFormat::TFW, FileFormat::TAB, FolderOfPath(path),
                                           {GetFileNameAndType(path)});
        return test::ReadInput(env, plan).georeference;
    }
    // Writes the world file of the image at `imagePath` as the run's writer does.
    void Write(const std::string& imagePath, const Georeference& georeference) {
        const RunPlan plan =
            test::PlanFor(FileFormat::GeoTIFF, FileFormat::TFW, FolderOfPath(imagePath),
                          {GetFileNameAndType(imagePath)});
        test::WriteOutput(env, plan, {georeference, imagePath, ""});
    }
};

TEST_F(WorldFileTest, ReadsEveryAcceptedWayOfWritingTheSameNumbers) {
    const char* variants[] = {
        "0.5\r\n0\r\n0\r\n-0.5\r\n1000.5\r\n-20.25\r\n",
        "0,5\n0\n0\n-0,5\n1000,5\n-20,25\n",
        "\r\n0.5\r\n\r\n0\r\n0\r\n\r\n-0.5\r\n\t1000.5\r\n -20.25 \r\n\r\n\r\n",
        "5E-1\r0\r0\r-5e-1\r1.0005e3\r-20.25",
        // As GDAL reads them: blank and tab-only lines, and anything after the sixth number.
        "0.5\r\n0\r\n\t\r\n0\r\n-0.5\r\n1000.5\r\n-20.25\r\n7\r\nseven\r\n   \r\n",
    };
    for (const char* text : variants) {
        ExpectParams(Read(temp.Write("a.tfw", text)), 0.5, 0, 0, -0.5, 1000.5, -20.25);
    }
}

TEST_F(WorldFileTest, ReadingRefusesWithTheMessageOfTheFault) {
    struct Case {
        std::string text;  // "" for no file at all
        std::string message;
        MessageIcon icon;
    };
    const std::string path = temp / "bad.tfw";
    const Case cases[] = {
        {"", "Unable to open " + path, MessageIcon::None},
        {"2\r\nseven\r\n0\r\n-2\r\n100\r\n900\r\n",
         "Error value in the tfw file!\r" + path + "\rseven", MessageIcon::None},
        {"2\r\n0\r\n0\r\n--2\r\n100\r\n900\r\n", "Error value in the tfw file!\r" + path + "\r--2",
         MessageIcon::None},
        {"2\r\n0\r\n0\r\n-2\r\n1,000.5\r\n900\r\n",
         "Error value in the tfw file!\r" + path + "\r1.000.5", MessageIcon::None},
        // Blanks inside a number: GDAL would read 10 and pass over the rest, never 100.
        {"10 0\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n",
         "Error value in the tfw file!\r" + path + "\r10 0", MessageIcon::None},
        {"2\r\n0\r\n0\r\n-2\r\n100\r\n", "Error value in the tfw file!\r" + path,
         MessageIcon::None},
        // Rotation is read; only a grid that places no image is refused.
        {"0\r\n0\r\n0\r\n-2\r\n100\r\n900\r\n", "Raster is not rectyfied\r" + path,
         MessageIcon::Critical},
        {"2\r\n1\r\n4\r\n2\r\n100\r\n900\r\n", "Raster is not rectyfied\r" + path,
         MessageIcon::Critical},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (!c.text.empty()) {
            temp.Write("bad.tfw", c.text);
        }
        const auto refusal = RefusalOf([&] { Read(path); });
        ASSERT_TRUE(refusal.has_value()) << c.text;
        EXPECT_EQ(refusal->text, c.message);
        EXPECT_EQ(refusal->icon, c.icon);
    }
    ExpectParams(Read(temp.Write("r.tfw", "2\r\n0.1\r\n0\r\n-2\r\n100\r\n900\r\n")), 2, 0.1, 0, -2,
                 100, 900);
}

TEST_F(WorldFileTest, WritesSixLinesWithDotsAndReplacesOnlyAWritableFile) {
    Write(temp / "sheet.old.tif", {0.5, 0, 0, -0.5, 2, 0.1 + 0.2});
    EXPECT_EQ(test::ReadBytes(temp / "sheet.old.tfw"), "0.5\r\n0\r\n0\r\n-0.5\r\n2\r\n0.3\r\n");

    const std::string existing = temp.Write("map.tfw", "old contents");
    Write(temp / "map.tif", {2, 0, 0, -2, 100, 900});
    EXPECT_EQ(test::ReadBytes(existing), test::kWorldFile100x900);

    temp.Write("locked.tfw", "keep me");
    test::MakeReadOnly(temp / "locked.tfw");
    const auto refusal = RefusalOf([&] { Write(temp / "locked.tif", {2, 0, 0, -2, 100, 900}); });
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text, "File is read only!\r\n" + (temp / "locked.tfw"));
    EXPECT_EQ(refusal->icon, MessageIcon::Critical);
    EXPECT_EQ(test::ReadBytes(temp / "locked.tfw"), "keep me");
}

TEST_F(WorldFileTest, TheNameIsCutInTheFileNameNeverInAFolder) {
    const std::string folder = temp.MakeFolder("maps/2024.05");
    Write(folder + "/sheet.tif", {2, 0, 0, -2, 100, 900});
    Write(folder + "/noextension", {2, 0, 0, -2, 100, 900});
    EXPECT_EQ(test::ReadBytes(folder + "/sheet.tfw"), test::kWorldFile100x900);
    EXPECT_EQ(test::ReadBytes(folder + "/noextension.tfw"), test::kWorldFile100x900);
}

TEST_F(WorldFileTest, ANonFiniteValueIsRefusedAndWritesNothing) {
    const Georeference infinite{2, 0, 0, -2, std::numeric_limits<double>::infinity(), 900};
    const auto refusal = test::RefusalOf([&] { Write(temp / "inf.tif", infinite); });
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text,
              "The georeference's values are not numbers or too large to place an image!\r" +
                  temp / "inf.tfw");
    EXPECT_FALSE(env.fileSystem.FileExists(temp / "inf.tfw"));
}

TEST_F(WorldFileTest, RoundTripKeepsFifteenDigits) {
    const Georeference written{0.123456789012345, 0, 0, -0.123456789012345, 5653425.12345678,
                               -7812345.87654321};
    Write(temp / "rt.tif", written);
    ExpectParams(Read(temp / "rt.tfw"), written.pixelSizeX, 0, 0, written.pixelSizeY,
                 written.originX, written.originY);
}

}  // namespace
}  // namespace marlo
