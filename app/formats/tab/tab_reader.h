#pragma once

#include <string>

#include "platform/file_system.h"
#include "values/georeference.h"

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
TableContents ReadTable(const Texts& texts, const FileSystemService& files,
                        const std::string& inputPath);

// What the output made from a table needs of the image the table names.
enum class TableImageUse {
    // The image itself, wherever the reference points (a GeoTIFF is made from it).
    Copied,
    // A place for a world file: beside an image (by its bytes) in the table's folder or below
    // it, else beside the table under the image's name.
    WorldFileBeside,
};

// Where the image lies, in the spelling on disk when it is there.
struct ImagePlace {
    std::string folder;
    std::string fileName;
};

// Finds the image `imageReference` names for the table at `tablePath`. Refuses a reference
// that names no file (message 14), a missing image when it is needed (7, the table as title),
// a file that is no image and, for a world file, an image outside the table's folder (37).
ImagePlace LocateTableImage(const Texts& texts, const FileSystemService& files,
                            const std::string& imageReference, const std::string& tablePath,
                            TableImageUse use);

}  // namespace marlo
