#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Reads a MapInfo raster table: WorldParams from its control points, and the image it names.
void OdczytTAB(ConversionContext& form, const std::string& inputPath);

}  // namespace marlo
