#pragma once

#include "conversion/run_plan.h"
#include "environment/environment.h"

namespace marlo {

// Reads each input of the plan once, before the first file, and notes in the plan what the
// checks before the run and the file's own turn need of it: its read (or the failure its turn
// will meet instead), the image its output is about, and what it states of its coordinate
// system where the run notes systems.
void SurveyInputs(const Environment& env, RunPlan& plan);

}  // namespace marlo
