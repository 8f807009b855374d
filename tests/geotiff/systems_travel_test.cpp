// Any coordinate system GDAL knows travels GeoTIFF -> table -> GeoTIFF -> table, judged by GDAL:
// every output carries its input's system and placement, or the file is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;
using test::TempFolder;

struct SystemCase {
    const char* name;
    // How the test image states it: an EPSG code, a CoordSys clause, or a PROJ definition.
    const char* definition;
    double west, north, pixel;
    // MapInfo names no DHDN datum: a table holds it by its shift to WGS 84, so the GeoTIFF
    // made from that table is DHDN's grid on Bessel's ellipsoid, not EPSG's entry by name.
    bool sameGridOnly = false;
    // The projection list, as MapInfo's own, states the ETRF2000-PL systems on datum 104
    // (WGS 84), which is also the clause GDAL writes for them: the table is that entry.
    bool listedOnWgs84 = false;
};

const SystemCase kSystems[] = {
    {"e2180", "EPSG:2180", 500000, 600000, 10, false, true},
    {"e2176", "EPSG:2176", 5500000, 5800000, 10, false, true},
    {"e32633", "EPSG:32633", 400000, 5800000, 10},
    {"e27700", "EPSG:27700", 400000, 300000, 10},
    {"e2154", "EPSG:2154", 700000, 6600000, 10},
    {"e31468", "EPSG:31468", 4500000, 5400000, 10, true},
    {"e4326", "EPSG:4326", 20, 52, 0.001},
    {"cs92datum115", "CoordSys Earth Projection 8, 115, \"m\", 19, 0, 0.9993, 500000, -5300000",
     500000, 600000, 10},
    {"customtm",
     "PROJCS[\"custom TM\",GEOGCS[\"ETRS89\",DATUM[\"European_Terrestrial_Reference_System_"
     "1989\",SPHEROID[\"GRS 1980\",6378137,298.257222101],AUTHORITY[\"EPSG\",\"6258\"]],"
     "PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_"
     "Mercator\"],PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\",17],"
     "PARAMETER[\"scale_factor\",0.9995],PARAMETER[\"false_easting\",600000],PARAMETER["
     "\"false_northing\",-5000000],UNIT[\"metre\",1]]",
     600000, 700000, 10},
};

// Makes an 8 x 6 GeoTIFF per case with GDAL, stating the case's system.
void MakeImages(const TempFolder& folder) {
    std::string script =
        "from osgeo import gdal, osr\n"
        "def make(name, definition, west, north, pixel):\n"
        "    s = osr.SpatialReference()\n"
        "    if definition.startswith('CoordSys'): s.ImportFromMICoordSys(definition)\n"
        "    else: s.SetFromUserInput(definition)\n"
        "    d = gdal.GetDriverByName('GTiff').Create(name + '.tif', 8, 6)\n"
        "    d.SetSpatialRef(s)\n"
        "    d.SetGeoTransform([west, pixel, 0, north, 0, -pixel])\n";
    for (const SystemCase& c : kSystems) {
        script += "make(" + Quoted(std::string(folder / c.name)) + ", " + Quoted(c.definition) +
                  ", " + std::to_string(c.west) + ", " + std::to_string(c.north) + ", " +
                  std::to_string(c.pixel) + ")\n";
    }
    const std::string path = folder / "make.py";
    test::Shell("cat > " + Quoted(path) + " <<'END'\n" + script + "END\n/usr/bin/python3 " +
                Quoted(path));
}

struct Judgement {
    bool strict = false;
    bool placing = false;
    double pixels = 1;
};

Judgement Judge(const std::string& first, const std::string& second) {
    const std::string text = test::Shell("/usr/bin/python3 " + Quoted(MARLO_SAME_SYSTEM_SCRIPT) +
                                         " " + Quoted(first) + " " + Quoted(second));
    std::smatch m;
    Judgement judgement;
    if (std::regex_search(text, m, std::regex(R"(strict=(\d) placing=(\d) pixels=(\S+))"))) {
        judgement = {m[1] == "1", m[2] == "1", std::stod(m[3])};
    } else {
        ADD_FAILURE() << text;
    }
    return judgement;
}

