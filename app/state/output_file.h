#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Text outputs (world files, tables) replace an existing file without a question when it may
// be changed. Deletes the old file; false, after message 29 (read-only) or 15 (still there),
// with conversionFailed set, when the output may not be written.
bool MakeRoomForOutput(ConversionContext& form, const std::string& path);

}  // namespace marlo
