#include "conversion/run_plan.h"

#include "state/paths.h"

namespace marlo {

std::string RunPlan::InputPath(std::size_t file) const {
    return JoinPath(inputFolder, inputFiles.at(file));
}

}  // namespace marlo
