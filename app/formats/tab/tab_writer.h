#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Writes WorldParams as a MapInfo raster table beside the input file.
void ZapisTAB(ConversionContext& form, const std::string& inputPath);

}  // namespace marlo
