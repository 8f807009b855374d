#include "conversion/run_plan.h"

#include "state/paths.h"

namespace marlo {

std::string RunPlan::InputPath(std::size_t file) const {
    return JoinPath(inputFolder, inputFiles.at(file));
}

const std::string& RunPlan::OutputFolder() const {
    return outputFormat == FileFormat::GeoTIFF ? outputFolder : inputFolder;
}

}  // namespace marlo
