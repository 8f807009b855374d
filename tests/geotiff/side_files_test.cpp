// The side files that carry a world-file image's system (.aux.xml, .prj), through marlo-convert
// with GDAL as the judge: Marlo reads the system GDAL reads, a merged .aux.xml gives GDAL the
// new system and keeps everything else GDAL reads, and what Marlo cannot read or must not
// write refuses that file alone, changing nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gdal_tools.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

using test::Quoted;
using test::TempFolder;
using test::TreeBytes;

constexpr const char* kWorldFile = "10\n0\n0\n-10\n500005\n5999995\n";

// What GDAL reads of a dataset, its auxiliary file included: its system as a PROJ definition
// ("none" without one) on the first line, every metadata domain of the dataset and its bands on
// the second. "EPSG:CODE" gives that system's definition alone.
constexpr const char* kGdalReading = R"(
import json, sys
from osgeo import gdal, osr
gdal.UseExceptions()
gdal.SetConfigOption("GDAL_PAM_ENABLED", "YES")
if sys.argv[1].startswith("EPSG:"):
    srs, objects = osr.SpatialReference(), []
    srs.SetFromUserInput(sys.argv[1])
else:
    ds = gdal.Open(sys.argv[1])
    srs = ds.GetSpatialRef()
    objects = [ds] + [ds.GetRasterBand(i + 1) for i in range(ds.RasterCount)]
print("none" if srs is None or not srs.ExportToWkt() else srs.ExportToProj4())
def domains(o):
    return {d: o.GetMetadata(d) for d in (o.GetMetadataDomainList() or [])
            if d != "DERIVED_SUBDATASETS"}
print(json.dumps([domains(o) for o in objects], sort_keys=True))
)";

struct GdalReading {
    std::string system;
    std::string metadata;
};

GdalReading ReadWithGdal(const std::string& path) {
    const std::string out =
        test::Shell("/usr/bin/python3 -c " + Quoted(kGdalReading) + " " + Quoted(path));
    const std::size_t lineEnd = out.find('\n');
    return {out.substr(0, lineEnd), out.substr(lineEnd + 1)};
}

// An image without a system of its own, and its world file.
void PlainImage(const TempFolder& folder, const std::string& name) {
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(folder / (name + ".tif")));
    folder.Write(name + ".tfw", kWorldFile);
}

constexpr const char* kUnclear = "Cannot tell which coordinate system the .aux.xml file states";

struct AuxCase {
    const char* name;
    const char* text;
    // Marlo refuses the file: GDAL's parser and a strict one could read it differently.
    bool refused = false;
};

constexpr AuxCase kReadCases[] = {
    {"comment before the real SRS",
     "<PAMDataset>\n  <!-- old: <SRS>EPSG:4326</SRS> -->\n  <SRS>EPSG:2177</SRS>\n"
     "</PAMDataset>\n"},
    {"character reference", "<PAMDataset>\n  <SRS>&#69;PSG:2177</SRS>\n</PAMDataset>\n"},
    {"end tag in another case", "<PAMDataset>\n  <SRS>EPSG:2177</SrS>\n</PAMDataset>\n", true},
    {"blank after the angle bracket", "<PAMDataset>\n  < SRS>EPSG:2177</SRS>\n</PAMDataset>\n",
     true},
    {"CDATA metadata",
     "<PAMDataset>\n  <Metadata>\n    <MDI key=\"old\"><![CDATA[<SRS>EPSG:4326</SRS>]]></MDI>\n"
     "  </Metadata>\n</PAMDataset>\n"},
    {"band xml: metadata",
     "<PAMDataset>\n  <PAMRasterBand band=\"1\">\n    <Metadata domain=\"xml:old\" "
     "format=\"xml\">\n      <SRS>EPSG:4326</SRS>\n    </Metadata>\n  </PAMRasterBand>\n"
     "</PAMDataset>\n"},
    {"lower-case srs", "<PAMDataset>\n  <srs>EPSG:2177</srs>\n</PAMDataset>\n"},
    {"XML declaration first",
     "<?xml version=\"1.0\"?>\n<PAMDataset>\n  <SRS>EPSG:2177</SRS>\n</PAMDataset>\n"},
};

// World file -> GeoTIFF with --projection EPSG:2180 for inputs that state none: the GeoTIFF
// carries the system GDAL reads from the image's .aux.xml, or 2180 where GDAL reads none.
TEST(SideFiles, AuxSystemIsReadAsGdalReadsIt) {
    for (const AuxCase& c : kReadCases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        PlainImage(folder, "a");
        folder.Write("a.tif.aux.xml", c.text);
        const std::string gdal = ReadWithGdal(folder / "a.tif").system;
        const auto before = TreeBytes(folder.path());
        const std::string out = folder.MakeFolder("out");
        const test::CommandResult run =
            test::MarloConvert("--from tfw --to geotiff --projection EPSG:2180 --output-dir " +
                               Quoted(out) + " " + Quoted(folder / "a.tfw"));
        if (c.refused) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find(kUnclear), std::string::npos) << run.err;
            EXPECT_EQ(TreeBytes(folder.path()), before);
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadWithGdal(out + "/a.tif").system,
                  gdal == "none" ? ReadWithGdal("EPSG:2180").system : gdal);
    }
}

