#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <memory>

#include "errors/error_report.h"
#include "platform/user_interaction.h"
#include "text/catalogue.h"

class QProgressDialog;
class QWidget;

namespace marlo::ui {

// The Qt side of every dialog and message the core shows. Each dialog is built here and then
// handed to `runModal`, which shows it modally by default; tests replace it to answer the
// dialog themselves.
class QtUserInteraction final : public UserInteraction, public ErrorReportViewer {
public:
    explicit QtUserInteraction(QWidget* owner = nullptr);
    ~QtUserInteraction() override;

    // The dialogs' own captions speak the language of `texts` (the Environment's, which is
    // made after its error reports' viewer); English until then.
    void UseTexts(const Texts& texts) { texts_ = &texts; }

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& title) override;
    std::vector<std::string> ShowOpenFileDialog(const OpenFileDialogRequest& request) override;
    std::string BrowseForFolder(const std::string& prompt,
                                const std::string& initialFolder) override;
    void ShowErrorReport(const std::string& report) override;
    void ShowProjectionWindow(ProjectionWindow& window) override;
    void OpenUrl(const std::string& url) override;
    bool ShowProgress(const RunProgress& progress) override;
    void EndProgress() override;
    ExistingAnswer AskAboutExistingOutputs(std::size_t existing, std::size_t total,
                                           const std::string& example) override;

    // The save dialog: the chosen path, "" on cancel. It opens on `suggested` (a full path)
    // and belongs to `parent` (the window that asked), else to the usual owner.
    std::string AskSaveFileName(const std::string& title, const std::string& filter,
                                const std::string& suggested, QWidget* parent = nullptr);

    // Shows a dialog and returns its result code.
    std::function<int(QDialog&)> runModal;
    // Hands an address to the desktop's browser or file manager; false when none took it.
    std::function<bool(const QString&)> openUrl;
    // Called after each progress update; tests press Cancel through it.
    std::function<void(QProgressDialog&)> progressShown;
    // How long a run goes before its progress window appears: short runs do without it.
    int progressDelayMs = 400;
    // How often the progress window is brought up to date: a file takes a millisecond, a
    // repaint more.
    int progressIntervalMs = 50;

private:
    QWidget* DialogParent() const;

    Texts english_;
    const Texts* texts_ = &english_;
    QWidget* owner_;
    std::unique_ptr<QProgressDialog> progress_;
    QElapsedTimer progressUpdated_;
};

// Object names of the dialogs, for whoever needs to tell them apart.
inline constexpr const char* kMessageBoxName = "messageBox";
inline constexpr const char* kOpenFileDialogName = "openFileDialog";
inline constexpr const char* kFolderPickerName = "folderPicker";
inline constexpr const char* kErrorReportName = "errorReport";
inline constexpr const char* kProgressDialogName = "progressDialog";
inline constexpr const char* kExistingOutputsName = "existingOutputs";
inline constexpr const char* kSaveFileDialogName = "saveFileDialog";

// The application's own title, on every message box that names no other.
inline constexpr const char* kApplicationTitle = "Marlo";

// "Description|pattern|..." as Qt name filters. Each pattern matches its extension in any
// letter case; the dialog shows the description alone.
QStringList NameFilters(const std::string& filter);

// The dialog's chosen files as full paths, in its order.
std::vector<std::string> FullPaths(const QStringList& files);

// Message box texts break lines with CR LF; Qt wants a plain line feed.
QString DisplayText(const std::string& text);

}  // namespace marlo::ui
