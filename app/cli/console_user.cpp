#include "cli/console_user.h"

#include "conversion/paths.h"

namespace marlo::cli {

namespace {
// Message boxes break lines with CR LF or a lone CR; a terminal wants LF.
std::string ForTerminal(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}
}  // namespace

void ConsoleUser::ShowMessage(const std::string& text, MessageIcon, const std::string& title) {
    if (!title.empty()) {
        errors_ << title << ":\n";
    }
    errors_ << ForTerminal(text) << '\n';
}

std::string ConsoleUser::ShowOpenFileDialog(const OpenFileDialogRequest& request) {
    // The projection list's locate dialog asks for one file; the input dialog for several.
    if (!request.multiSelect) {
        return answers_.projectionFile;
    }
    if (answers_.files.empty()) {
        return {};
    }
    if (answers_.files.size() == 1) {
        return answers_.files.front();
    }
    std::string selection = GetFilePath(answers_.files.front());
    if (selection.size() > 1) {
        selection.pop_back();  // the folder without its trailing separator
    }
    for (const std::string& file : answers_.files) {
        selection += '\0';
        selection += GetFileNameAndType(file);
    }
    return selection;
}

std::string ConsoleUser::BrowseForFolder(const std::string&) { return answers_.outputDirectory; }

void ConsoleUser::ShowErrorReport(const std::string& report) {
    errors_ << ForTerminal(report) << '\n';
}

void ConsoleUser::ShowProjectionWindow(ProjectionWindow&) {
    // Answered from --group and --projection once the projection window exists; until then
    // closing it unanswered is a cancel.
}

}  // namespace marlo::cli
