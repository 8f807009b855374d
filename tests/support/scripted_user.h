#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "errors/error_report.h"
#include "platform/user_interaction.h"

namespace marlo::test {

// A user that answers what the test tells it to and records everything it was shown.
class ScriptedUser final : public UserInteraction, public ErrorReportViewer {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
        std::string title;
    };

    // Answers, taken in order; an exhausted queue answers with a cancel ("").
    std::deque<std::string> fileDialogAnswers;
    std::deque<std::string> folderAnswers;
    // Drives the projection window while it is shown; unset closes it at once, or answers "no
    // coordinate system" where that is offered.
    std::function<void(ProjectionWindow&)> projectionWindowScript;
    // Answers to the question about outputs that exist before a run; none left cancels.
    std::deque<ExistingAnswer> existingAnswers;
    // Asked before each file of a run; false stops the run there. Unset goes on.
    std::function<bool(const RunProgress&)> progressScript;

    // What was shown.
    std::vector<Message> messages;
    std::vector<OpenFileDialogRequest> fileDialogs;
    std::vector<std::string> folderPrompts;
    std::vector<std::string> folderStarts;
    std::vector<RunProgress> progress;
    int progressEnded = 0;
    std::vector<std::string> errorReports;
    std::vector<std::string> openedUrls;
    int projectionWindowsShown = 0;
    // The questions about existing outputs: how many exist, of how many, and the example.
    std::vector<std::string> existingQuestions;

    // Answers the file dialog with one file, or with a folder and several names.
    void AnswerFiles(const std::string& fullPath);
    void AnswerFiles(const std::string& folder, const std::vector<std::string>& names);

    // The texts of all messages, in order.
    std::vector<std::string> MessageTexts() const;

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& title) override;
    std::vector<std::string> ShowOpenFileDialog(const OpenFileDialogRequest& request) override;
    std::string BrowseForFolder(const std::string& prompt,
                                const std::string& initialFolder) override;
    bool ShowProgress(const RunProgress& progress) override;
    void EndProgress() override { ++progressEnded; }
    void ShowErrorReport(const std::string& report) override;
    void ShowProjectionWindow(ProjectionWindow& window) override;
    void OpenUrl(const std::string& url) override;
    ExistingAnswer AskAboutExistingOutputs(std::size_t existing, std::size_t total,
                                           const std::string& example) override;
};

}  // namespace marlo::test