std::string Files(const TempFolder& folder, const std::string& subfolder, const char* extension) {
    std::string files;
    for (const SystemCase& c : kSystems) {
        files += " " + Quoted(folder / (subfolder + c.name + extension));
    }
    return files;
}

// The chosen projection serves only images that state none: every image here states its own.
TEST(SystemsTravel, EverySystemKeepsItselfAndItsPlaceThereAndBack) {
    TempFolder folder;
    MakeImages(folder);
    const std::string out = folder.MakeFolder("out");
    const test::CommandResult tables = test::MarloConvert(
        "--from geotiff --to tab --group Poland --projection "
        "'ETRF2000-PL / CS92'" +
        Files(folder, "", ".tif"));
    ASSERT_EQ(tables.status, 0) << tables.err;
    const test::CommandResult images = test::MarloConvert("--from tab --to geotiff --output-dir " +
                                                          Quoted(out) + Files(folder, "", ".tab"));
    ASSERT_EQ(images.status, 0) << images.err;
    EXPECT_EQ(images.err.find("without a coordinate system"), std::string::npos) << images.err;
    const test::CommandResult again =
        test::MarloConvert("--from geotiff --to tab" + Files(folder, "out/", ".tif"));
    ASSERT_EQ(again.status, 0) << again.err;

    for (const SystemCase& c : kSystems) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const Judgement images = Judge(folder / (name + ".tif"), folder / ("out/" + name + ".tif"));
        EXPECT_TRUE(c.sameGridOnly ? images.placing : images.strict);
        EXPECT_LT(images.pixels, 1e-6);
        const Judgement tables = Judge(folder / (name + ".tab"), folder / ("out/" + name + ".tab"));
        EXPECT_TRUE(tables.strict);
        EXPECT_LT(tables.pixels, 1e-6);
        const Judgement tableAndImage =
            Judge(folder / (name + ".tab"), folder / ("out/" + name + ".tif"));
        EXPECT_TRUE(c.listedOnWgs84 || tableAndImage.strict || tableAndImage.placing);
        EXPECT_EQ(test::DescribeWithGdal(folder / ("out/" + name + ".tif")).warnings, "");
    }
}

