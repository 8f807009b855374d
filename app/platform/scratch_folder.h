#pragma once

#include <string>

namespace marlo {

// A path for a small working file in the process's own folder under $TMPDIR (or /tmp), made
// on first use with no access for others and removed with everything in it when the process
// ends; "" when no such folder can be made. Each call gives a new name.
std::string ScratchPath(const std::string& suffix);

}  // namespace marlo
