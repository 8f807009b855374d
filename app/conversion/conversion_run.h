#pragma once

#include "conversion/conversion_context.h"

namespace marlo {

// The start button's click: chooses the files, checks the choices and converts every file.
// Returns true when the run ended with "Done!".
bool cmbOK_Click(ConversionContext& form);

}  // namespace marlo