// Datums MapInfo has no number for travel by their shift to WGS 84 (datum 9999, or EUREF 89
// where the shift is nil), methods by clauses built from their parameters (EOV's Hotine, the
// polar stereographic), a prime meridian in grads, and clauses in survey feet keep their
// offsets in feet: GeoTIFF -> table -> GeoTIFF keeps grid, ellipsoid and placement. Systems no
// table holds as GDAL reads it are refused by name, with the reason.
TEST(SystemsTravel, SystemsATableHoldsTravelAndTheRestAreRefusedWithTheReason) {
    struct Case {
        int epsg;
        double west, north;
        // What the refusal says after the message; nothing: the system is kept.
        const char* refusal;
        double pixel = 10;
    };
    constexpr const char* kReadAsAnother =
        "GDAL reads no TAB clause for this system back as the same";
    const Case cases[] = {
        {28992, 155000, 463000, nullptr},
        {3068, 40000, 10000, nullptr},
        {2039, 200000, 600000, nullptr},
        {3301, 500000, 6500000, nullptr},
        {2263, 1000000, 200000, nullptr},
        {2227, 6000000, 2000000, nullptr},
        {23700, 650000, 200000, nullptr},
        {27572, 600000, 2200000, nullptr},
        {2056, 2600000, 1200000, nullptr},
        {5041, 2000000, 1000000, nullptr},
        // GDAL reads a table's Krovak with no scale, its azimuthal projections with no false
        // origin and its Hotine with a grid angle of 90 degrees.
        {5514, -700000, -1100000, kReadAsAnother},
        {3035, 4321000, 3210000, kReadAsAnother},
        {29873, 590000, 440000, kReadAsAnother},
        {8857, 0, 0, "MapInfo tables have no projection for the system's method (Equal Earth)"},
        // RGF93's MapInfo datum, which GDAL reads without a shift: the same place all the same.
        {3947, 1700000, 6200000, nullptr},
        // PROJ has no shift for Solomon 1968 in the middle of its area; a table on Carthage
        // (Paris) would state degrees where the image has grads.
        {4718, 159, -8.7,
         "a table states a datum by its shift to WGS 84, and PROJ has no such shift", 0.001},
        {4816, 9.5, 33.8, kReadAsAnother, 0.001},
        // PROJ reaches WGS 84 from Garoua through another datum's Helmert, from S-JTSK (Ferro)
        // through a move to Greenwich and a Helmert.
        {4197, 13.5, 9.4, nullptr, 0.001},
        {4818, 17.3, 49.4, nullptr, 0.001},
        // Its table read back once made PROJ 9.1 crash in GDAL's matching of EPSG codes.
        {4676, 102.6, 17.9, nullptr, 0.001},
        // A Lambert conic with one parallel and a scale above 1 has no two-parallel form.
        {7562, 200000, 100000,
         "MapInfo tables have no projection for the system's method "
         "(Lambert_Conformal_Conic_1SP)"},
    };
    TempFolder folder;
    const std::string out = folder.MakeFolder("out");
    for (const Case& c : cases) {
        const std::string name = "e" + std::to_string(c.epsg);
        SCOPED_TRACE(name);
        const std::string image = folder / (name + ".tif");
        // Equal Earth has no GeoKeys: GDAL states it in the image's .aux.xml.
        test::Shell(
            "gdal_create --config GDAL_PAM_ENABLED YES -q -of GTiff -outsize 8 6 -a_srs "
            "EPSG:" +
            std::to_string(c.epsg) + " -a_ullr " + std::to_string(c.west) + " " +
            std::to_string(c.north + 6 * c.pixel) + " " + std::to_string(c.west + 8 * c.pixel) +
            " " + std::to_string(c.north) + " " + Quoted(image));
        const test::CommandResult table =
            test::MarloConvert("--from geotiff --to tab " + Quoted(image));
        if (c.refusal != nullptr) {
            EXPECT_EQ(table.status, 1);
            EXPECT_TRUE(std::regex_search(table.err, std::regex("TAB file: \"[^\"]+\": ")))
                << table.err;
            EXPECT_NE(table.err.find(std::string("\": ") + c.refusal), std::string::npos)
                << table.err;
            continue;
        }
        ASSERT_EQ(table.status, 0) << table.err;
        // GDAL reads the table's system too: its line fits GDAL's table reader.
        const std::string read =
            test::Shell("gdalinfo --config GDAL_GEOREF_SOURCES TABFILE " + Quoted(image) + " 2>&1");
        EXPECT_EQ(read.find("Maximum number of characters"), std::string::npos) << read;
        const test::CommandResult back =
            test::MarloConvert("--from tab --to geotiff --output-dir " + Quoted(out) + " " +
                               Quoted(folder / (name + ".tab")));
        ASSERT_EQ(back.status, 0) << back.err;
        const Judgement judged = Judge(image, out + "/" + name + ".tif");
        EXPECT_TRUE(judged.strict || judged.placing);
        EXPECT_LT(judged.pixels, 1e-6);
    }
}

