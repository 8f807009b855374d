#pragma once

#include "state/conversion_context.h"

namespace marlo {

// The start button's click: chooses the files, checks the choices and converts every file.
// Returns true when the run ended with "Done!".
bool cmbOK_Click(ConversionContext& form);

// Moves the origin from the reference point of one side to that of another: the world file
// holds the centre of the first pixel, a table its outer corner, GeoTIFF tags half a pixel the
// other way. Raises run-time error 6 when the result is not a finite number.
void MoveOrigin(WorldParameters& params, FileFormat from, FileFormat to);

}  // namespace marlo
