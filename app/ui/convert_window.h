#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "presenters/about_info.h"
#include "presenters/main_window.h"
#include "ui/qt_user_interaction.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QRadioButton;
class QTranslator;

namespace marlo::ui {

class AboutWindow;
class SummaryWindow;

// frmConvert, the main window: the "Convert from:" and "Convert to:" choices, the start
// button, the language buttons, the About button and the link to the maker's page. It owns
// the conversion state for as long as it exists.
class ConvertWindow final : public QWidget, private MainWindowView {
    Q_OBJECT
public:
    explicit ConvertWindow(SettingsStore& settings, QWidget* parent = nullptr);
    ~ConvertWindow() override;

    // Every dialog the window and the conversion run show goes through these.
    QtUserInteraction& dialogs() { return dialogs_; }
    Environment& environment() { return env_; }
    const MainWindowProcedures& procedures() const { return procedures_; }

    // Files named on the command line or dropped on the window: the next run opens on them.
    bool ChooseFiles(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SetControlText(const std::string& control, ControlText property,
                        const std::string& text) override;
    void ShowOptions(const FormatOptions& options) override;
    void ShowAboutWindow() override;
    void ShowStatus(const std::string& text) override;
    void ShowLanguage(const std::string& language) override;
    void ShowKeepGoing(bool keepGoing) override;
    void ShowInPlace(bool inPlace, bool warningShown) override;
    void ShowSummary(const RunOutcome& outcome) override;
    void SaveSummaryCsv();
    void SaveFootprints();
    // Asks where to save a file of the summary, beside the outputs; "" on cancel.
    std::string AskSummaryFile(std::int16_t caption, const char* filter, const char* name);

    void BuildControls();
    // Underlines a letter of each main control's caption, no letter twice.
    void AddMnemonics();
    QRadioButton* NewOption(const char* name, const char* caption, QButtonGroup* group);
    QAbstractButton* NewLanguageButton(const char* name, const char* picture, const char* toolTip);
    void ConnectControls();
    void SetTabOrder(std::initializer_list<const char*> names);

    QtUserInteraction dialogs_;
    Environment env_;
    MainWindowProcedures procedures_;
    AboutWindow* about_ = nullptr;
    std::map<FileFormat, QRadioButton*> inputOptions_;
    std::map<FileFormat, QRadioButton*> outputOptions_;
    QLabel* status_ = nullptr;
    QCheckBox* keepGoing_ = nullptr;
    QCheckBox* inPlace_ = nullptr;
    QLabel* inPlaceWarning_ = nullptr;
    SummaryWindow* summary_ = nullptr;
    // Qt's own texts (file dialogs, standard buttons) in the interface language.
    std::unique_ptr<QTranslator> qtTexts_;
};

}  // namespace marlo::ui
