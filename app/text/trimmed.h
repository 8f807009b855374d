#pragma once

#include <string>

namespace marlo {

// The text without the blanks and tabs at either end.
std::string Trimmed(const std::string& text);

}  // namespace marlo
