#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// What a raster table says: the image it names ("" when none) and where it places it, the
// origin at the outer corner of the first pixel.
struct TableContents {
    std::string imageReference;
    Georeference georeference;
    std::string coordSys;  // the CoordSys line, "" when there is none
};

// Reads the table at `inputPath`. Refuses a missing file (message 7), fewer than three control
// points (13) and coordinates that are not numbers (14); a mangled control-point line is a
// run-time error.
TableContents ReadTable(const FileSystemService& files, const NumberTextServices& numbers,
                        const std::string& inputPath);

// Reads a MapInfo raster table: WorldParams from its control points, and the image it names.
void OdczytTAB(ConversionContext& form, const std::string& inputPath);

}  // namespace marlo
