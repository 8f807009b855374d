#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <functional>
#include <memory>
#include <string>

#include "dialog_answers.h"
#include "ui/convert_window.h"
#include "ui/qt_settings_store.h"

namespace marlo::test {

// A main window as the program starts it, with its dialogs answered by the test.
struct StartedWindow {
    StartedWindow();

    template <class Widget = QWidget>
    Widget* find(const char* name) const {
        return window->findChild<Widget*>(name);
    }
    QRadioButton* option(const char* name) const { return find<QRadioButton>(name); }
    void click(const char* name) const;

    ui::QtSettingsStore settings;
    std::unique_ptr<ui::ConvertWindow> window;
    std::unique_ptr<DialogAnswers> answers;
};

// Answers the projection window of a GeoTIFF run with "No coordinate system".
std::function<int(QDialog&)> AnswerNoSystem();

// The settings file the program keeps the language in.
QString SettingsFilePath();
// Forgets the stored settings, as on a machine where the program never ran.
void ForgetSettings();
// The per-user data folder of the program.
std::string DataFolder();

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The status line's facts, one after the other.
QString Status(const StartedWindow& started);

}  // namespace marlo::test
