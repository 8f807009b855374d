#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace marlo::ui {
class QtUserInteraction;
}

namespace marlo::test {

// Answers the window's dialogs in place of a user: each dialog is recognised by its object
// name and answered by the script given for that name; message boxes and error reports are
// recorded. A dialog nobody scripted is cancelled.
class DialogAnswers {
public:
    struct Message {
        QString text;
        QMessageBox::Icon icon;
        QString title;
        // The window the box belongs to (its object name).
        QString owner;
    };

    explicit DialogAnswers(ui::QtUserInteraction& dialogs);

    // Answers the next open-file dialog with these files (all in one folder).
    void AnswerFiles(const QStringList& files);
    // Answers the next folder picker with this folder.
    void AnswerFolder(const QString& folder);
    // Runs `script` on the next dialog of this object name and returns what it returns.
    void Answer(const QString& objectName, std::function<int(QDialog&)> script);

    std::vector<Message> messages;
    QStringList messageTexts() const;
    QStringList errorReports;
    QStringList openedUrls;
    // Whether a program takes the addresses handed on.
    bool opensUrls = true;
    // Object names of every dialog shown, in order.
    QStringList shown;
    // What the open-file dialogs were set up with.
    std::vector<QStringList> fileDialogFilters;
    QStringList fileDialogTitles;

private:
    int Run(QDialog& dialog);

    std::map<QString, std::deque<std::function<int(QDialog&)>>> scripts_;
};

}  // namespace marlo::test
