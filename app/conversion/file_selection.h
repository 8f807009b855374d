#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "platform/user_interaction.h"

namespace marlo {

// The input files of a run: the files chosen before it, else those the user chooses in the
// file dialog, of the format the options select; nothing when the user cancels. Refuses a
// choice of no files (message 1).
std::optional<ChosenFiles> AddFiles(const Texts& texts, UserInteraction& ui,
                                    const RunChoices& choices);
// Shows the folder picker, opening in initialFolder; "" on cancel, and on an unexpected error,
// which comes back with it for the caller to report.
ReportedResult<std::string> AskForFolder(UserInteraction& ui, const std::string& prompt,
                                         const std::string& initialFolder = "");
// Where the output-folder picker opens: the remembered output folder, else the folder above
// the input folder; never the input folder itself, which GeoTIFF output may not use.
std::string OutputPickerStart(const FileSystemService& files, const std::string& remembered,
                              const std::string& inputFolder);

}  // namespace marlo
