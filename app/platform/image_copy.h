#pragma once

#include <string>

namespace marlo {

enum class CopyOutcome { Copied, TargetExists, Failed };

// Copies `source` to the new file `target` inside the kernel (a shared extent where the file
// system offers one, else copy_file_range or sendfile), so memory use does not grow with the
// image. An existing entry at `target` is never replaced, not even one that appears between a
// check and the copy. A copy that fails leaves no partial target behind.
CopyOutcome CopyToNewFile(const std::string& source, const std::string& target);

}  // namespace marlo
