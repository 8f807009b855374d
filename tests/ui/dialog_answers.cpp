#include "dialog_answers.h"

#include <QFileDialog>
#include <QPlainTextEdit>

#include "ui/qt_user_interaction.h"

namespace marlo::test {

DialogAnswers::DialogAnswers(ui::QtUserInteraction& dialogs) {
    dialogs.runModal = [this](QDialog& dialog) { return Run(dialog); };
    dialogs.progressIntervalMs = 0;  // every file's progress seen
    dialogs.openUrl = [this](const QString& url) {
        openedUrls << url;
        return opensUrls;
    };
}

void DialogAnswers::AnswerFiles(const QStringList& files) {
    Answer(ui::kOpenFileDialogName, [files](QDialog& dialog) {
        auto& fileDialog = static_cast<QFileDialog&>(dialog);
        fileDialog.setDirectory(QFileInfo(files.front()).absolutePath());
        QStringList quoted;
        for (const QString& file : files) {
            quoted << '"' + QFileInfo(file).fileName() + '"';
        }
        fileDialog.selectFile(files.size() == 1 ? QFileInfo(files.front()).fileName()
                                                : quoted.join(' '));
        return int(QDialog::Accepted);
    });
}

void DialogAnswers::AnswerFolder(const QString& folder) {
    Answer(ui::kFolderPickerName, [folder](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).setDirectory(folder);
        return int(QDialog::Accepted);
    });
}

void DialogAnswers::Answer(const QString& objectName, std::function<int(QDialog&)> script) {
    scripts_[objectName].push_back(std::move(script));
}

QStringList DialogAnswers::messageTexts() const {
    QStringList texts;
    for (const Message& message : messages) {
        texts << message.text;
    }
    return texts;
}

int DialogAnswers::Run(QDialog& dialog) {
    const QString name = dialog.objectName();
    shown << name;
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        messages.push_back({box->text(), box->icon(), box->windowTitle(),
                            box->parentWidget() ? box->parentWidget()->objectName() : QString()});
        if (scripts_[name].empty()) {
            return QMessageBox::Ok;
        }
    }
    if (auto* fileDialog = qobject_cast<QFileDialog*>(&dialog);
        fileDialog != nullptr && name == ui::kOpenFileDialogName) {
        fileDialogFilters.push_back(fileDialog->nameFilters());
        fileDialogTitles << fileDialog->windowTitle();
    }
    if (name == ui::kErrorReportName) {
        errorReports << dialog.findChild<QPlainTextEdit*>()->toPlainText();
    }
    auto& queue = scripts_[name];
    if (queue.empty()) {
        return QDialog::Rejected;
    }
    const auto script = std::move(queue.front());
    queue.pop_front();
    return script(dialog);
}

}  // namespace marlo::test
