#pragma once

#include <string>

#include "conversion/run_plan.h"
#include "state/environment.h"

namespace marlo {

// The start button's click: chooses the files, checks the choices and converts every file.
// The outcome says how far the run got; `done` when it ended with "Done!".
RunOutcome cmbOK_Click(Environment& env, const RunChoices& choices);

// The main window's status line after a run: "12 of 20 converted; stopped at b.tfw: ...".
std::string RunStatusText(const RunOutcome& outcome);
// The files whose outputs went without their input's coordinate system; "" when none did.
std::string WithoutSystemText(const RunOutcome& outcome);

}  // namespace marlo
