#pragma once

#include <string>
#include <vector>

#include "state/conversion_context.h"

namespace marlo {

// The CoordSys clause for this run's tables (or GeoTIFFs made from world files), chosen by the
// user; "error" when none was chosen (conversionFailed is then set), "" when the inputs need
// none or a GeoTIFF gets none, and after an unexpected failure, which has been reported (and
// conversionFailed set).
std::string UstalenieProjekcji(ConversionContext& form);

// The projection list that codes are looked up in: the located one, else the one shipped with
// the program; no lines when there is neither, or when it is not whole (a message then says
// so and conversionFailed is set).
std::vector<std::string> CodeList(ConversionContext& form);

// The folder of the projection list shipped with the program: installed beside the program
// (<program folder>/../share/marlo/projections), in the source tree of a build, or in the
// installation's data folder; "" when none of them holds the list.
std::string ShippedProjectionFolder();

}  // namespace marlo
