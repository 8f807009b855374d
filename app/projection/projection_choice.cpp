#include "projection/projection_choice.h"

#include <filesystem>
#include <optional>

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

bool HoldsProjectionList(const std::string& folder) {
    std::error_code ec;
    return !folder.empty() &&
           std::filesystem::is_regular_file(JoinPath(folder, kProjectionListName), ec);
}

// The lines of the list at `path` when it is whole; else a message says so, and the run stops:
// a list cut short is never used.
std::optional<std::vector<std::string>> WholeList(ConversionContext& form,
                                                  const std::string& path) {
    std::vector<std::string> lines = ReadProjectionLines(form, path);
    if (IsWholeProjectionList(lines)) {
        return lines;
    }
    form.ui.ShowMessage(MessageWithPath(msg::ProjectionListDamaged, path), MessageIcon::Critical);
    form.conversionFailed = true;
    return std::nullopt;
}

// Asks the user for the projection list and copies it into the per-user folder, where later
// runs find it; "" when the user cancels, the file is gone or is not whole (which a message
// says). The copy replaces the old one only when complete, and replaces a link in its place
// rather than writing through it; a copy that fails is an error of the run.
std::string LocateProjectionList(ConversionContext& form) {
    const std::string chosen = form.ui.ShowOpenFileDialog(LocateDialogRequest(form));
    if (chosen.empty()) {
        return {};
    }
    if (!form.fileSystem.FileExists(chosen)) {
        form.ui.ShowMessage(MessageWithPath(msg::FileNotFound, chosen), MessageIcon::Critical);
        return {};
    }
    if (!WholeList(form, chosen)) {
        return {};
    }
    const std::string located = JoinPath(form.programFolder, kProjectionListName);
    MakeFolder(form.programFolder);
    std::error_code ec;
    if (!std::filesystem::equivalent(chosen, located, ec)) {
        form.fileSystem.WriteBytesFile(located, form.fileSystem.ReadTextBytes(chosen));
    }
    return located;
}

// The list located earlier, else the one shipped with the program; "" when there is neither.
std::string ProjectionListInUse(const ConversionContext& form) {
    for (const std::string& folder : {form.programFolder, form.shippedProjectionFolder}) {
        if (HoldsProjectionList(folder)) {
            return JoinPath(folder, kProjectionListName);
        }
    }
    return {};
}

std::string ChooseProjection(ConversionContext& form) {
    // A GeoTIFF may go without a system: without a list to choose from, it does, unasked.
    const bool systemOptional = form.outputFormat == format::GeoTIFF;
    if (systemOptional && (form.programFolder.empty() || ProjectionListInUse(form).empty())) {
        return {};
    }
    if (form.programFolder.empty()) {
        // Without it the list would be looked for, and copied, at the root of the file system.
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: no program folder");
    }
    std::string listPath = ProjectionListInUse(form);
    if (listPath.empty()) {
        listPath = LocateProjectionList(form);
        if (listPath.empty()) {
            form.conversionFailed = true;
            return kNoChoice;
        }
    } else if (!WholeList(form, listPath)) {
        return kNoChoice;
    }
    ProjectionChooser window(form, listPath, [&form] { return LocateProjectionList(form); });
    window.Load();
    form.ui.ShowProjectionWindow(window);
    if (window.Result() == kNoChoice) {
        form.conversionFailed = true;
    }
    return window.Result();
}

}  // namespace

std::string UstalenieProjekcji(ConversionContext& form) {
    std::string choice;
    // After a reported failure the run must not go on as if a choice had been made.
    if (!RunProcedure(form.errorReport, "UstalenieProjekcji", ErrorLevel::Report,
                      [&] { choice = ChooseProjection(form); })) {
        form.conversionFailed = true;
    }
    return choice;
}

std::vector<std::string> CodeList(ConversionContext& form) {
    const std::string listPath = ProjectionListInUse(form);
    if (listPath.empty()) {
        return {};
    }
    return WholeList(form, listPath).value_or(std::vector<std::string>{});
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
