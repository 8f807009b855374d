#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "state/environment.h"

namespace marlo {

// The files a run converts: all of one format, in one folder.
struct ChosenFiles {
    FileFormat format = FileFormat::None;
    std::string folder;
    std::vector<std::string> names;
};

// Lets the user choose the input files of the format the options select; nothing when the
// user cancels. Refuses a choice of no files (message 4).
std::optional<ChosenFiles> AddFiles(Environment& env, const RunChoices& choices);
// Shows the folder picker, opening in initialFolder; "" on cancel.
std::string WyszukiwanieKatalogu(Environment& env, const std::string& sPrompt,
                                 const std::string& initialFolder = "");
// Where the output-folder picker opens: the remembered output folder, else the folder above
// the input folder; never the input folder itself, which GeoTIFF output may not use.
std::string OutputPickerStart(const FileSystemService& files, const std::string& remembered,
                              const std::string& inputFolder);

}  // namespace marlo