// A world file holds no system: table -> world file writes it into the image's .aux.xml (an
// existing one keeps everything else), world file -> GeoTIFF takes it from there, and a .prj
// beside an image serves as well.
TEST(SystemsTravel, WorldFilesCarryTheSystemBesideTheImage) {
    TempFolder folder;
    MakeImages(folder);
    ASSERT_EQ(test::MarloConvert("--from geotiff --to tab" + Files(folder, "", ".tif")).status, 0);
    const std::string plain = folder.MakeFolder("w");
    for (const SystemCase& c : kSystems) {
        const std::string name = c.name;
        test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(plain + "/" + name + ".tif") +
                    " && cp " + Quoted(folder / (name + ".tab")) + " " + Quoted(plain));
    }
    const std::string kept =
        "<PAMDataset>\n  <Metadata>\n    <MDI key=\"note\">a &amp; b</MDI>\n"
        "  </Metadata>\n";
    folder.Write("w/e2180.tif.aux.xml", kept + "</PAMDataset>\n");
    const test::CommandResult worldFiles =
        test::MarloConvert("--from tab --to tfw" + Files(folder, "w/", ".tab"));
    ASSERT_EQ(worldFiles.status, 0) << worldFiles.err;
    // The new SRS goes first into the dataset; every other byte stays.
    std::string merged = test::ReadBytes(plain + "/e2180.tif.aux.xml");
    const std::size_t srs = merged.find("\n  <SRS");
    ASSERT_NE(srs, std::string::npos);
    merged.erase(srs, merged.find("</SRS>") + 6 - srs);
    EXPECT_EQ(merged, kept + "</PAMDataset>\n");

    const std::string out = folder.MakeFolder("out");
    const test::CommandResult images = test::MarloConvert(
        "--from tfw --to geotiff --output-dir " + Quoted(out) + Files(folder, "w/", ".tfw"));
    ASSERT_EQ(images.status, 0) << images.err;
    for (const SystemCase& c : kSystems) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const Judgement judged = Judge(folder / (name + ".tif"), out + "/" + name + ".tif");
        EXPECT_TRUE(c.sameGridOnly || c.listedOnWgs84 ? judged.placing || judged.strict
                                                      : judged.strict);
        EXPECT_LT(judged.pixels, 1e-6);
    }

    // ESRI's .prj beside the image, and no .aux.xml: its system goes into the table.
    std::filesystem::remove(plain + "/e27700.tif.aux.xml");
    test::Shell("gdalsrsinfo -o wkt_esri EPSG:27700 > " + Quoted(plain + "/e27700.prj"));
    ASSERT_EQ(test::MarloConvert("--from tfw --to tab " + Quoted(plain + "/e27700.tfw")).status, 0);
    EXPECT_NE(test::ReadBytes(plain + "/e27700.tab").find("CoordSys Earth Projection 8, 79, "),
              std::string::npos);
}

// GDAL answers in its own memory: a run without a usable temporary folder still carries a
// custom system from a .prj into the GeoTIFF, and from the GeoTIFF into a table.
TEST(SystemsTravel, NoTemporaryFolderIsNeeded) {
    TempFolder folder;
    const SystemCase& custom = kSystems[std::size(kSystems) - 1];
    folder.Write("w/custom.tfw", "10\n0\n0\n-10\n600005\n699995\n");
    folder.Write("w/custom.prj", custom.definition);
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(folder / "w/custom.tif"));
    const std::string out = folder.MakeFolder("out");
    const std::string noTemporaries = "TMPDIR=/nonexistent";
    const test::CommandResult image =
        test::MarloConvert("--from tfw --to geotiff --output-dir " + Quoted(out) + " " +
                               Quoted(folder / "w/custom.tfw"),
                           noTemporaries);
    ASSERT_EQ(image.status, 0) << image.err;
    EXPECT_EQ(image.err.find("without a coordinate system"), std::string::npos) << image.err;
    const test::CommandResult table =
        test::MarloConvert("--from geotiff --to tab " + Quoted(out + "/custom.tif"), noTemporaries);
    ASSERT_EQ(table.status, 0) << table.err;
    const Judgement judged = Judge(out + "/custom.tif", out + "/custom.tab");
    EXPECT_TRUE(judged.strict || judged.placing);
    EXPECT_NE(test::Shell("gdalsrsinfo -o proj4 " + Quoted(out + "/custom.tif")).find("+lon_0=17"),
              std::string::npos);
}

// A system is matched as a system, not by its spelling: an ESRI .prj of CS2000 zone 5 (axis
// order and names of its own) gives the list's entry, and a clause in lower case is the list's.
TEST(SystemsTravel, SystemsAreMatchedNotTheirSpelling) {
    TempFolder folder;
    folder.Write("w/sheet.tfw", "10\n0\n0\n-10\n5500005\n5799995\n");
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(folder / "w/sheet.tif") +
                " && gdalsrsinfo -o wkt_esri EPSG:2176 > " + Quoted(folder / "w/sheet.prj"));
    const test::CommandResult table =
        test::MarloConvert("--from tfw --to tab " + Quoted(folder / "w/sheet.tfw"));
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(test::ReadBytes(folder / "w/sheet.tab")
                  .find("CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.999923, 5500000, 0"),
              std::string::npos);

    folder.Write("w/sheet.tab",
                 "!table\n!version 300\nDefinition Table\n  File \"sheet.tif\"\n"
                 "  Type \"RASTER\"\n  (7500000,5800000) (0,0) Label \"1\",\n"
                 "  (7500080,5800000) (8,0) Label \"2\",\n  (7500080,5799940) (8,6) Label \"3\"\n"
                 "  coordsys earth projection 8, 104, \"M\", 21, 0, 0.999923, 7500000, 0\n");
    const std::string out = folder.MakeFolder("out");
    const test::CommandResult image =
        test::MarloConvert("--from tab --to geotiff --output-dir " + Quoted(out) + " " +
                           Quoted(folder / "w/sheet.tab"));
    ASSERT_EQ(image.status, 0) << image.err;
    EXPECT_NE(test::Shell("gdalsrsinfo -o epsg " + Quoted(out + "/sheet.tif")).find("EPSG:2178"),
              std::string::npos);
}

