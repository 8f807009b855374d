#include "values/format_options.h"

#include <cctype>
#include <vector>

#include "platform/failures.h"
#include "values/paths.h"

namespace marlo {

void SelectFormats(FormatOptions& options, FileFormat from, FileFormat to) {
    options.optGEOin.selected = from == FileFormat::GeoTIFF;
    options.optTABin.selected = from == FileFormat::TAB;
    options.optTFWin.selected = from == FileFormat::TFW;
    options.optGEO.selected = to == FileFormat::GeoTIFF;
    options.optTAB.selected = to == FileFormat::TAB;
    options.optTFW.selected = to == FileFormat::TFW;
}

namespace {

struct KnownFormat {
    FileFormat format;
    const char* name;
    std::vector<std::string> extensions;
};

const std::vector<KnownFormat>& KnownFormats() {
    static const std::vector<KnownFormat> known = {
        {FileFormat::GeoTIFF, "geotiff", {"tif", "tiff"}},
        {FileFormat::TAB, "tab", {"tab"}},
        {FileFormat::TFW, "tfw", WorldFileExtensions()}};
    return known;
}

template <class Button>
Button& OptionOf(Button& geo, Button& tab, Button& tfw, FileFormat format) {
    switch (format) {
        case FileFormat::GeoTIFF:
            return geo;
        case FileFormat::TAB:
            return tab;
        case FileFormat::TFW:
            return tfw;
        default:
            throw RunTimeError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    }
}

FileFormat FirstSelected(const OptionButton& geo, const OptionButton& tab,
                         const OptionButton& tfw) {
    for (const KnownFormat& known : KnownFormats()) {
        if (OptionOf(geo, tab, tfw, known.format).selected) {
            return known.format;
        }
    }
    return FileFormat::None;
}

std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

}  // namespace

OptionButton& InputOption(FormatOptions& options, FileFormat format) {
    return OptionOf(options.optGEOin, options.optTABin, options.optTFWin, format);
}

OptionButton& OutputOption(FormatOptions& options, FileFormat format) {
    return OptionOf(options.optGEO, options.optTAB, options.optTFW, format);
}

FileFormat SelectedInput(const FormatOptions& options) {
    return FirstSelected(options.optGEOin, options.optTABin, options.optTFWin);
}

FileFormat SelectedOutput(const FormatOptions& options) {
    return FirstSelected(options.optGEO, options.optTAB, options.optTFW);
}

FileFormat FormatNamed(const std::string& name) {
    for (const KnownFormat& known : KnownFormats()) {
        if (name == known.name) {
            return known.format;
        }
    }
    return FileFormat::None;
}

const char* NameOfFormat(FileFormat format) {
    for (const KnownFormat& known : KnownFormats()) {
        if (format == known.format) {
            return known.name;
        }
    }
    return "";
}

FileFormat FormatOfFileName(const std::string& path) {
    const std::string name = GetFileNameAndType(path);
    const auto dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : LowerCase(name.substr(dot + 1));
    for (const KnownFormat& known : KnownFormats()) {
        for (const std::string& candidate : known.extensions) {
            if (extension == candidate) {
                return known.format;
            }
        }
    }
    return IsWorldFileName(path) ? FileFormat::TFW : FileFormat::None;
}

}  // namespace marlo
