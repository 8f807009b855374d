#include "projection/projection_choice.h"

#include <filesystem>
#include <optional>

#include "platform/program_folders.h"
#include "projection/projection_list.h"
#include "projection/projection_window.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {

namespace {

constexpr const char* kProjectionListName = "mapinfow.prj";
OpenFileDialogRequest LocateDialogRequest(const Environment& env) {
    OpenFileDialogRequest request;
    request.title = env.texts.Message(msg::LocateMapInfoProjectionFile);
    request.filter = env.texts.Message(msg::MapInfoProjectionFile) + "(mapinfow.prj)|mapinfow.prj";
    request.filterIndex = 1;
    request.initialFolder = env.folders.shippedProjectionFolder;
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

// The lines of the list at `path`; refuses a list cut short, which is never used.
std::vector<std::string> WholeList(const Environment& env, const std::string& path) {
    std::vector<std::string> lines = ReadProjectionLines(env.fileSystem, path);
    if (!IsWholeProjectionList(lines)) {
        throw Refusal(env.texts.MessageWithPath(msg::ProjectionListDamaged, path),
                      MessageIcon::Critical);
    }
    return lines;
}

// Refuses a list file that is gone.
void RequireListFile(const Environment& env, const std::string& path) {
    if (!env.fileSystem.FileExists(path)) {
        throw Refusal(env.texts.MessageWithPath(msg::FileNotFound, path), MessageIcon::Critical);
    }
}

// Copies the chosen list into the per-user folder, where later runs find it. The copy replaces
// the old one only when complete, and replaces a link in its place rather than writing through
// it; a copy that fails is an error of the run.
std::string KeptInProgramFolder(Environment& env, const std::string& chosen) {
    const std::string& userDataFolder = env.folders.userDataFolder;
    const std::string located = JoinPath(userDataFolder, kProjectionListName);
    MakeFolder(userDataFolder);
    std::error_code ec;
    if (!std::filesystem::equivalent(chosen, located, ec)) {
        env.fileSystem.WriteBytesFile(located, env.fileSystem.ReadTextBytes(chosen));
    }
    return located;
}

// The list at `path`, made the one in use; refuses a list that is gone or not whole.
std::string KeptWholeList(Environment& env, const std::string& path) {
    RequireListFile(env, path);
    WholeList(env, path);
    return KeptInProgramFolder(env, path);
}

// The list the user picks in the locate dialog; "" when the user cancels it.
std::string ListPicked(const Environment& env, UserInteraction& ui) {
    const std::vector<std::string> chosen = ui.ShowOpenFileDialog(LocateDialogRequest(env));
    return chosen.empty() ? std::string() : chosen.front();
}

// The located list; "" when the user cancels the locate dialog.
std::string LocateProjectionList(Environment& env, UserInteraction& ui) {
    const std::string chosen = ListPicked(env, ui);
    return chosen.empty() ? chosen : KeptWholeList(env, chosen);
}

// The window's "another list" button: a refusal is shown and the window stays as it was, but a
// list cut short ends the run once the window closes, whatever is chosen in it.
std::string LocateAnotherList(Environment& env, UserInteraction& ui, bool& damagedListChosen) {
    const std::string chosen = ListPicked(env, ui);
    if (chosen.empty()) {
        return chosen;
    }
    try {
        RequireListFile(env, chosen);
        try {
            WholeList(env, chosen);
        } catch (const Refusal&) {
            damagedListChosen = true;
            throw;
        }
        return KeptInProgramFolder(env, chosen);
    } catch (const Refusal& refusal) {
        ui.Show(refusal);
        return {};
    }
}

// The list located earlier, else the one shipped with the program; "" when there is neither.
std::string ProjectionListInUse(const Environment& env) {
    for (const std::string& folder :
         {env.folders.userDataFolder, env.folders.shippedProjectionFolder}) {
        if (HoldsProjectionList(folder)) {
            return JoinPath(folder, kProjectionListName);
        }
    }
    return {};
}

ProjectionAnswer ChooseProjection(Environment& env, UserInteraction& ui,
                                  const ProjectionQuestion& question) {
    using Kind = ProjectionAnswer::Kind;
    const std::string& userDataFolder = env.folders.userDataFolder;
    // A GeoTIFF may go without a system: without a list to choose from, it does, unasked.
    if (question.noSystemOffered && (userDataFolder.empty() || ProjectionListInUse(env).empty())) {
        return {Kind::Chosen, ""};
    }
    if (userDataFolder.empty()) {
        // Without it the list would be looked for, and copied, at the root of the file system.
        throw RunTimeError(err::PathFileAccessError, "Path/File access error: no program folder");
    }
    std::string listPath = ProjectionListInUse(env);
    if (listPath.empty()) {
        listPath = LocateProjectionList(env, ui);
        if (listPath.empty()) {
            return {Kind::Cancelled, ""};
        }
    } else {
        WholeList(env, listPath);
    }
    bool damagedListChosen = false;
    ProjectionChooser window(
        BridgeOf(env), ui, env.fileSystem, question, listPath,
        [&] { return LocateAnotherList(env, ui, damagedListChosen); },
        ReadProjectionAliases(env.fileSystem, env.folders.shippedProjectionFolder));
    window.Load();
    ui.ShowProjectionWindow(window);
    if (damagedListChosen) {
        return {Kind::Failed, ""};
    }
    const auto& result = window.Result();
    return result ? ProjectionAnswer{Kind::Chosen, *result} : ProjectionAnswer{Kind::Cancelled, ""};
}

}  // namespace

void UseProjectionList(Environment& env, const std::string& path) {
    KeptWholeList(env, path);
}

ProjectionAnswer AskForProjection(Environment& env, UserInteraction& ui,
                                  const ProjectionQuestion& question) {
    ReportedResult<ProjectionAnswer> answer = RunReporting(
        Procedure::ChooseProjection, [&] { return ChooseProjection(env, ui, question); });
    answer.value.error = std::move(answer.error);
    return answer.value;
}

std::vector<std::string> CodeList(const Environment& env) {
    const std::string listPath = ProjectionListInUse(env);
    if (listPath.empty()) {
        return {};
    }
    return WholeList(env, listPath);
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
