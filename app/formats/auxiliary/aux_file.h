#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "crs/coordinate_systems.h"
#include "formats/auxiliary/pam_xml.h"
#include "platform/file_system.h"
#include "text/catalogue.h"

namespace marlo {

// Where GDAL, QGIS and other GIS tools look for the coordinate system of an image whose
// georeference is a world file: GDAL's auxiliary file "<image>.aux.xml" (its SRS), and ESRI's
// "<image name>.prj".

// The largest side file (.aux.xml, .prj) read; a larger one refuses its image alone.
inline constexpr std::size_t kMaxSideFileSize = kMaxTextFileSize;

// The auxiliary file's name: exactly the image's name and ".aux.xml", the only name GDAL tries.
std::string AuxFilePath(const std::string& imagePath);
// The .prj beside the image as GDAL finds one: the name with ".prj", then with ".PRJ", then
// the whole name in capitals, then in small letters; nothing when none exists.
std::optional<std::string> FindPrjFile(const std::string& imagePath);

// What the auxiliary file's text states of its system, as GDAL reads it (see PamSrs).
PamSrs AuxSystemIn(const std::string& text);
// The system the image's auxiliary file states (the SRS text); nothing when there is no such
// file or GDAL reads no system from it. Refuses the image (a Refusal naming the file) when the
// file is too large or cannot be read, or when GDAL could read it otherwise than Marlo.
std::optional<std::string> ReadAuxSystem(const Texts& texts, const FileSystemService& files,
                                         const std::string& imagePath);
// The text of the .prj beside the image; nothing when there is none. Refuses the image when the
// file is too large or cannot be read.
std::optional<std::string> ReadPrjText(const Texts& texts, const FileSystemService& files,
                                       const std::string& imagePath);

// The auxiliary file's text with its SRS set to the system: the SRS element GDAL reads is
// replaced, or a new one goes first into the dataset, every other byte kept; no text gives a new
// file. Nothing when the text is no dataset GDAL would read the element from, or GDAL could
// read it otherwise than Marlo.
std::optional<std::string> WithAuxSystem(const std::string& existing,
                                         const AuxiliarySystem& system);
// The image's auxiliary file as it would be with the system set (see WithAuxSystem); nothing
// when the file cannot take it. Refuses the image when the file is a link (Marlo writes neither
// through it nor over it) or too large.
std::optional<std::string> AuxTextWithSystem(const Texts& texts, const FileSystemService& files,
                                             const std::string& imagePath,
                                             const AuxiliarySystem& system);

}  // namespace marlo
