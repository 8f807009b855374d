// Writes the fuzzer's seed corpus: small TIFFs covering each way the georeference is stored,
// and a file as Pelcor leaves it after adding its entries.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "pelcor/pelcor.h"
#include "support/tiff_builder.h"

using namespace marlo::test;

namespace {

const std::vector<double> kScale{2, 3, 0};
const std::vector<double> kTiepoint{0, 0, 0, 1000, 5000, 0};
const std::vector<double> kMatrix{2, 0.25, 0, 999.875, 0.5, -3, 0, 4999.75, 0, 0, 0, 0, 0, 0, 0, 1};

void Save(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_seeds FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::string geoKeys = U16(1) + U16(1) + U16(0) + U16(0);
    Save(folder / "plain.tif", TiffBuilder::Image().Build());
    Save(folder / "two-pages.tif", TiffBuilder::Image().WithSecondPage().Build());
    Save(folder / "scale-tiepoint.tif", TiffBuilder::Image()
                                            .AddDoubles(kPixelScaleTag, kScale)
                                            .AddDoubles(kTiepointTag, kTiepoint)
                                            .Build());
    Save(folder / "matrix.tif",
         TiffBuilder::Image().AddDoubles(kTransformationTag, kMatrix).Build());
    Save(folder / "all-three.tif", TiffBuilder::Image()
                                       .AddDoubles(kPixelScaleTag, kScale)
                                       .AddDoubles(kTiepointTag, kTiepoint)
                                       .AddDoubles(kTransformationTag, kMatrix)
                                       .Add(kGeoKeyDirectoryTag, kShort, 4, geoKeys)
                                       .Build());
    Save(folder / "tiepoints.tif",
         TiffBuilder::Image()
             .AddDoubles(kTiepointTag, {0, 0, 0, 1, 2, 0, 4, 3, 0, 9, 8, 0})
             .Build());
    const auto appended = folder / "appended.tif";
    Save(
        appended,
        TiffBuilder::Image().Add(kGeoKeyDirectoryTag, kShort, 4, geoKeys).WithSecondPage().Build());
    return tiffHdrWriteDbl(appended.c_str(), 2, 0, 0, -3, 1001, 4998.5) == 1 ? 0 : 1;
}
