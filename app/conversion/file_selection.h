#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Lets the user choose the input files; fills inputFormat, inputFolder, inputFiles, fileCount.
void AddFiles(ConversionContext& form);
// Shows the folder picker, opening in initialFolder; "" on cancel.
std::string WyszukiwanieKatalogu(ConversionContext& form, const std::string& sPrompt,
                                 const std::string& initialFolder = "");
// Where the output-folder picker opens: the remembered output folder, else the folder above
// the input folder; never the input folder itself, which GeoTIFF output may not use.
std::string OutputPickerStart(const ConversionContext& form);

}  // namespace marlo
