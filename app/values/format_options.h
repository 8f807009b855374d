#pragma once

#include <string>

namespace marlo {

// One side of a conversion.
enum class FileFormat { None, GeoTIFF, TAB, TFW };

// One option button of the main window.
struct OptionButton {
    bool selected = false;
    bool enabled = true;
};

// The "Convert from:" and "Convert to:" option buttons, as designed: GeoTIFF in, TAB out.
struct FormatOptions {
    OptionButton optGEOin{true, true};
    OptionButton optTABin{};
    OptionButton optTFWin{};
    OptionButton optGEO{false, true};
    OptionButton optTAB{true, true};
    OptionButton optTFW{};
};

// Selects exactly one "Convert from:" and one "Convert to:" option (none for FileFormat::None).
void SelectFormats(FormatOptions& options, FileFormat from, FileFormat to);

// The option buttons of one format on either side.
OptionButton& InputOption(FormatOptions& options, FileFormat format);
OptionButton& OutputOption(FormatOptions& options, FileFormat format);

// The first selected option of a side, in the order GeoTIFF, TAB, TFW; FileFormat::None when no
// option of that side is selected.
FileFormat SelectedInput(const FormatOptions& options);
FileFormat SelectedOutput(const FormatOptions& options);

// Formats by the names the settings and the command line use ("geotiff", "tab", "tfw");
// FileFormat::None and "" for anything else.
FileFormat FormatNamed(const std::string& name);
const char* NameOfFormat(FileFormat format);

// The format a file's extension stands for (.tif or .tiff, .tab, .tfw), in any letter case;
// FileFormat::None for any other file.
FileFormat FormatOfFileName(const std::string& path);

}  // namespace marlo
