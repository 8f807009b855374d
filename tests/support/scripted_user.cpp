#include "support/scripted_user.h"

#include "projection/projection_window_interface.h"
#include "support/file_selection_text.h"

namespace marlo::test {

namespace {
std::string TakeFront(std::deque<std::string>& answers) {
    if (answers.empty()) {
        return {};
    }
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}
}  // namespace

void ScriptedUser::AnswerFiles(const std::string& fullPath) {
    fileDialogAnswers.push_back(fullPath);
}

void ScriptedUser::AnswerFiles(const std::string& folder, const std::vector<std::string>& names) {
    fileDialogAnswers.push_back(EncodeFileSelection(folder, names));
}

std::vector<std::string> ScriptedUser::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        texts.push_back(message.text);
    }
    return texts;
}

void ScriptedUser::ShowMessageBox(const std::string& text, MessageIcon icon,
                                  const std::string& title) {
    messages.push_back({text, icon, title});
}

std::vector<std::string> ScriptedUser::ShowOpenFileDialog(const OpenFileDialogRequest& request) {
    fileDialogs.push_back(request);
    const std::string answer = TakeFront(fileDialogAnswers);
    if (answer.empty()) {
        return {};
    }
    const FileSelection selection = DecodeFileSelection(answer);
    std::vector<std::string> paths;
    for (const std::string& name : selection.names) {
        paths.push_back(selection.folder == "/" ? "/" + name : selection.folder + "/" + name);
    }
    return paths;
}

std::string ScriptedUser::BrowseForFolder(const std::string& prompt,
                                          const std::string& initialFolder) {
    folderPrompts.push_back(prompt);
    folderStarts.push_back(initialFolder);
    return TakeFront(folderAnswers);
}

bool ScriptedUser::ShowProgress(const RunProgress& shown) {
    progress.push_back(shown);
    return !progressScript || progressScript(shown);
}

void ScriptedUser::ShowErrorReport(const std::string& report) {
    errorReports.push_back(report);
}

void ScriptedUser::ShowProjectionWindow(ProjectionWindow& window) {
    ++projectionWindowsShown;
    if (projectionWindowScript) {
        projectionWindowScript(window);
    } else if (window.NoSystemOffered()) {
        // GeoTIFFs made from world files: "no coordinate system", as marlo-convert answers.
        window.SetNoSystem(true);
        window.Confirm();
    }
}

void ScriptedUser::OpenUrl(const std::string& url) {
    openedUrls.push_back(url);
}

ExistingAnswer ScriptedUser::AskAboutExistingOutputs(std::size_t existing, std::size_t total,
                                                     const std::string& example) {
    existingQuestions.push_back(std::to_string(existing) + " of " + std::to_string(total) + ": " +
                                example);
    if (existingAnswers.empty()) {
        return ExistingAnswer::Cancel;
    }
    const ExistingAnswer answer = existingAnswers.front();
    existingAnswers.pop_front();
    return answer;
}

}  // namespace marlo::test
