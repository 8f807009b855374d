#include "projection/projection_choice.h"

#include <filesystem>

#include "platform/program_folders.h"
#include "projection/projection_list.h"
#include "projection/projection_window.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

constexpr const char* kProjectionListName = "mapinfow.prj";
constexpr const char* kNoChoice = "error";
// OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES
constexpr std::uint32_t kLocateDialogFlags = 2625540;

OpenFileDialogRequest LocateDialogRequest(const ConversionContext& form) {
    OpenFileDialogRequest request;
    request.title = MessageText(msg::LocateMapInfoProjectionFile);
    request.filter = MessageText(msg::MapInfoProjectionFile) + "(mapinfow.prj)|mapinfow.prj";
    request.filterIndex = 1;
    request.flags = kLocateDialogFlags;
    request.initialFolder = form.shippedProjectionFolder;
    request.maxFileNameLength = 32000;
    request.multiSelect = false;
    return request;
}

void MakeFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: " + folder);
    }
}

// Asks the user for the projection list and copies it to listPath; false when there is none.
bool LocateProjectionList(ConversionContext& form, const std::string& listPath) {
    const std::string chosen = form.ui.ShowOpenFileDialog(LocateDialogRequest(form));
    if (chosen.empty()) {
        form.conversionFailed = true;
        return false;
    }
    if (!form.fileSystem.FileExists(chosen)) {
        form.Fail(MessageWithPath(msg::FileNotFound, chosen), MessageIcon::Critical);
        return false;
    }
    MakeFolder(form.programFolder);
    form.fileSystem.CopyFile(chosen, listPath, true);
    return true;
}

std::string ChooseProjection(ConversionContext& form) {
    if (form.programFolder.empty()) {
        // Without it the list would be looked for, and copied, at the root of the file system.
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: no program folder");
    }
    const std::string listPath = JoinPath(form.programFolder, kProjectionListName);
    if (!form.fileSystem.FileExists(listPath) && !LocateProjectionList(form, listPath)) {
        return kNoChoice;
    }
    ProjectionChooser window(form, listPath);
    window.Load();
    form.ui.ShowProjectionWindow(window);
    if (window.Result() == kNoChoice) {
        form.conversionFailed = true;
    }
    return window.Result();
}

bool HoldsProjectionList(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() &&
           std::filesystem::is_regular_file(JoinPath(folder, kProjectionListName), ec);
}

}  // namespace

std::string UstalenieProjekcji(ConversionContext& form) {
    std::string choice;
    RunProcedure(form.errorReport, "UstalenieProjekcji", ErrorLevel::Report,
                 [&] { choice = ChooseProjection(form); });
    return choice;
}

std::vector<std::string> CodeList(ConversionContext& form) {
    for (const std::string& folder : {form.programFolder, form.shippedProjectionFolder}) {
        if (HoldsProjectionList(folder)) {
            return ReadProjectionLines(form, JoinPath(folder, kProjectionListName));
        }
    }
    return {};
}

std::string ShippedProjectionFolder() {
    const std::string programFolder = ProgramFolder();
    const std::string candidates[] = {
        programFolder.empty() ? std::string()
                              : GetAbsolutePath(programFolder + "/", "../share/marlo/projections"),
        std::string(MARLO_DATA_INSTALL_DIR) + "/projections"};
    for (const std::string& folder : candidates) {
        if (HoldsProjectionList(folder)) {
            return folder;
        }
    }
    return {};
}

}  // namespace marlo
