#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// Lets the user choose the input files; fills inputFormat, inputFolder, inputFiles, fileCount.
void AddFiles(ConversionContext& form);
// Shows the folder picker; "" on cancel.
std::string WyszukiwanieKatalogu(ConversionContext& form, const std::string& sPrompt);

}  // namespace marlo
