#pragma once

#include <string>

#include "conversion/run_plan.h"
#include "conversion/run_summary.h"
#include "state/environment.h"

namespace marlo {

// The start button's click: chooses the files, checks the choices and converts every file.
// The outcome says how far the run got; `done` when it ended with "Done!".
RunOutcome cmbOK_Click(Environment& env, const RunChoices& choices);

}  // namespace marlo
