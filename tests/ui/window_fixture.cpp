#include "window_fixture.h"

#include <QFile>
#include <QSettings>
#include <QTest>

#include "platform/program_folders.h"

namespace marlo::test {

StartedWindow::StartedWindow()
    : window(std::make_unique<ui::ConvertWindow>(settings)),
      answers(std::make_unique<DialogAnswers>(window->dialogs())) {
    window->show();
}

void StartedWindow::click(const char* name) const {
    // A button is clicked the way the keyboard does it (its own hit area is narrower than its
    // place in the layout); a label, which only a mouse can click, by the mouse.
    if (auto* button = find<QAbstractButton>(name)) {
        button->click();
        return;
    }
    QWidget* widget = find(name);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

QString SettingsFilePath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Marlo").fileName();
}

void ForgetSettings() {
    QFile::remove(SettingsFilePath());
}

std::string DataFolder() {
    return UserDataFolder();
}

std::function<int(QDialog&)> AnswerNoSystem() {
    return [](QDialog& dialog) {
        dialog.findChild<QAbstractButton*>("chkNoSystem")->click();
        dialog.findChild<QAbstractButton*>("cmdOK")->click();
        return dialog.result();
    };
}

QString Status(const StartedWindow& started) {
    return started.find<QLabel>("lblStatus")->text().replace('\n', "; ");
}

}  // namespace marlo::test
