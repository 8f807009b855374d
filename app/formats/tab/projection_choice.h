#pragma once

#include <string>

#include "conversion/conversion_context.h"

namespace marlo {

// The CoordSys clause for this run's tables, chosen by the user; "error" when none was chosen.
std::string UstalenieProjekcji(ConversionContext& form);

}  // namespace marlo
