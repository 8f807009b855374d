#include "conversion/run_plan.h"

#include "values/paths.h"

namespace marlo {

bool RunPlan::CopiesImages() const {
    return outputFormat == FileFormat::GeoTIFF && !inPlace;
}

std::string RunPlan::InputPath(std::size_t file) const {
    return JoinPath(inputFolder, inputFiles.at(file));
}

std::string RunPlan::InputFolderOf(std::size_t file) const {
    return FolderOfPath(InputPath(file));
}

std::string RunPlan::OutputFolderOf(std::size_t file) const {
    if (!CopiesImages()) {
        return InputFolderOf(file);
    }
    const std::string below = FolderOfPath(inputFiles.at(file));
    return below.empty() ? outputFolder : JoinPath(outputFolder, below);
}

const std::string& RunPlan::OutputFolder() const {
    return CopiesImages() ? outputFolder : inputFolder;
}

}  // namespace marlo
