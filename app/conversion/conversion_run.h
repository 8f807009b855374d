#pragma once

#include "state/conversion_context.h"

namespace marlo {

// The start button's click: chooses the files, checks the choices and converts every file.
// Returns true when the run ended with "Done!".
// How far the run got is then in form.lastRun.
bool cmbOK_Click(ConversionContext& form);

// The main window's status line after a run: "12 of 20 converted; stopped at b.tfw: ...".
std::string RunStatusText(const RunOutcome& outcome);
// The files whose outputs went without their input's coordinate system; "" when none did.
std::string WithoutSystemText(const RunOutcome& outcome);

// Moves the origin from the reference point of one side to that of another: the world file
// and the GeoTIFF side (as Pelcor gives and takes it) hold the centre of the first pixel, a
// table its outer corner. Raises run-time error 6 when the result is not a finite number.
void MoveOrigin(WorldParameters& params, FileFormat from, FileFormat to);

}  // namespace marlo
