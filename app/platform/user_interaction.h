#pragma once

#include <cstdint>
#include <string>

#include "platform/projection_window.h"

namespace marlo {

// Message texts break their lines as message boxes expect.
inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kCr = "\r";

// Message box icons, with the values the message box style uses.
enum class MessageIcon : std::int32_t { None = 0, Critical = 16, Information = 64 };

// How the open-file dialog is set up before it is shown. `filter` uses the
// "Description|pattern|Description|pattern" form; patterns match in any letter case.
struct OpenFileDialogRequest {
    std::string title;
    std::string filter;
    std::int32_t filterIndex = 1;
    std::uint32_t flags = 0;
    std::string initialFolder;
    std::size_t maxFileNameLength = 32000;
    bool multiSelect = false;
};

// Everything the core shows to the user or asks of the user goes through this interface.
// The Qt window, the headless front end and the tests each implement it; every call is
// modal: it returns when the user has answered.
class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // One OK button. An empty title means the application's own title.
    virtual void ShowMessage(const std::string& text, MessageIcon icon,
                             const std::string& title = "") = 0;

    // Returns "" on cancel; one full path for one file; for several files the folder
    // followed by each name, all separated by NUL characters.
    virtual std::string ShowOpenFileDialog(const OpenFileDialogRequest& request) = 0;

    // Returns the chosen folder, or "" on cancel.
    virtual std::string BrowseForFolder(const std::string& prompt) = 0;

    // Shows the projection window modally and lets the user drive it until it closes.
    virtual void ShowProjectionWindow(ProjectionWindow& window) = 0;

    // Opens a web address in the user's browser; failures are ignored.
    virtual void OpenUrl(const std::string& url) = 0;
};

}  // namespace marlo
