#pragma once

namespace marlo {

// The maker's web page: shown and opened by the windows' links, and the label of the last
// corner point of every table the program writes.
inline constexpr const char* kWebAddress = "https://marlo.example.org";

}  // namespace marlo