constexpr AuxCase kMergeCases[] = {
    {"comment before the real SRS",
     "<PAMDataset>\n  <!-- old: <SRS>EPSG:4326</SRS> -->\n  <SRS>EPSG:4326</SRS>\n"
     "  <Metadata>\n    <MDI key=\"note\">a &amp; b</MDI>\n  </Metadata>\n</PAMDataset>\n"},
    {"CDATA metadata",
     "<PAMDataset>\n  <Metadata>\n    <MDI key=\"old\"><![CDATA[<SRS>EPSG:4326</SRS>]]></MDI>\n"
     "  </Metadata>\n</PAMDataset>\n"},
    {"band xml: metadata",
     "<PAMDataset>\n  <PAMRasterBand band=\"1\">\n    <Metadata domain=\"xml:old\" "
     "format=\"xml\">\n      <SRS>EPSG:4326</SRS>\n    </Metadata>\n  </PAMRasterBand>\n"
     "</PAMDataset>\n"},
    {"lower-case srs", "<PAMDataset>\n  <srs>EPSG:4326</srs>\n</PAMDataset>\n"},
    {"XML declaration first",
     "<?xml version=\"1.0\"?>\n<PAMDataset>\n  <SRS>EPSG:4326</SRS>\n</PAMDataset>\n", true},
    {"end tag in another case", "<PAMDataset>\n  <SRS>EPSG:4326</SrS>\n</PAMDataset>\n", true},
};

// A table in EPSG:2177 made by marlo-convert from GDAL's GeoTIFF, naming the image "a.tif".
std::string TableIn2177() {
    TempFolder folder;
    test::Shell(
        "gdal_create -q -of GTiff -outsize 8 6 -a_srs EPSG:2177 "
        "-a_ullr 6500000 5600000 6500080 5599940 " +
        Quoted(folder / "a.tif"));
    const test::CommandResult run =
        test::MarloConvert("--from geotiff --to tab " + Quoted(folder / "a.tif"));
    EXPECT_EQ(run.status, 0) << run.err;
    return test::ReadBytes(folder / "a.tab");
}

// Table -> world file writes the table's system into the image's .aux.xml: afterwards GDAL
// reads the new system and all its other metadata as before; a file GDAL would not take the
// system from is refused and the folder stays as it was.
TEST(SideFiles, MergedAuxGivesGdalTheNewSystemAndKeepsTheRest) {
    const std::string table = TableIn2177();
    for (const AuxCase& c : kMergeCases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(folder / "a.tif"));
        folder.Write("a.tab", table);
        folder.Write("a.tif.aux.xml", c.text);
        const GdalReading before = ReadWithGdal(folder / "a.tif");
        const auto bytes = TreeBytes(folder.path());
        const test::CommandResult run =
            test::MarloConvert("--from tab --to tfw " + Quoted(folder / "a.tab"));
        if (c.refused) {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("Unable to update"), std::string::npos) << run.err;
            EXPECT_EQ(TreeBytes(folder.path()), bytes);
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const GdalReading after = ReadWithGdal(folder / "a.tif");
        EXPECT_EQ(after.system, ReadWithGdal("EPSG:2177").system);
        EXPECT_EQ(after.metadata, before.metadata);
    }
}

// An .aux.xml that is a link to a file elsewhere: read through, as GDAL reads it; never written
// through nor replaced by a copy of what it points to.
TEST(SideFiles, LinkedAuxIsReadButNeverWrittenThroughOrReplaced) {
    TempFolder folder;
    const std::string elsewhere = folder.Write(
        "elsewhere/shared.aux.xml", "<PAMDataset>\n  <SRS>EPSG:2177</SRS>\n</PAMDataset>\n");
    const std::string images = folder.MakeFolder("images");
    test::Shell("gdal_create -q -of GTiff -outsize 8 6 " + Quoted(images + "/a.tif"));
    folder.Write("images/a.tfw", kWorldFile);
    std::filesystem::create_symlink(elsewhere, images + "/a.tif.aux.xml");

    const std::string out = folder.MakeFolder("out");
    const test::CommandResult read =
        test::MarloConvert("--from tfw --to geotiff --projection EPSG:2180 --output-dir " +
                           Quoted(out) + " " + Quoted(images + "/a.tfw"));
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(ReadWithGdal(out + "/a.tif").system, ReadWithGdal(images + "/a.tif").system);

    std::filesystem::remove(images + "/a.tfw");
    folder.Write("images/a.tab", TableIn2177());
    const auto before = TreeBytes(folder.path());
    const test::CommandResult merge =
        test::MarloConvert("--from tab --to tfw " + Quoted(images + "/a.tab"));
    EXPECT_EQ(merge.status, 1);
    EXPECT_NE(merge.err.find("The .aux.xml file is a link"), std::string::npos) << merge.err;
    EXPECT_TRUE(std::filesystem::is_symlink(images + "/a.tif.aux.xml"));
    EXPECT_EQ(TreeBytes(folder.path()), before);
}

