#include "conversion/input_survey.h"

#include "conversion/file_steps.h"
#include "conversion/input_systems.h"

namespace marlo {

namespace {

// One input, in the order its turn meets it: what it states of its system, then its read. The
// first failure ends the input's survey and is kept for its turn: a side file that cannot be
// read or an input that cannot be read fails that file alone, and the other files are planned
// as before. Anything else unexpected while finding a system ends the planning, as the run's
// own error. The one place planning catches a file's failure.
void SurveyInput(const Environment& env, RunPlan& plan, std::size_t file) {
    const FileJob job{plan, file, plan.InputPath(file), {}};
    PlannedRead& planned = plan.inputReads[file];
    InputSystem* system = plan.inputSystems.empty() ? nullptr : &plan.inputSystems[file];
    bool systemFound = system == nullptr;
    try {
        if (system != nullptr) {
            *system = StatedSystemOf(env, plan, job.inputPath);
            systemFound = true;
        }
        planned.read = StepsOf(plan.inputFormat).read(env, job);
    } catch (const Refusal& refusal) {
        if (!systemFound) {
            *system = SideFilesRefused(refusal.text);
        }
        planned.failure = std::current_exception();
    } catch (...) {
        if (!systemFound) {
            throw;
        }
        planned.failure = std::current_exception();
    }
    if (system != nullptr) {
        system->unreadable = !planned.read;
    }
    // A table names its image; the other inputs are their own, whether they can be read or not.
    const std::string named = plan.inputFormat != FileFormat::TAB ? job.inputPath
                              : planned.read                      ? planned.read->imagePath
                                                                  : std::string();
    plan.outputImages[file] = named.empty() ? named : OutputImageOf(env.fileSystem, job, named);
}

}  // namespace

void SurveyInputs(const Environment& env, RunPlan& plan) {
    const std::size_t count = plan.inputFiles.size();
    plan.inputReads.assign(count, {});
    plan.outputImages.assign(count, {});
    plan.inputSystems.assign(RunNotesInputSystems(plan) ? count : 0, {});
    for (std::size_t file = 0; file < count; ++file) {
        SurveyInput(env, plan, file);
    }
}

}  // namespace marlo
