#pragma once

#include <string>

#include "state/conversion_context.h"

namespace marlo {

// The option buttons of one format on either side.
OptionButton& InputOption(FormatOptions& options, FileFormat format);
OptionButton& OutputOption(FormatOptions& options, FileFormat format);

// The first selected option of a side, in the order GeoTIFF, TAB, TFW; format::None when no
// option of that side is selected.
FileFormat SelectedInput(const FormatOptions& options);
FileFormat SelectedOutput(const FormatOptions& options);

// Formats by the names the settings and the command line use ("geotiff", "tab", "tfw");
// format::None and "" for anything else.
FileFormat FormatNamed(const std::string& name);
const char* NameOfFormat(FileFormat format);

// The format a file's extension stands for (.tif or .tiff, .tab, .tfw), in any letter case;
// format::None for any other file.
FileFormat FormatOfFileName(const std::string& path);

}  // namespace marlo
