#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "conversion/file_steps.h"
#include "conversion/planning.h"
#include "environment/environment.h"
#include "support/failures.h"
#include "support/scripted_user.h"
#include "support/temp_folder.h"
#include "text/catalogue.h"
#include "values/format_options.h"
#include "values/paths.h"

namespace marlo::test {

// The program as a run sees it: a scripted user behind the environment, the window's choices,
// and how the last run ended; in English.
struct RunHarness {
    // Selects one "Convert from:" and one "Convert to:" option, the others cleared.
    void Choose(FileFormat from, FileFormat to) { SelectFormats(choices.options, from, to); }
    // Presses the start button; true when the run ended with "Done!".
    bool Convert() {
        lastRun = RunByAsking(env, user, choices);
        return lastRun.done;
    }

    ScriptedUser user;
    Environment env{user};
    RunChoices choices;
    RunOutcome lastRun;
};

// A run of `files` in `folder`, as preparation would settle it (no projection chosen).
inline RunPlan PlanFor(FileFormat from, FileFormat to, const std::string& folder,
                       const std::vector<std::string>& files,
                       const std::string& outputFolder = "") {
    RunPlan plan;
    plan.inputFormat = from;
    plan.outputFormat = to;
    plan.inputFolder = folder;
    plan.inputFiles = files;
    plan.outputFolder = outputFolder;
    plan.inputs = NoteInputIdentities(folder, files);
    return plan;
}

// Reads a file of the plan as the run's reader for its input format does.
inline InputRead ReadInput(Environment& env, const RunPlan& plan, std::size_t file = 0) {
    return StepsOf(plan.inputFormat).read(env, FileJob{plan, file, plan.InputPath(file)});
}

// Writes a file's output as the run's writer for its output format does; the georeference
// has its origin where the output keeps it.
inline OutputWritten WriteOutput(Environment& env, const RunPlan& plan, const InputRead& read,
                                 const OutputSystem& system = {}, std::size_t file = 0) {
    return StepsOf(plan.outputFormat)
        .write(env, FileJob{plan, file, plan.InputPath(file)}, read, system);
}

// A harness with a temporary folder, for gtest fixtures.
class FormTest : public ::testing::Test, public RunHarness {
protected:
    TempFolder temp;
};

}  // namespace marlo::test
