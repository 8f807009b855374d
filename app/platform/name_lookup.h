#pragma once

#include <string>
#include <string_view>

namespace marlo {

// A name as Windows compares it: trailing blanks and dots dropped, letters (ASCII and the
// Latin letters of Windows-1250) in lower case. Bytes that are not UTF-8 are kept as they are.
std::u32string ComparableName(std::string_view name);

// The spelling on disk of `path` (see FileSystemService::ResolveOnDisk).
std::string LookUpWindowsStyle(const std::string& path);

}  // namespace marlo
