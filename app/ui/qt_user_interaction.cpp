#include "ui/qt_user_interaction.h"

#include <limits>

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <limits>

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "text/catalogue.h"
#include "text/line_breaks.h"
#include "ui/projection_dialog.h"

namespace marlo::ui {

namespace {

// "*.tif" becomes "*.[tT][iI][fF]": the extension matches whatever letter case the file has.
QString AnyCasePattern(const QString& pattern) {
    QString result;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
            result += QString("[%1%2]").arg(c.toLower(), c.toUpper());
        } else {
            result += c;
        }
    }
    return result;
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The file dialogs are Qt's own on every desktop, so that the any-case patterns and the
// existing-files rule behave the same everywhere.
void PrepareFileDialog(QFileDialog& dialog, const char* objectName) {
    dialog.setObjectName(objectName);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
}

// The width a window needs for its whole title in a window manager's frame, beside the
// frame's icon and buttons: a narrow box (a "Done!") would show its title as "..".
int WidthForTitle(const QWidget& window) {
    return window.fontMetrics().horizontalAdvance(window.windowTitle()) * 2 + 120;
}

// A message box sizes itself to its text; a spacer below its contents keeps it as wide as its
// title needs.
void KeepTitleWhole(QMessageBox& box) {
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(
            new QSpacerItem(WidthForTitle(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
}

}  // namespace

QStringList NameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) {
            continue;
        }
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            patterns << AnyCasePattern(pattern.trimmed());
        }
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

std::vector<std::string> FullPaths(const QStringList& files) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files) {
        paths.push_back(QFileInfo(file).absoluteFilePath().toStdString());
    }
    return paths;
}

// The dialog writes a selection into its name field as quoted names; a field cut at the line
// edit's usual 32,767 characters would lose the names beyond (a folder's thousands of files).
void LetNameFieldHoldAnySelection(QFileDialog& dialog) {
    if (auto* field = dialog.findChild<QLineEdit*>("fileNameEdit")) {
        field->setMaxLength(std::numeric_limits<int>::max());
    }
}

QString DisplayText(const std::string& text) {
    return QString::fromStdString(WithLineFeeds(text));
}

QtUserInteraction::QtUserInteraction(QWidget* owner)
    : runModal([](QDialog& dialog) { return dialog.exec(); }),
      openUrl([](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }),
      owner_(owner) {}

QtUserInteraction::~QtUserInteraction() = default;

QWidget* QtUserInteraction::DialogParent() const {
    // The progress window blocks its parent and every other window of that parent: what a run
    // shows meanwhile must belong to the progress window, or nobody could answer it. It is
    // shown first, even before its delay is up: a window manager stacks a dialog over the
    // window it belongs to only when that window is mapped, else it may open behind.
    if (!progress_) {
        return owner_;
    }
    if (!progress_->isVisible()) {
        progress_->show();
    }
    progress_->raise();
    progress_->activateWindow();
    return progress_.get();
}

void QtUserInteraction::ShowMessageBox(const std::string& text, MessageIcon icon,
                                       const std::string& title) {
    QMessageBox box(QtIcon(icon),
                    title.empty() ? QString(kApplicationTitle) : QString::fromStdString(title),
                    DisplayText(text), QMessageBox::Ok, DialogParent());
    box.setObjectName(kMessageBoxName);
    box.setTextFormat(Qt::PlainText);
    KeepTitleWhole(box);
    runModal(box);
}

std::vector<std::string> QtUserInteraction::ShowOpenFileDialog(
    const OpenFileDialogRequest& request) {
    QFileDialog dialog(DialogParent(), QString::fromStdString(request.title));
    PrepareFileDialog(dialog, kOpenFileDialogName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                           : QFileDialog::ExistingFile);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.front()));
    }
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(request.initialFolder));
    }
    LetNameFieldHoldAnySelection(dialog);
    if (runModal(dialog) != QDialog::Accepted) {
        return {};
    }
    return FullPaths(dialog.selectedFiles());
}

std::string QtUserInteraction::BrowseForFolder(const std::string& prompt,
                                               const std::string& initialFolder) {
    QFileDialog dialog(DialogParent(), QString::fromStdString(prompt));
    PrepareFileDialog(dialog, kFolderPickerName);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!initialFolder.empty()) {
        dialog.setDirectory(QString::fromStdString(initialFolder));
    }
    if (runModal(dialog) != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0).toStdString();
}

void QtUserInteraction::ShowErrorReport(const std::string& report) {
    QDialog dialog(DialogParent());
    dialog.setObjectName(kErrorReportName);
    dialog.setWindowTitle(kApplicationTitle);
    auto* text = new QPlainTextEdit(DisplayText(report), &dialog);
    text->setObjectName("reportText");
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setMinimumSize(520, 220);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    runModal(dialog);
}

void QtUserInteraction::ShowProjectionWindow(ProjectionWindow& window) {
    ProjectionDialog dialog(window, DialogParent());
    runModal(dialog);
    dialog.EnsureClosed();
}

