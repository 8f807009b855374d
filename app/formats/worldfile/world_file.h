#pragma once

#include <string>

#include "platform/file_system.h"
#include "values/georeference.h"

namespace marlo {

// The six numbers of the world file at `path`: its first six lines that hold text. Refuses a
// missing file (message 7), such a line that is not a number and fewer than six numbers (8).
Georeference ReadWorldFile(const Texts& texts, const FileSystemService& files,
                           const std::string& path);
// Writes the six numbers to `path`, with "." as the decimal sign, replacing the old file only
// when the new one is complete.
void WriteWorldFile(const Texts& texts, const FileSystemService& files, const std::string& path,
                    const Georeference& georeference);

}  // namespace marlo