// A side file too large to read fails its own file; with --keep-going the others convert, from
// world files to GeoTIFFs and from GeoTIFFs to tables alike.
TEST(SideFiles, OversizedSideFileFailsItsFileAlone) {
    struct Case {
        const char* arguments;
        const char* input;  // the inputs' extension
        std::vector<std::string> oversized;
        std::vector<std::string> written;  // the outputs, where GeoTIFFs go to out/
    };
    const Case cases[] = {
        {"--from tfw --to geotiff", "tfw", {"b.prj", "c.tif.aux.xml"}, {"out/a.tif"}},
        {"--from geotiff --to tab", "tif", {"b.tif.aux.xml"}, {"a.tab", "c.tab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        TempFolder folder;
        for (const char* name : {"a", "b", "c"}) {
            test::Shell(
                "gdal_create -q -of GTiff -outsize 8 6 -a_srs EPSG:2180 "
                "-a_ullr 500000 600000 500080 599940 " +
                Quoted(folder / (std::string(name) + ".tif")));
            folder.Write(std::string(name) + ".tfw", kWorldFile);
        }
        for (const std::string& side : c.oversized) {
            std::filesystem::resize_file(folder.Write(side, ""), 100 * 1024 * 1024);
        }
        const std::string out = folder.MakeFolder("out");
        std::string inputs;
        for (const char* name : {"a", "b", "c"}) {
            inputs += " " + Quoted(folder / (std::string(name) + "." + c.input));
        }
        const bool copies = c.input == std::string("tfw");
        const test::CommandResult run =
            test::MarloConvert(std::string(c.arguments) + " --keep-going" +
                               (copies ? " --output-dir " + Quoted(out) : "") + inputs);
        EXPECT_EQ(run.status, 1);
        for (const std::string& side : c.oversized) {
            EXPECT_NE(run.out.find("The side file is too large to read! " + folder / side),
                      std::string::npos)
                << run.out;
        }
        for (const std::string& output : c.written) {
            EXPECT_TRUE(std::filesystem::exists(folder / output)) << output;
        }
        EXPECT_EQ(TreeBytes(out).size(), copies ? 1u : 0u);
        EXPECT_FALSE(std::filesystem::exists(folder / "b.tab"));
    }
}

// A .prj found under the names GDAL tries (the extension in capitals, the whole name in
// capitals or in small letters) gives its system; an ".AUX.XML" is no auxiliary file to GDAL
// on Linux, nor to Marlo.
TEST(SideFiles, SideFilesAreFoundUnderTheNamesGdalTries) {
    const struct {
        const char* sideFile;
        const char* definition;
    } cases[] = {
        {"Sheet.PRJ", "EPSG:2180"},
        {"SHEET.PRJ", "EPSG:2180"},
        {"sheet.prj", "EPSG:2180"},
        {"Sheet.tif.AUX.XML", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sideFile);
        TempFolder folder;
        PlainImage(folder, "Sheet");
        std::string expected;
        if (c.definition != nullptr) {
            test::Shell("gdalsrsinfo -o wkt1 " + std::string(c.definition) + " > " +
                        Quoted(folder / c.sideFile));
            const std::string proj =
                test::Shell("gdalsrsinfo -o proj4 " + Quoted(folder / c.sideFile));
            expected =
                proj.substr(proj.find('+'), proj.find_last_not_of("\r\n ") + 1 - proj.find('+'));
        } else {
            folder.Write(c.sideFile, "<PAMDataset>\n  <SRS>EPSG:2177</SRS>\n</PAMDataset>\n");
            const std::string gdal = ReadWithGdal(folder / "Sheet.tif").system;
            expected = gdal == "none" ? ReadWithGdal("EPSG:4326").system : gdal;
        }
        const std::string out = folder.MakeFolder("out");
        const test::CommandResult run =
            test::MarloConvert("--from tfw --to geotiff --projection EPSG:4326 --output-dir " +
                               Quoted(out) + " " + Quoted(folder / "Sheet.tfw"));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadWithGdal(out + "/Sheet.tif").system, expected);
    }
}

}  // namespace
}  // namespace marlo