void QtUserInteraction::OpenUrl(const std::string& url) {
    if (openUrl(QString::fromStdString(url))) {
        return;
    }
    // Without a file manager or browser nothing opens: say so, and where it is.
    const QUrl address(QString::fromStdString(url));
    const QString place = address.isLocalFile() ? address.toLocalFile() : address.toString();
    QWidget* active = QApplication::activeWindow();
    QMessageBox box(
        QMessageBox::Information, kApplicationTitle,
        QString::fromStdString(texts_->CaptionWith(caption::NothingOpens, {place.toStdString()})),
        QMessageBox::Ok, active != nullptr ? active : DialogParent());
    box.setObjectName(kMessageBoxName);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    KeepTitleWhole(box);
    runModal(box);
}

bool QtUserInteraction::ShowProgress(const RunProgress& progress) {
    if (!progress_) {
        progress_ = std::make_unique<QProgressDialog>(owner_);
        progress_->setObjectName(kProgressDialogName);
        progress_->setWindowTitle(QString::fromStdString(texts_->Caption(caption::ProgressTitle)));
        // Cancel is never a default button: a stray Enter must not end a long run. Esc and a
        // click cancel. (The dialog's own button keeps its one Esc shortcut; a second button
        // would bring a second, and two make Esc ambiguous.)
        progress_->setCancelButtonText(QString::fromStdString(texts_->Caption(caption::Cancel)));
        auto* cancel = progress_->findChild<QPushButton*>();
        cancel->setObjectName("cmdCancel");
        cancel->setAutoDefault(false);
        cancel->setDefault(false);
        // Wide enough for its title in the window manager's frame.
        progress_->setMinimumWidth(WidthForTitle(*progress_));
        // The main window takes no clicks while its run goes on; the run itself stops only
        // between files, when it asks here.
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(progressDelayMs);
        progress_->setAutoReset(false);
        progress_->setAutoClose(false);
    }
    // hasExpired(0) is false within the same millisecond: an interval of 0 shows every file.
    if (progressIntervalMs > 0 && progressUpdated_.isValid() &&
        !progressUpdated_.hasExpired(progressIntervalMs) && progress.file < progress.count) {
        return !progress_->wasCanceled();
    }
    progressUpdated_.start();
    progress_->setMaximum(static_cast<int>(progress.count));
    progress_->setLabelText(QString::fromStdString(texts_->CaptionWith(
        caption::ProgressFile,
        {std::to_string(progress.file), std::to_string(progress.count), progress.name})));
    progress_->setValue(static_cast<int>(progress.file - 1));
    // Until the window shows, the main window still takes input: keep it painted, but let no
    // click start anything in the middle of the run.
    QCoreApplication::processEvents(progress_->isVisible() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    if (progressShown) {
        progressShown(*progress_);
    }
    return !progress_->wasCanceled();
}

void QtUserInteraction::EndProgress() {
    progress_.reset();
    progressUpdated_.invalidate();
}

ExistingAnswer QtUserInteraction::AskAboutExistingOutputs(std::size_t existing, std::size_t total,
                                                          const std::string& example) {
    QMessageBox box(
        QMessageBox::Question, kApplicationTitle,
        QString::fromStdString(texts_->CaptionWith(
            caption::ExistingOutputs, {std::to_string(existing), std::to_string(total), example})),
        QMessageBox::NoButton, DialogParent());
    box.setObjectName(kExistingOutputsName);
    box.setTextFormat(Qt::PlainText);
    KeepTitleWhole(box);
    QPushButton* replace = box.addButton(
        QString::fromStdString(texts_->Caption(caption::ReplaceAll)), QMessageBox::DestructiveRole);
    replace->setObjectName("cmdReplaceAll");
    QPushButton* skip = box.addButton(
        QString::fromStdString(texts_->Caption(caption::SkipExisting)), QMessageBox::AcceptRole);
    skip->setObjectName("cmdSkipExisting");
    QPushButton* cancel = box.addButton(QString::fromStdString(texts_->Caption(caption::Cancel)),
                                        QMessageBox::RejectRole);
    cancel->setObjectName("cmdCancel");
    // Skipping changes nothing that exists: the safe default for Enter; Esc cancels.
    box.setDefaultButton(skip);
    box.setEscapeButton(cancel);
    runModal(box);
    if (box.clickedButton() == replace) {
        return ExistingAnswer::ReplaceAll;
    }
    return box.clickedButton() == skip ? ExistingAnswer::SkipExisting : ExistingAnswer::Cancel;
}

std::string QtUserInteraction::AskSaveFileName(const std::string& title, const std::string& filter,
                                               const std::string& suggested, QWidget* parent) {
    QFileDialog dialog(parent != nullptr ? parent : DialogParent(), QString::fromStdString(title));
    PrepareFileDialog(dialog, kSaveFileDialogName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(filter));
    dialog.selectFile(QString::fromStdString(suggested));
    if (runModal(dialog) != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0).toStdString();
}

}  // namespace marlo::ui
