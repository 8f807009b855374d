// Files Pelcor writes must stay good TIFFs for the common readers: libtiff reads them without a
// single warning and GDAL sees the same georeference and keeps its overviews.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "pelcor/pelcor.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "test_helpers.h"

namespace pelcor_test {
namespace {

using marlo::test::ReadBytes;
using marlo::test::TempFolder;

// libtiff does not know the GeoTIFF tags by itself and would warn about them as unknown; teach
// them the way GeoTIFF readers do, so that any warning left is about the file's structure.
const TIFFFieldInfo kGeoFields[] = {
    {kPixelScaleTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoPixelScale")},
    {kTiepointTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoTiePoints")},
    {kTransformationTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoTransformation")},
    {kGeoKeyDirectoryTag, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1,
     const_cast<char*>("GeoKeyDirectory")},
    {34736, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoDoubleParams")},
    {34737, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GeoASCIIParams")},
};

TIFFExtendProc parentExtender = nullptr;
std::vector<std::string> libtiffMessages;

void AddGeoFields(TIFF* tiff) {
    TIFFMergeFieldInfo(tiff, kGeoFields, sizeof(kGeoFields) / sizeof(kGeoFields[0]));
    if (parentExtender) {
        parentExtender(tiff);
    }
}

void Collect(const char* module, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof(text), format, args);
    libtiffMessages.push_back(std::string(module ? module : "") + ": " + text);
}

struct LibtiffView {
    int directories = 0;
    std::vector<double> scale;
    std::vector<double> tiepoint;
};

std::vector<double> DoublesOf(TIFF* tiff, ttag_t tag) {
    uint16_t count = 0;
    double* values = nullptr;
    if (TIFFGetField(tiff, tag, &count, &values) != 1) {
        return {};
    }
    return std::vector<double>(values, values + count);
}

void DecodeEveryBlock(TIFF* tiff) {
    const bool tiled = TIFFIsTiled(tiff);
    const tmsize_t size = tiled ? TIFFTileSize(tiff) : TIFFStripSize(tiff);
    std::vector<char> buffer(static_cast<std::size_t>(std::max<tmsize_t>(size, 1)));
    const std::uint32_t blocks = tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    for (std::uint32_t block = 0; block < blocks; ++block) {
        const tmsize_t decoded = tiled ? TIFFReadEncodedTile(tiff, block, buffer.data(), size)
                                       : TIFFReadEncodedStrip(tiff, block, buffer.data(), size);
        EXPECT_GE(decoded, 0) << "block " << block;
    }
}

// Opens the file with libtiff, walks every directory and decodes all its pixels.
LibtiffView ReadWithLibtiff(const std::string& path) {
    static const bool registered = [] {
        parentExtender = TIFFSetTagExtender(AddGeoFields);
        TIFFSetWarningHandler(Collect);
        TIFFSetErrorHandler(Collect);
        return true;
    }();
    (void)registered;
    libtiffMessages.clear();
    LibtiffView view;
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    if (tiff == nullptr) {
        return view;
    }
    view.scale = DoublesOf(tiff, kPixelScaleTag);
    view.tiepoint = DoublesOf(tiff, kTiepointTag);
    do {
        ++view.directories;
        DecodeEveryBlock(tiff);
    } while (TIFFReadDirectory(tiff));
    TIFFClose(tiff);
    return view;
}

TEST(PelcorLibtiffTest, WrittenFileReadsWithoutWarningsAndKeepsItsPages) {
    TempFolder folder;
    // The GeoKey directory's tag is above the new ones: they must go in front of it.
    const std::string path = folder.Write(
        "image.tif", TiffBuilder::Image()
                         .Add(kGeoKeyDirectoryTag, kShort, 4, U16(1) + U16(1) + U16(0) + U16(0))
                         .WithSecondPage()
                         .Build());
    EXPECT_EQ(ReadWithLibtiff(path).directories, 2);
    EXPECT_EQ(libtiffMessages, std::vector<std::string>{});

    ASSERT_TRUE(WriteWorld(path, kNorthUp));
    const LibtiffView view = ReadWithLibtiff(path);
    EXPECT_EQ(libtiffMessages, std::vector<std::string>{});
    EXPECT_EQ(view.directories, 2);
    EXPECT_EQ(view.scale, (std::vector<double>{2, 3, 0}));
    EXPECT_EQ(view.tiepoint, (std::vector<double>{0, 0, 0, 1000, 5000, 0}));
}

bool HasTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command with its output in a file; the output, or nothing when the command failed.
std::optional<std::string> RunCommand(const TempFolder& folder, const std::string& command) {
    const std::string output = folder / "output.txt";
    if (std::system((command + " >'" + output + "' 2>&1").c_str()) != 0) {
        return std::nullopt;
    }
    return ReadBytes(output);
}

struct GdalView {
    std::vector<double> geoTransform;
    int overviews = 0;
};

GdalView ReadWithGdal(const TempFolder& folder, const std::string& path) {
    GdalView view;
    const auto json = RunCommand(folder, "gdalinfo -json '" + path + "'");
    if (!json) {
        ADD_FAILURE() << "gdalinfo failed on " << path;
        return view;
    }
    std::smatch match;
    if (std::regex_search(*json, match, std::regex(R"("geoTransform":\s*\[([^\]]*)\])"))) {
        const std::string list = match[1];
        const std::regex number(R"([-+0-9.eE]+)");
        for (auto it = std::sregex_iterator(list.begin(), list.end(), number);
             it != std::sregex_iterator(); ++it) {
            view.geoTransform.push_back(std::stod(it->str()));
        }
    }
    // Every "size" after the band's overview list belongs to one overview (one band only).
    const auto overviews = json->find("\"overviews\"");
    for (auto at = json->find("\"size\"", overviews);
         overviews != std::string::npos && at != std::string::npos;
         at = json->find("\"size\"", at + 1)) {
        ++view.overviews;
    }
    return view;
}

// GDAL's geotransform: the outer top-left corner, then the column and row steps.
std::vector<double> GeoTransformOf(const World& w) {
    return {w.originX - (w.pixelSizeX + w.rotationX) / 2, w.pixelSizeX, w.rotationX,
            w.originY - (w.pixelSizeY + w.rotationY) / 2, w.rotationY,  w.pixelSizeY};
}

class PelcorGdalTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"gdalinfo", "gdal_translate", "gdaladdo"}) {
            ASSERT_TRUE(HasTool(tool)) << tool << ": scripts/install-deps.sh installs gdal-bin";
        }
    }
    TempFolder folder_;
};

TEST_F(PelcorGdalTest, SeesTheGeoreferencePelcorWrote) {
    const std::string northUp = folder_.Write("north.tif", TiffBuilder::Image().Build());
    ASSERT_TRUE(WriteWorld(northUp, kNorthUp));
    EXPECT_EQ(ReadWithGdal(folder_, northUp).geoTransform, GeoTransformOf(kNorthUp));

    const std::vector<double> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const std::string rotated = folder_.Write(
        "rotated.tif", TiffBuilder::Image().AddDoubles(kTransformationTag, identity).Build());
    ASSERT_TRUE(WriteWorld(rotated, kRotated));
    EXPECT_EQ(ReadWithGdal(folder_, rotated).geoTransform, GeoTransformOf(kRotated));
}

// A GeoTIFF made by GDAL with internal overviews: once without georeference, so Pelcor appends
// its directory, once with one, so Pelcor writes in place.
TEST_F(PelcorGdalTest, InternalOverviewsSurviveAWrite) {
    const std::string source = folder_.Write("source.tif", TiffBuilder::Image(64, 48).Build());
    const std::string plain = folder_ / "plain.tif";
    const std::string georeferenced = folder_ / "georeferenced.tif";
    ASSERT_TRUE(RunCommand(folder_, "gdal_translate -q '" + source + "' '" + plain + "'"));
    ASSERT_TRUE(RunCommand(
        folder_, "gdal_translate -q -a_ullr 0 100 64 52 '" + source + "' '" + georeferenced + "'"));
    for (const std::string& path : {plain, georeferenced}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(RunCommand(folder_, "gdaladdo -q -r nearest '" + path + "' 2 4"));
        ASSERT_EQ(ReadWithGdal(folder_, path).overviews, 2);
        ASSERT_TRUE(WriteWorld(path, kNorthUp));
        const GdalView view = ReadWithGdal(folder_, path);
        EXPECT_EQ(view.overviews, 2);
        EXPECT_EQ(view.geoTransform, GeoTransformOf(kNorthUp));
        EXPECT_EQ(ReadWithLibtiff(path).directories, 3);
        EXPECT_EQ(libtiffMessages, std::vector<std::string>{});
    }
}

// GeoKeys of a projected image in EPSG:2180, so that listgeo reports its corners; added last,
// since their tag is above the georeference tags.
TiffBuilder In2180(TiffBuilder builder) {
    const std::vector<std::uint16_t> keys{1,    1, 0, 3, 1024, 0, 1, 1,
                                          1025, 0, 1, 1, 3072, 0, 1, 2180};
    std::string bytes;
    for (std::uint16_t key : keys) {
        bytes += U16(key);
    }
    return builder.Add(kGeoKeyDirectoryTag, kShort, 16, bytes);
}

// listgeo's upper-left and lower-right corners of the 4 x 3 image.
std::vector<double> ListgeoCorners(const TempFolder& folder, const std::string& path) {
    const auto text = RunCommand(folder, "listgeo -d '" + path + "'");
    std::vector<double> corners;
    for (const char* name : {"Upper Left", "Lower Right"}) {
        std::smatch match;
        if (text && std::regex_search(
                        *text, match,
                        std::regex(std::string(name) + R"(\s*\(\s*([-0-9.]+),\s*([-0-9.]+)\))"))) {
            corners.push_back(std::stod(match[1]));
            corners.push_back(std::stod(match[2]));
        }
    }
    return corners;
}

// Whatever georeference tags a file held (an old matrix beside scale and tie point, ground
// control points), after a write libtiff, GDAL and libgeotiff all read the one written, and
// none of them warns.
TEST_F(PelcorGdalTest, GdalListgeoAndPelcorReadTheSameGeoreference) {
    ASSERT_TRUE(HasTool("listgeo")) << "scripts/install-deps.sh installs geotiff-bin";
    const std::vector<double> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const std::vector<double> gcps{0, 0, 0, 5, 5, 0, 4, 3, 0, 50, 50, 0};
    const std::vector<std::pair<const char*, TiffBuilder>> files = {
        {"scale and tie point", In2180(TiffBuilder::Image()
                                           .AddDoubles(kPixelScaleTag, {1, 1, 0})
                                           .AddDoubles(kTiepointTag, {0, 0, 0, 7, 7, 0}))},
        {"old matrix beside them", In2180(TiffBuilder::Image()
                                              .AddDoubles(kPixelScaleTag, {1, 1, 0})
                                              .AddDoubles(kTiepointTag, {0, 0, 0, 7, 7, 0})
                                              .AddDoubles(kTransformationTag, identity))},
        {"matrix", In2180(TiffBuilder::Image().AddDoubles(kTransformationTag, identity))},
        {"ground control points", In2180(TiffBuilder::Image().AddDoubles(kTiepointTag, gcps))},
    };
    const World rowsNorth{2, 0, 0, 3, 1001, 4998.5};
    for (const auto& [name, builder] : files) {
        for (const World& world : {kNorthUp, kRotated, rowsNorth}) {
            SCOPED_TRACE(std::string(name) + " with " + ::testing::PrintToString(world));
            const std::string path = folder_.Write("image.tif", builder.Build());
            ASSERT_TRUE(WriteWorld(path, world));
            EXPECT_EQ(ReadWorld(path), world);
            ReadWithLibtiff(path);
            EXPECT_EQ(libtiffMessages, std::vector<std::string>{});
            const std::vector<double> gt = GeoTransformOf(world);
            EXPECT_EQ(ReadWithGdal(folder_, path).geoTransform, gt);
            const auto gdalText = RunCommand(folder_, "gdalinfo '" + path + "'");
            EXPECT_EQ(gdalText.value_or("Warning").find("Warning"), std::string::npos) << *gdalText;
            const std::vector<double> corners = ListgeoCorners(folder_, path);
            ASSERT_EQ(corners.size(), 4u);
            EXPECT_NEAR(corners[0], gt[0], 1e-3);
            EXPECT_NEAR(corners[1], gt[3], 1e-3);
            EXPECT_NEAR(corners[2], gt[0] + 4 * gt[1] + 3 * gt[2], 1e-3);
            EXPECT_NEAR(corners[3], gt[3] + 4 * gt[4] + 3 * gt[5], 1e-3);
        }
    }
}

// Keys of a projected image in EPSG:2180 with the raster type given (0: no raster-type key).
TiffBuilder WithKeys(TiffBuilder builder, std::uint16_t rasterType) {
    std::vector<std::uint16_t> keys{1, 1, 0, 2, 1024, 0, 1, 1, 3072, 0, 1, 2180};
    if (rasterType != 0) {
        keys = {1, 1, 0, 3, 1024, 0, 1, 1, 1025, 0, 1, rasterType, 3072, 0, 1, 2180};
    }
    std::string bytes;
    for (std::uint16_t key : keys) {
        bytes += U16(key);
    }
    return builder.Add(kGeoKeyDirectoryTag, kShort, static_cast<std::uint32_t>(keys.size()), bytes);
}

bool WriteKeyed(const std::string& path, const World& w) {
    return tiffHdrWriteKeyedDbl(path.c_str(), w.pixelSizeX, w.rotationY, w.rotationX, w.pixelSizeY,
                                w.originX, w.originY, 1, 2180) == 1;
}

// One rule for every export and raster type: GDAL places what Pelcor writes where the six
// values place the image, and Pelcor reads back the same six values.
TEST_F(PelcorGdalTest, EveryWriteIsPlacedByGdalWhereItsValuesPlaceTheImage) {
    struct Case {
        const char* name;
        TiffBuilder file;
        bool (*write)(const std::string&, const World&);
    };
    const Case cases[] = {
        {"no keys, plain write", TiffBuilder::Image(), WriteWorld},
        {"PixelIsArea, plain write", WithKeys(TiffBuilder::Image(), 1), WriteWorld},
        {"PixelIsPoint, plain write", WithKeys(TiffBuilder::Image(), 2), WriteWorld},
        {"no raster type, plain write", WithKeys(TiffBuilder::Image(), 0), WriteWorld},
        {"no keys, keyed write", TiffBuilder::Image(), WriteKeyed},
        {"PixelIsArea, keyed write", WithKeys(TiffBuilder::Image(), 1), WriteKeyed},
    };
    for (const Case& c : cases) {
        for (const World& world : {kNorthUp, kRotated}) {
            SCOPED_TRACE(std::string(c.name) + " " + ::testing::PrintToString(world));
            const std::string path = folder_.Write("image.tif", c.file.Build());
            ASSERT_TRUE(c.write(path, world));
            EXPECT_EQ(ReadWithGdal(folder_, path).geoTransform, GeoTransformOf(world));
            EXPECT_EQ(ReadWorld(path), world);
        }
    }
}

// GDAL's own files, area and point rasters, north-up and rotated, read as GDAL places them.
TEST_F(PelcorGdalTest, ReadsGdalsOwnFilesWhereGdalPlacesThem) {
    const std::string source = folder_.Write("source.tif", TiffBuilder::Image(8, 6).Build());
    const std::pair<const char*, const char*> options[] = {
        {"area", "[1000, 2, 0, 2000, 0, -2], 'Area'"},
        {"point", "[1000, 2, 0, 2000, 0, -2], 'Point'"},
        {"area, rotated", "[1000, 2, 0.5, 2000, 0.25, -2], 'Area'"},
        {"point, rotated", "[1000, 2, 0.5, 2000, 0.25, -2], 'Point'"},
    };
    for (const auto& [name, option] : options) {
        SCOPED_TRACE(name);
        const std::string path = folder_ / "gdal.tif";
        std::filesystem::remove(path);
        ASSERT_TRUE(RunCommand(
            folder_, "/usr/bin/python3 -c \"from osgeo import gdal; gt, ap = " +
                         std::string(option) + "; d = gdal.Translate('" + path + "', '" + source +
                         "', outputSRS='EPSG:2180', metadataOptions=['AREA_OR_POINT=' + ap]); "
                         "d.SetGeoTransform(gt); d = None\""));
        const auto world = ReadWorld(path);
        ASSERT_TRUE(world);
        const std::vector<double> expected = ReadWithGdal(folder_, path).geoTransform;
        const std::vector<double> read = GeoTransformOf(*world);
        ASSERT_EQ(read.size(), expected.size());
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_NEAR(read[i], expected[i], 1e-9) << i;
        }
    }
}

// GDAL's keys for any system, copied whole into another file, read back as the same system;
// a user-defined system has no EPSG code.
TEST_F(PelcorGdalTest, GeoKeysCopiedWholeKeepTheirSystem) {
    const std::string source = folder_.Write("source.tif", TiffBuilder::Image(4, 3).Build());
    const std::string keyed = folder_ / "keyed.tif";
    ASSERT_TRUE(RunCommand(folder_,
                           "gdal_translate -q -a_ullr 0 3 4 0 -a_srs '+proj=tmerc "
                           "+lat_0=0 +lon_0=21 +k=0.9993 +x_0=500000 +y_0=-5300000 "
                           "+ellps=GRS80 +units=m' '" +
                               source + "' '" + keyed + "'"));
    std::vector<std::uint16_t> directory(512);
    std::vector<double> doubles(64);
    std::string ascii(1024, '\0');
    auto directoryCount = static_cast<int32_t>(directory.size());
    auto doubleCount = static_cast<int32_t>(doubles.size());
    auto asciiLength = static_cast<int32_t>(ascii.size());
    ASSERT_EQ(tiffHdrReadGeoKeys(keyed.c_str(), directory.data(), &directoryCount, doubles.data(),
                                 &doubleCount, ascii.data(), &asciiLength),
              1);
    int32_t tooSmall = 1;
    EXPECT_EQ(tiffHdrReadGeoKeys(keyed.c_str(), directory.data(), &tooSmall, doubles.data(),
                                 &doubleCount, ascii.data(), &asciiLength),
              0);
    EXPECT_EQ(tooSmall, directoryCount);

    const std::string copy = folder_.Write("copy.tif", TiffBuilder::Image(4, 3).Build());
    ASSERT_EQ(tiffHdrWriteGeoKeysDbl(copy.c_str(), 1, 0, 0, -1, 0.5, 2.5, directory.data(),
                                     directoryCount, doubles.data(), doubleCount, ascii.data(),
                                     asciiLength),
              1);
    const auto same = RunCommand(folder_,
                                 "/usr/bin/python3 -c \"from osgeo import gdal, osr; "
                                 "a = gdal.Open('" +
                                     keyed +
                                     "').GetSpatialRef(); "
                                     "b = gdal.Open('" +
                                     copy +
                                     "').GetSpatialRef(); "
                                     "print(a.IsSame(b))\"");
    EXPECT_EQ(same.value_or(""), "1\n");
    EXPECT_EQ(ReadWithGdal(folder_, copy).geoTransform, (std::vector<double>{0, 1, 0, 3, 0, -1}));
    int32_t rasterType = 0, modelType = 0, epsg = -1;
    ASSERT_EQ(tiffHdrReadKeysInt(copy.c_str(), &rasterType, &modelType, &epsg), 1);
    EXPECT_EQ(rasterType, 2);
    EXPECT_EQ(modelType, 1);
    EXPECT_EQ(epsg, 0);
}

}  // namespace
}  // namespace pelcor_test
