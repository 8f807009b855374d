#include "ui/summary_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "conversion/run_summary.h"
#include "text/catalogue.h"

namespace marlo::ui {

namespace {

QString Caption(std::int16_t number) {
    return QString::fromStdString(CaptionText(number));
}

QPushButton* NewButton(const char* name, QDialogButtonBox* box, QDialogButtonBox::ButtonRole role) {
    auto* button = box->addButton(QString(), role);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

SummaryWindow::SummaryWindow(Actions actions, QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
    setObjectName("frmSummary");
    setModal(false);
    counts_ = new QLabel(this);
    counts_->setObjectName("lblSummary");
    counts_->setTextFormat(Qt::PlainText);
    counts_->setWordWrap(true);
    counts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    files_ = new QTableWidget(0, 3, this);
    files_->setObjectName("lstFiles");
    files_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    files_->setSelectionBehavior(QAbstractItemView::SelectRows);
    files_->verticalHeader()->hide();
    files_->horizontalHeader()->setStretchLastSection(true);
    files_->setMinimumSize(560, 240);
    auto* buttons = new QDialogButtonBox(this);
    connect(NewButton("cmdCopy", buttons, QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, [this] { actions_.copy(); });
    connect(NewButton("cmdSaveCsv", buttons, QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, [this] { actions_.saveCsv(); });
    connect(NewButton("cmdOpenFolder", buttons, QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, [this] { actions_.openOutputFolder(); });
    connect(NewButton("cmdClose", buttons, QDialogButtonBox::RejectRole), &QPushButton::clicked,
            this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    layout->addWidget(files_);
    layout->addWidget(buttons);
}

void SummaryWindow::Show(const RunOutcome& outcome) {
    setWindowTitle(Caption(caption::SummaryTitle));
    findChild<QPushButton*>("cmdCopy")->setText(Caption(caption::Copy));
    findChild<QPushButton*>("cmdSaveCsv")->setText(Caption(caption::SaveCsv));
    findChild<QPushButton*>("cmdOpenFolder")->setText(Caption(caption::OpenOutputFolder));
    findChild<QPushButton*>("cmdOpenFolder")->setEnabled(outcome.converted > 0);
    findChild<QPushButton*>("cmdClose")->setText(Caption(caption::Close));
    // The counts and where the outputs went; the files follow in the list.
    QString text = QString::fromStdString(SummaryText(outcome));
    counts_->setText(text.section('\n', 0, outcome.converted > 0 ? 1 : 0));
    files_->setHorizontalHeaderLabels({Caption(caption::FileColumn), Caption(caption::ResultColumn),
                                       Caption(caption::ReasonColumn)});
    files_->setRowCount(static_cast<int>(outcome.files.size()));
    for (int row = 0; row < files_->rowCount(); ++row) {
        const FileReport& file = outcome.files[static_cast<std::size_t>(row)];
        files_->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(file.file)));
        files_->setItem(row, 1,
                        new QTableWidgetItem(QString::fromStdString(ResultText(file.result))));
        files_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(file.reason)));
    }
    files_->resizeColumnsToContents();
    show();
    raise();
    activateWindow();
}

}  // namespace marlo::ui
