#include "conversion/file_selection.h"

#include "platform/file_selection_text.h"
#include "state/folder_checks.h"
#include "state/format_options.h"
#include "state/paths.h"
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
    switch (SelectedInput(form.options)) {
        case format::GeoTIFF:
            return {format::GeoTIFF, "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|"};
        case format::TAB:
            return {format::TAB, "TAB (*.tab)|*.tab"};
        case format::TFW:
            return {format::TFW, "TFW (*.tfw)|*.tfw"};
        default:
            return {form.inputFormat, ""};
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
        request.initialFolder = form.rememberedInputFolder;
        if (!form.preselectedNames.empty()) {
            request.initialFolder = form.preselectedFolder;
            request.preselectedNames = form.preselectedNames;
        }
        const std::string selection = form.ui.ShowOpenFileDialog(request);
        if (selection.empty()) {
            form.conversionFailed = true;
            return;
        }
        FileSelection chosen = DecodeFileSelection(selection);
        form.inputFolder = std::move(chosen.folder);
        form.inputFiles = std::move(chosen.names);
        form.fileCount = CountAsInt16(form.inputFiles.size());
        if (form.fileCount < 1) {
            form.Fail(MessageText(msg::NoFilesToConvert), MessageIcon::Information);
        }
    });
}

std::string WyszukiwanieKatalogu(ConversionContext& form, const std::string& sPrompt,
                                 const std::string& initialFolder) {
    std::string folder;
    RunProcedure(form.errorReport, "WyszukiwanieKatalogu", ErrorLevel::Report,
                 [&] { folder = form.ui.BrowseForFolder(sPrompt, initialFolder); });
    return folder;
}

std::string OutputPickerStart(const ConversionContext& form) {
    const std::string& remembered = form.rememberedOutputFolder;
    if (!remembered.empty() && remembered != form.inputFolder &&
        form.fileSystem.FolderExists(remembered)) {
        return remembered;
    }
    const std::string above = FolderOfPath(form.inputFolder);
    return above.empty() ? "/" : above;
}

}  // namespace marlo
