#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "errors/error_report.h"
#include "platform/user_interaction.h"

namespace marlo::cli {

// What the command line answers to the questions a run asks.
struct Answers {
    std::vector<std::string> files;  // full paths, all in one folder
    std::string outputDirectory;     // "" answers the folder picker with a cancel
    std::string group;
    std::string projection;
    std::string projectionFile;
    bool keepGoing = false;
};

// The user of a headless run: questions are answered from the command line, every message
// box and error report is printed to the error stream.
class ConsoleUser final : public UserInteraction, public ErrorReportViewer {
public:
    ConsoleUser(Answers answers, std::ostream& errors)
        : answers_(std::move(answers)), errors_(errors) {}

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& title) override;
    std::string ShowOpenFileDialog(const OpenFileDialogRequest& request) override;
    std::string BrowseForFolder(const std::string& prompt, const std::string&) override;
    void ShowErrorReport(const std::string& report) override;
    void ShowProjectionWindow(ProjectionWindow& window) override;
    void OpenUrl(const std::string&) override {}

private:
    Answers answers_;
    std::ostream& errors_;
};

}  // namespace marlo::cli
