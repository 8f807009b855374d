#include "conversion/file_selection.h"

#include "state/folder_checks.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

constexpr std::uint32_t kOpenFileFlags = 0x281204;

struct InputChoice {
    FileFormat format;
    const char* filter;
};

// The first selected "Convert from:" option wins; none selected keeps the previous format.
InputChoice ChosenInput(const ConversionContext& form) {
    if (form.options.optGEOin.selected) {
        return {format::GeoTIFF, "GeoTiff (*.tif)|*.tif|"};
    }
    if (form.options.optTABin.selected) {
        return {format::TAB, "TAB (*.tab)|*.tab"};
    }
    if (form.options.optTFWin.selected) {
        return {format::TFW, "TFW (*.tfw)|*.tfw"};
    }
    return {form.inputFormat, ""};
}

// One full path, or the folder followed by the names, separated by NUL characters.
void TakeSelection(ConversionContext& form, const std::string& selection) {
    const auto nul = selection.find('\0');
    if (nul == std::string::npos) {
        const auto slash = selection.rfind('/');
        if (slash == std::string::npos) {
            form.inputFolder.clear();
            form.inputFiles.push_back(selection);
        } else {
            // A file directly in "/" keeps "/" as its folder: "" would be no folder at all.
            form.inputFolder = slash == 0 ? "/" : selection.substr(0, slash);
            form.inputFiles.push_back(selection.substr(slash + 1));
        }
        return;
    }
    form.inputFolder = selection.substr(0, nul);
    std::size_t start = nul + 1;
    while (start <= selection.size()) {
        auto end = selection.find('\0', start);
        if (end == std::string::npos) {
            end = selection.size();
        }
        form.inputFiles.push_back(selection.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

void AddFiles(ConversionContext& form) {
    RunProcedure(form.errorReport, "AddFiles", ErrorLevel::HandOn, [&] {
        form.inputFiles.clear();
        const InputChoice choice = ChosenInput(form);
        form.inputFormat = choice.format;

        OpenFileDialogRequest request;
        request.title = MessageText(msg::SelectFiles);
        request.filter = choice.filter;
        request.filterIndex = 1;
        request.flags = kOpenFileFlags;
        request.maxFileNameLength = 32000;
        request.multiSelect = true;
        const std::string selection = form.ui.ShowOpenFileDialog(request);
        if (selection.empty()) {
            form.conversionFailed = true;
            return;
        }
        TakeSelection(form, selection);
        form.fileCount = CountAsInt16(form.inputFiles.size());
        if (form.fileCount < 1) {
            form.Fail(MessageText(msg::NoFilesToConvert), MessageIcon::Information);
        }
    });
}

std::string WyszukiwanieKatalogu(ConversionContext& form, const std::string& sPrompt) {
    std::string folder;
    RunProcedure(form.errorReport, "WyszukiwanieKatalogu", ErrorLevel::Report,
                 [&] { folder = form.ui.BrowseForFolder(sPrompt); });
    return folder;
}

}  // namespace marlo
