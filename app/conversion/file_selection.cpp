#include "conversion/file_selection.h"

#include "conversion/planning.h"
#include "files/folder_checks.h"
#include "text/catalogue.h"
#include "values/paths.h"

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
            // Besides GDAL's usual names, any the program writes beside an image:
            // first and last letter of its extension and "w", or the extension and "w".
            return "TFW (*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld;*.??w;*.???w;*.????w)|"
                   "*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld;*.??w;*.???w;*.????w";
        default:
            return "";
    }
}

OpenFileDialogRequest FileDialogRequest(const Texts& texts, const RunChoices& choices,
                                        FileFormat format) {
    OpenFileDialogRequest request;
    request.title = texts.Message(msg::SelectFiles);
    request.filter = FilterOf(format);
    request.filterIndex = 1;
    request.multiSelect = true;
    request.initialFolder = choices.rememberedInputFolder;
    return request;
}

}  // namespace

std::optional<ChosenFiles> AddFiles(const Texts& texts, UserInteraction& ui,
                                    const RunChoices& choices) {
    return RunHandingOn(Procedure::AddFiles, [&]() -> std::optional<ChosenFiles> {
        std::optional<ChosenFiles> chosen = choices.files;
        if (!chosen) {
            const FileFormat format = SelectedInput(choices.options);
            const auto paths = ui.ShowOpenFileDialog(FileDialogRequest(texts, choices, format));
            if (paths.empty()) {
                return std::nullopt;
            }
            chosen = FilesFromPaths(format, paths);
        }
        if (chosen->names.empty()) {
            throw Refusal(texts.Message(msg::NoFilesToConvert), MessageIcon::Information);
        }
        return chosen;
    });
}

ReportedResult<std::string> AskForFolder(UserInteraction& ui, const std::string& prompt,
                                         const std::string& initialFolder) {
    return RunReporting(Procedure::AskForFolder,
                        [&] { return ui.BrowseForFolder(prompt, initialFolder); });
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
