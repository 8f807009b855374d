#pragma once

#include <string>

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

// The file name cut at its first "." (the folder part is never cut), then `extension`
// appended: /maps/2024.05/sheet.old.tif with ".tfw" gives /maps/2024.05/sheet.tfw.
std::string ReplaceExtensionAtFirstDot(const std::string& path, const std::string& extension);

}  // namespace marlo
