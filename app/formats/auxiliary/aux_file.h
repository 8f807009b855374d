#pragma once

#include <optional>
#include <string>

#include "crs/coordinate_systems.h"
#include "platform/file_system.h"

namespace marlo {

// Where GDAL, QGIS and other GIS tools look for the coordinate system of an image whose
// georeference is a world file: GDAL's auxiliary file "<image>.aux.xml" (its <SRS> element),
// and ESRI's "<image name>.prj".

std::string AuxFilePath(const std::string& imagePath);
std::string PrjFilePath(const std::string& imagePath);

// The text of an auxiliary file's SRS element, unescaped; nothing when it has none, or a
// malformed one.
std::optional<std::string> AuxSystemIn(const std::string& text);
// The system the image's auxiliary file states (its SRS element's text); nothing when there is
// no such file, or no SRS in it.
std::optional<std::string> ReadAuxSystem(const FileSystemService& files,
                                         const std::string& imagePath);
// The text of the .prj beside the image; nothing when there is none.
std::optional<std::string> ReadPrjText(const FileSystemService& files,
                                       const std::string& imagePath);

// The auxiliary file's text with its SRS element set to the system: an existing SRS element is
// replaced, anything else in the file kept byte for byte; no text gives a new file. Nothing
// when the text is no PAMDataset that the element can go into.
std::optional<std::string> WithAuxSystem(const std::string& existing,
                                         const AuxiliarySystem& system);
// The image's auxiliary file as it would be with the system set (see WithAuxSystem); nothing
// when the file cannot be read or cannot take it.
std::optional<std::string> AuxTextWithSystem(const FileSystemService& files,
                                             const std::string& imagePath,
                                             const AuxiliarySystem& system);

}  // namespace marlo