// Under --keep-going an input without a system of its own fails alone, named; the rest convert.
TEST(SystemsTravel, AnInputWithoutASystemFailsAlone) {
    TempFolder folder;
    test::Shell(
        "gdal_create -q -of GTiff -outsize 8 6 -a_srs EPSG:27700 -a_ullr 400000 300060 "
        "400080 300000 " +
        Quoted(folder / "a.tif") + " && gdal_create -q -of GTiff -outsize 8 6 -a_ullr 0 60 80 0 " +
        Quoted(folder / "b.tif"));
    const test::CommandResult run =
        test::MarloConvert("--from geotiff --to tab --keep-going " + Quoted(folder / "a.tif") +
                           " " + Quoted(folder / "b.tif"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::filesystem::exists(folder / "a.tab"));
    EXPECT_FALSE(std::filesystem::exists(folder / "b.tab"));
    EXPECT_NE(run.out.find("b.tif: The input states no coordinate system of its own, and none "
                           "was chosen!"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Converted: 1, skipped: 0, failed: 1"), std::string::npos) << run.out;
}

// A GeoTIFF's system is where GDAL takes it: its .aux.xml before its keys. GDAL, reading the
// image with its .aux.xml, is the judge of what the table must state.
TEST(SystemsTravel, AnImagesAuxiliaryFileComesBeforeItsKeys) {
    struct Case {
        const char* name;
        const char* keys;  // "" for none
        const char* aux;
        const char* refusedAs;  // the system's name when no table holds it
    };
    const Case cases[] = {
        {"over", "-a_srs EPSG:32633", "EPSG:25833", nullptr},
        {"only", "", "EPSG:8857", "WGS 84 / Equal Earth Greenwich"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string image = folder / (std::string(c.name) + ".tif");
        test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + std::string(c.keys) +
                    " -a_ullr 400000 5800060 400080 5800000 " + Quoted(image) +
                    " && printf '<PAMDataset>\\n  <SRS dataAxisToSRSAxisMapping=\"1,2\">%s"
                    "</SRS>\\n</PAMDataset>\\n' \"$(gdalsrsinfo -o wkt2 " +
                    c.aux + " | tr -d '\\n')\" > " + Quoted(image + ".aux.xml"));
        const test::CommandResult run =
            test::MarloConvert("--from geotiff --to tab " + Quoted(image));
        if (c.refusedAs != nullptr) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(std::string("\"") + c.refusedAs + "\""), std::string::npos)
                << run.err;
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string gdal = test::Shell(
            "GDAL_PAM_ENABLED=YES /usr/bin/python3 -c \"from osgeo import gdal; "
            "print(gdal.Open('" +
            image + "').GetSpatialRef().ExportToMICoordSys())\"");
        EXPECT_NE(test::ReadBytes(folder / (std::string(c.name) + ".tab"))
                      .find("CoordSys " + gdal.substr(0, gdal.size() - 1)),
                  std::string::npos)
            << gdal;
    }
}

// --projection takes any EPSG code GDAL knows, for inputs that state no system, and
// --list-projections finds the list's entries and GDAL's systems by code.
TEST(SystemsTravel, AnyEpsgCodeServesTheInputsThatStateNone) {
    TempFolder folder;
    folder.Write("w/plain.tfw", "10\n0\n0\n-10\n400005\n299995\n");
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 -a_ullr 700000 6600000 700080 6599940 " +
                Quoted(folder / "bare.tif") + " && gdal_create -q -of GTiff -outsize 8 6 " +
                Quoted(folder / "w/plain.tif"));
    const test::CommandResult table = test::MarloConvert(
        "--from geotiff --to tab --projection "
        "EPSG:2154 " +
        Quoted(folder / "bare.tif"));
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(test::ReadBytes(folder / "bare.tab")
                  .find("CoordSys Earth Projection 3, 33, \"m\", 3, 46.5, 44, 49, 700000, "
                        "6600000"),
              std::string::npos);
    const std::string out = folder.MakeFolder("out");
    const test::CommandResult image =
        test::MarloConvert("--from tfw --to geotiff --projection EPSG:27700 --output-dir " +
                           Quoted(out) + " " + Quoted(folder / "w/plain.tfw"));
    ASSERT_EQ(image.status, 0) << image.err;
    EXPECT_NE(test::Shell("gdalsrsinfo -o epsg " + Quoted(out + "/plain.tif")).find("EPSG:27700"),
              std::string::npos);

    EXPECT_NE(test::MarloConvert("--list-projections 2154").out.find("\tEPSG:2154\n"),
              std::string::npos);
    EXPECT_NE(
        test::MarloConvert("--list-projections cs92").out.find("ETRF2000-PL / CS92\tEPSG:2180"),
        std::string::npos);
    EXPECT_EQ(test::MarloConvert("--list-projections EPSG:999999").status, 1);
}

// A system on an ellipsoid MapInfo has no number for is refused by name, and nothing is
// written; a clause GDAL cannot understand gives a GeoTIFF without any system, and the run
// says so.
TEST(SystemsTravel, NoSystemIsEverReplaced) {
    TempFolder folder;
    test::Shell(
        "gdal_create -q -of GTiff -outsize 8 6 -a_ullr 600000 700000 600080 699940 "
        "-a_srs '+proj=tmerc +lat_0=0 +lon_0=17 +k=0.9995 +x_0=600000 +y_0=-5000000 "
        "+a=6378000 +rf=300 +towgs84=0,0,0 +units=m' " +
        Quoted(folder / "unknown.tif"));
    const auto before = test::FolderBytes(folder.path());
    const test::CommandResult refused = test::MarloConvert(
        "--from geotiff --to tab --group Poland --projection 'ETRF2000-PL / CS92' " +
        Quoted(folder / "unknown.tif"));
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("The image's coordinate system cannot be written into a TAB "
                               "file: \"+proj=tmerc +lat_0=0 +lon_0=17 +k=0.9995 "
                               "+x_0=600000 +y_0=-5000000 +a=6378000 +rf=300 "
                               "+towgs84=0,0,0,0,0,0,0 +units=m +no_defs\": GDAL reads no TAB "
                               "clause for this system back as the same system "
                               "(Transverse_Mercator)\n" +
                               std::string(folder / "unknown.tif")),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(test::FolderBytes(folder.path()), before);

    // The image itself states EPSG:2180; the table says NonEarth, so the output states nothing.
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 -a_srs EPSG:2180 -a_ullr 0 6 8 0 " +
                Quoted(folder / "plan.tif"));
    const std::string out = folder.MakeFolder("out");
    folder.Write("plan.tab",
                 "!table\n!version 300\nDefinition Table\n  File \"plan.tif\"\n  Type \"RASTER\"\n"
                 "  (0,6) (0,0) Label \"1\",\n  (8,6) (8,0) Label \"2\",\n"
                 "  (8,0) (8,6) Label \"3\"\n  CoordSys NonEarth Units \"m\"\n");
    const test::CommandResult plain = test::MarloConvert(
        "--from tab --to geotiff --output-dir " + Quoted(out) + " " + Quoted(folder / "plan.tab"));
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.err.find(
                  "without a coordinate system (GDAL cannot write it into a GeoTIFF): plan.tab"),
              std::string::npos)
        << plain.err;
    const test::GdalImage image = test::DescribeWithGdal(out + "/plan.tif");
    EXPECT_EQ(image.warnings, "");
    EXPECT_EQ(test::Shell("gdalsrsinfo -o epsg " + Quoted(out + "/plan.tif") + " 2>&1 || true")
                  .find("2180"),
              std::string::npos);
}

}  // namespace
}  // namespace marlo
