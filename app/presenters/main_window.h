#pragma once

#include <functional>
#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "platform/settings_store.h"
#include "platform/user_interaction.h"
#include "text/maker.h"
#include "values/format_options.h"

namespace marlo {

// Where the interface language is kept per user, and its two values.
inline constexpr const char* kSettingsApplication = "Marlo";
inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kLanguageKey = "Language";
inline constexpr const char* kPolish = "polski";
inline constexpr const char* kEnglish = "english";
// Choices remembered beside it from one start of the program to the next.
inline constexpr const char* kInputFolderKey = "InputFolder";
inline constexpr const char* kOutputFolderKey = "OutputFolder";
inline constexpr const char* kInputFormatKey = "InputFormat";
inline constexpr const char* kOutputFormatKey = "OutputFormat";
inline constexpr const char* kProjectionKey = "Projection";
inline constexpr const char* kKeepGoingKey = "KeepGoing";

enum class ControlText { Caption, ToolTip };

// One text of a control of the main window, named by the control's name.
struct CaptionAssignment {
    std::string control;
    ControlText property;
    std::string text;
};

// The captions and tool tips of the main window in the current language, in the order the
// window puts them on.
std::vector<CaptionAssignment> MainWindowCaptions(const Texts& texts);

// A click on a "Convert from:" option: selects it, disables the output option of the same
// format, enables the other two and, when the disabled one was selected, moves the selection
// on to the next format of the cycle GeoTIFF, TAB, TFW.
void ClickInputOption(FormatOptions& options, FileFormat clicked);
// A click on an enabled "Convert to:" option selects it alone.
void ClickOutputOption(FormatOptions& options, FileFormat clicked);

// What the main window's procedures need of its looks.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual void SetControlText(const std::string& control, ControlText property,
                                const std::string& text) = 0;
    // Makes the option buttons show the given selection and enabled states.
    virtual void ShowOptions(const FormatOptions& options) = 0;
    // Shows the About window modally.
    virtual void ShowAboutWindow() = 0;
    // The status line under the controls: how the last run ended, or what is selected.
    virtual void ShowStatus(const std::string& text) = 0;
    // The interface language changed (or was set at the start).
    virtual void ShowLanguage(const std::string& language) = 0;
    // The "keep going after a failed file" check box.
    virtual void ShowKeepGoing(bool keepGoing) = 0;
    // The "write into the images themselves" check box, and its warning that the images are
    // changed.
    virtual void ShowInPlace(bool inPlace, bool warningShown) = 0;
    // The summary of a run that reached its files: its counts, its files and their results.
    virtual void ShowSummary(const RunOutcome& outcome) = 0;
};

// The main window's event procedures; each reports its own unexpected errors.
class MainWindowProcedures {
public:
    MainWindowProcedures(Environment& env, UserInteraction& ui, SettingsStore& settings,
                         MainWindowView& view)
        : env_(env), ui_(ui), settings_(settings), view_(view) {}

    void Load();
    void ShowCaptions();
    void SwitchToPolish();
    void SwitchToEnglish();
    void ChooseGeoTiffInput();
    void ChooseTableInput();
    void ChooseWorldFileInput();
    void ClickOutput(FileFormat format);
    void ShowAbout();
    void OpenWebPage();
    // The start button: the conversion run.
    void StartConversion();
    // The "keep going" check box, remembered from one start to the next.
    void SetKeepGoing(bool keepGoing);
    // The "write into the images themselves" check box: off at every start, never remembered.
    void SetInPlace(bool inPlace);
    // The summary window's buttons: the last run's summary as text, saved as CSV, and its
    // output folder opened in the desktop's file manager.
    std::string SummaryForCopy() const;
    void SaveSummaryCsv(const std::string& path);
    void SaveFootprints(const std::string& path);
    void OpenOutputFolder();
    // Files and folders dropped on the window or named when it started: the next run takes
    // them (a folder's files of the input format, and its subfolders' when the window says so)
    // without the file dialog, and the input option follows the files' kind. False, with a
    // message, when the files are not all of one kind.
    bool ChooseFiles(const std::vector<std::string>& paths);
    // "Choose a folder...": the next run takes the files of the input format in the folder
    // the user picks (and in its subfolders, when the window says so).
    void ChooseFolder();
    // The "with subfolders" check box, for chosen and dropped folders.
    void SetWithSubfolders(bool withSubfolders) { withSubfolders_ = withSubfolders; }

    // What the next run starts from, and how the last one ended.
    const RunChoices& Choices() const { return choices_; }
    const RunOutcome& LastRun() const { return lastRun_; }

private:
    void SwitchLanguage(Procedure procedure, const char* language);
    void ClickInput(Procedure procedure, FileFormat format);
    void LoadRememberedChoices();
    void RememberFormats();
    void RememberRun();
    void ShowInPlaceChoice();
    // Writes a file of the last run's summary; a refusal is shown.
    void SaveSummaryFile(Procedure procedure, const std::function<void()>& write);
    // The next run's files, said on the status line; message 1 when there are none.
    void TakeChosenFiles(ChosenFiles files);

    Environment& env_;
    UserInteraction& ui_;
    bool withSubfolders_ = false;
    RunChoices choices_;
    RunOutcome lastRun_;
    SettingsStore& settings_;
    MainWindowView& view_;
};

}  // namespace marlo
