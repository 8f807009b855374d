#include "conversion/file_selection.h"

#include "platform/file_selection_text.h"
#include "state/folder_checks.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

// The file dialog's filter for a format.
const char* FilterOf(FileFormat format) {
    switch (format) {
        case FileFormat::GeoTIFF:
            return "GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|";
        case FileFormat::TAB:
            return "TAB (*.tab)|*.tab";
        case FileFormat::TFW:
            return "TFW (*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld)|"
                   "*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld";
        default:
            return "";
    }
}

OpenFileDialogRequest FileDialogRequest(const RunChoices& choices, FileFormat format) {
    OpenFileDialogRequest request;
    request.title = MessageText(msg::SelectFiles);
    request.filter = FilterOf(format);
    request.filterIndex = 1;
    request.multiSelect = true;
    request.initialFolder = choices.rememberedInputFolder;
    if (!choices.preselectedNames.empty()) {
        request.initialFolder = choices.preselectedFolder;
        request.preselectedNames = choices.preselectedNames;
    }
    return request;
}

}  // namespace

std::optional<ChosenFiles> AddFiles(Environment& env, const RunChoices& choices) {
    std::optional<ChosenFiles> chosen;
    RunProcedure(env.errorReport, "AddFiles", ErrorLevel::HandOn, [&] {
        const FileFormat format = SelectedInput(choices.options);
        const std::string selection = env.ui.ShowOpenFileDialog(FileDialogRequest(choices, format));
        if (selection.empty()) {
            return;
        }
        FileSelection decoded = DecodeFileSelection(selection);
        // The program counts files in 16 bits: more is an overflow, before any is converted.
        if (CountAsInt16(decoded.names.size()) < 1) {
            throw Refusal(MessageText(msg::NoFilesToConvert), MessageIcon::Information);
        }
        chosen = ChosenFiles{format, std::move(decoded.folder), std::move(decoded.names)};
    });
    return chosen;
}

std::string WyszukiwanieKatalogu(Environment& env, const std::string& sPrompt,
                                 const std::string& initialFolder) {
    std::string folder;
    RunProcedure(env.errorReport, "WyszukiwanieKatalogu", ErrorLevel::Report,
                 [&] { folder = env.ui.BrowseForFolder(sPrompt, initialFolder); });
    return folder;
}

std::string OutputPickerStart(const FileSystemService& files, const std::string& remembered,
                              const std::string& inputFolder) {
    if (!remembered.empty() && remembered != inputFolder && files.FolderExists(remembered)) {
        return remembered;
    }
    const std::string above = FolderOfPath(inputFolder);
    return above.empty() ? "/" : above;
}

}  // namespace marlo
