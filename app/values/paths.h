#pragma once

#include <string>
#include <vector>

namespace marlo {

// Folder, one separator, file name: the one way the program builds a full path.
std::string JoinPath(const std::string& folder, const std::string& fileName);

// Everything up to and including the last "/" ("" when there is none).
std::string GetFilePath(const std::string& FileNamePath);
// The folder of a path, without its trailing "/" ("" when there is none).
std::string FolderOfPath(const std::string& path);
// Everything after the last "/" ("" when there is none).
std::string GetFileNameAndType(const std::string& FileNamePath);
// BasePath and RelativePath joined as they stand, then "." and ".." resolved lexically
// (no links followed, no length limit). A RelativePath that starts with "/" stands alone.
std::string GetAbsolutePath(const std::string& BasePath, const std::string& RelativePath);

// The extension after the last "." of the file name replaced by `extension` (the folder part
// never counts), as GDAL and every GIS look names up: /maps/2024.05/7.125.15.23.tif with
// ".tfw" gives /maps/2024.05/7.125.15.23.tfw; a name without one gets `extension` added.
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The extension after the last "." of the file name, in lower case ("" when there is none).
std::string LowerCaseExtension(const std::string& path);

// The file name without its folder and extension, in lower case.
std::string LowerCaseStem(const std::string& path);

// Whether the file name ends in ".tif" or ".tiff", in any letter case.
bool IsTiffName(const std::string& path);

// The extensions of world files the program reads, as GDAL reads them beside TIFF, JPEG, PNG,
// GIF and BMP images: tfw, tifw, jgw, pgw, gfw, bpw and wld.
const std::vector<std::string>& WorldFileExtensions();
// Whether the file name is a world file's, in any letter case: one of those, or any other the
// program writes beside an image (small.grd gets small.gdw): an extension ending in "w".
bool IsWorldFileName(const std::string& path);
// Whether the file name ends in one of the extensions GDAL reads, in any letter case.
bool IsKnownWorldFileName(const std::string& path);
// Whether the world file is one GDAL pairs with the image by their extensions.
bool WorldFileServes(const std::string& worldFilePath, const std::string& imagePath);
// The extensions of the images a world file can stand beside, in the order they are looked
// for: ".jgw" serves a .jpg or a .jpeg, ".wld" any image.
std::vector<std::string> ImageExtensionsFor(const std::string& worldFilePath);

// The world file GDAL reads for an image: ".tfw" beside a TIFF; beside any other image the
// first and last letter of its extension and "w" (scan.jpg gives scan.jgw, scan.png scan.pgw).
std::string WorldFileNameFor(const std::string& imagePath);

}  // namespace marlo
