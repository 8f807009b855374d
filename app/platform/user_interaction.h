#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/failures.h"

namespace marlo {

// The projection window's model; the core drives it, the front end shows it.
class ProjectionWindow;

// How the open-file dialog is set up before it is shown. `filter` uses the
// "Description|pattern|Description|pattern" form; patterns match in any letter case.
struct OpenFileDialogRequest {
    std::string title;
    std::string filter;
    std::int32_t filterIndex = 1;
    std::string initialFolder;
    bool multiSelect = false;
};

// Where a run stands before it converts a file: the file's number (from 1), how many the run
// has, and the file's name.
struct RunProgress {
    std::size_t file = 0;
    std::size_t count = 0;
    std::string name;
};

// The answer to a run whose outputs exist before it.
enum class ExistingAnswer { ReplaceAll, SkipExisting, Cancel };

// Everything the core shows to the user or asks of the user goes through this interface.
// The Qt window, the headless front end and the tests each implement it; every call is
// modal: it returns when the user has answered.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // One OK button. An empty title means the application's own title.
    void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title = "") {
        ShowMessageBox(text, icon, title);
    }
    // A refusal's message box.
    void Show(const Refusal& refusal) { ShowMessage(refusal.text, refusal.icon, refusal.title); }

    // The chosen files' full paths, in the order the dialog lists them; none on cancel.
    virtual std::vector<std::string> ShowOpenFileDialog(const OpenFileDialogRequest& request) = 0;

    // Returns the chosen folder, or "" on cancel. The picker opens in initialFolder when it
    // is given.
    virtual std::string BrowseForFolder(const std::string& prompt,
                                        const std::string& initialFolder) = 0;

    // Shows the projection window modally and lets the user drive it until it closes.
    virtual void ShowProjectionWindow(ProjectionWindow& window) = 0;

    // Asked once before the first file of a run when `existing` of its `total` outputs exist
    // already (`example` is one of them). Without anyone to ask the run does not start.
    virtual ExistingAnswer AskAboutExistingOutputs(std::size_t existing, std::size_t total,
                                                   const std::string& example) {
        (void)existing, (void)total, (void)example;
        return ExistingAnswer::Cancel;
    }

    // Opens a web address in the user's browser; failures are ignored.
    virtual void OpenUrl(const std::string& url) = 0;

    // Shows how far a run has come, before each of its files. False when the user asked to
    // stop: the run then ends before this file. Without a display the run always goes on.
    virtual bool ShowProgress(const RunProgress&) { return true; }
    // The run is over; its progress display goes away.
    virtual void EndProgress() {}

protected:
    virtual void ShowMessageBox(const std::string& text, MessageIcon icon,
                                const std::string& title) = 0;
};

}  // namespace marlo
