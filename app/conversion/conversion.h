#pragma once

#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "platform/user_interaction.h"

namespace marlo {

// Where a conversion says how far it has come: before each file, with the file's number, the
// run's count and the file's name. False stops the run before that file (the user cancelled).
class ConversionProgress {
public:
    virtual ~ConversionProgress() = default;
    virtual bool BeforeFile(const RunProgress& progress) = 0;
};

// A conversion that nobody watches: it always goes on.
class UnwatchedProgress final : public ConversionProgress {
public:
    bool BeforeFile(const RunProgress&) override { return true; }
};

// Converts every file of a complete plan, in order, each one whole, until one fails (unless
// the plan keeps going) or the progress says stop. It never asks and never shows anything:
// what the run has to say is in the outcome's messages, for the front end to show.
RunOutcome Convert(Environment& env, const RunPlan& plan, ConversionProgress& progress);

}  // namespace marlo
