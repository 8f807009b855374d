#include "ui/summary_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <set>

#include "conversion/footprints.h"
#include "conversion/run_summary.h"
#include "text/catalogue.h"
#include "ui/footprint_map.h"

namespace marlo::ui {

namespace {

QString Caption(const Texts& texts, std::int16_t number) {
    return QString::fromStdString(texts.Caption(number));
}

QPushButton* NewButton(const char* name, QDialogButtonBox* box, QDialogButtonBox::ButtonRole role) {
    auto* button = box->addButton(QString(), role);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// A cancelled run says so first, and where it stopped.
QString CancelledText(const Texts& texts, const RunOutcome& outcome) {
    if (!outcome.cancelled) {
        return {};
    }
    return QString::fromStdString(
               outcome.stoppedAt.empty()
                   ? texts.Caption(caption::Cancelled)
                   : texts.CaptionWith(caption::RunCancelledBefore, {outcome.stoppedAt})) +
           "\n";
}

}  // namespace

// The list of a run's files. Its result column holds a few words over thousands of rows: the
// width they need is measured on one row of each word, where Qt's fit to contents would measure
// every row, each time the list is laid out.
class FileList final : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

    // The width the column's items in `rows` need, as Qt measures a column to fit its contents.
    int ContentsWidth(int column, const std::vector<int>& rows) const {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        int width = 0;
        for (const int row : rows) {
            const QModelIndex index = model()->index(row, column);
            width = std::max(width, itemDelegateForIndex(index)->sizeHint(option, index).width());
        }
        return showGrid() ? width + 1 : width;
    }
};

SummaryWindow::SummaryWindow(const Environment& env, Actions actions, QWidget* parent)
    : QDialog(parent), env_(env), actions_(std::move(actions)) {
    setObjectName("frmSummary");
    setModal(false);
    counts_ = new QLabel(this);
    counts_->setObjectName("lblSummary");
    counts_->setTextFormat(Qt::PlainText);
    counts_->setWordWrap(true);
    counts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    files_ = new FileList(0, 3, this);
    files_->setObjectName("lstFiles");
    files_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    files_->setSelectionBehavior(QAbstractItemView::SelectRows);
    files_->verticalHeader()->hide();
    // Rows as high as their one line of text: more of a long run's files in view.
    files_->verticalHeader()->setDefaultSectionSize(files_->fontMetrics().height() + 8);
    // The columns share the list's width, none scrolls out of view: a long path is shortened
    // in its middle, where the folders are, and shown whole in its tooltip.
    files_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    files_->setTextElideMode(Qt::ElideMiddle);
    files_->setWordWrap(false);
    files_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    files_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Fixed);
    files_->setSortingEnabled(true);
    files_->setMinimumSize(560, 240);
    failedOnly_ = new QCheckBox(this);
    failedOnly_->setObjectName("chkFailedOnly");
    connect(failedOnly_, &QCheckBox::toggled, this, &SummaryWindow::ShowFailedOnly);
    auto* buttons = new QDialogButtonBox(this);
    connect(NewButton("cmdCopy", buttons, QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, [this] { actions_.copy(); });
    connect(NewButton("cmdSaveCsv", buttons, QDialogButtonBox::ActionRole), &QPushButton::clicked,
            this, [this] { actions_.saveCsv(); });
    connect(NewButton("cmdSaveFootprints", buttons, QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, [this] { actions_.saveFootprints(); });
    connect(NewButton("cmdOpenFolder", buttons, QDialogButtonBox::ActionRole),
            &QPushButton::clicked, this, [this] { actions_.openOutputFolder(); });
    connect(NewButton("cmdClose", buttons, QDialogButtonBox::RejectRole), &QPushButton::clicked,
            this, &QDialog::close);
    maps_ = new QTabWidget(this);
    maps_->setObjectName("tabMaps");
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(files_);
    split->addWidget(maps_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    connect(files_, &QTableWidget::currentCellChanged, this,
            [this](int row) { SelectOnMap(FileOfRow(row)); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(counts_);
    layout->addWidget(failedOnly_);
    layout->addWidget(split);
    layout->addWidget(buttons);
}

void SummaryWindow::ShowMaps(const RunOutcome& outcome) {
    while (maps_->count() > 0) {
        QWidget* map = maps_->widget(0);
        maps_->removeTab(0);
        delete map;
    }
    const Outliers outliers = FindOutliers(outcome);
    std::set<std::size_t> marked(outliers.farAway.begin(), outliers.farAway.end());
    marked.insert(outliers.overlapping.begin(), outliers.overlapping.end());
    for (const FootprintGroup& group : FootprintGroups(outcome)) {
        auto* map = new FootprintMap(maps_);
        const std::string unit = SystemUnit(env_, group.system, outcome.plan.codeList);
        map->Show(
            outcome, group.files, marked,
            QString::fromStdString(unit.empty() ? env_.texts.Caption(caption::MapUnits) : unit));
        connect(map, &FootprintMap::sheetSelected, this, [this](int file) {
            const QSignalBlocker blocker(files_);
            files_->selectRow(RowOfFile(file));
        });
        maps_->addTab(
            map, QString::fromStdString(SystemTitle(env_, group.system, outcome.plan.codeList)));
    }
    maps_->setVisible(maps_->count() > 0);
}

void SummaryWindow::FillRows(const RunOutcome& outcome) {
    for (int row = 0; row < files_->rowCount(); ++row) {
        const auto index = static_cast<std::size_t>(row);
        const FileReport& file = outcome.files[index];
        auto* name = new QTableWidgetItem(QString::fromStdString(file.file));
        name->setData(Qt::UserRole, row);
        name->setToolTip(QString::fromStdString(
            index < outcome.plan.inputFiles.size() ? outcome.plan.inputFiles[index] : file.file));
        auto* result =
            new QTableWidgetItem(QString::fromStdString(ResultText(env_.texts, file.result)));
        result->setData(Qt::UserRole, file.result == FileResult::Failed);
        auto* reason = new QTableWidgetItem(QString::fromStdString(file.reason));
        reason->setToolTip(reason->text());
        files_->setItem(row, 0, name);
        files_->setItem(row, 1, result);
        files_->setItem(row, 2, reason);
    }
}

void SummaryWindow::ShowFiles(const RunOutcome& outcome) {
    files_->setSortingEnabled(false);  // rows stay where they are put while they are filled
    files_->clearContents();
    files_->setHorizontalHeaderLabels({Caption(env_.texts, caption::FileColumn),
                                       Caption(env_.texts, caption::ResultColumn),
                                       Caption(env_.texts, caption::ReasonColumn)});
    files_->setRowCount(static_cast<int>(outcome.files.size()));
    {
        // The list is not told of each of its thousands of new items (each notice cost as much
        // as the item): it is repainted once they are all in.
        const QSignalBlocker quiet(files_->model());
        FillRows(outcome);
    }
    files_->viewport()->update();
    files_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    files_->setSortingEnabled(true);
    ShowFailedOnly(failedOnly_->isChecked());
    // A new run's list opens at its top, nothing chosen.
    files_->setCurrentCell(-1, -1);
    files_->clearSelection();
    files_->scrollToTop();
}

void SummaryWindow::ShowFailedOnly(bool failedOnly) {
    for (int row = 0; row < files_->rowCount(); ++row) {
        files_->setRowHidden(row, failedOnly && !files_->item(row, 1)->data(Qt::UserRole).toBool());
    }
    FitResultColumn();
}

void SummaryWindow::FitResultColumn() {
    constexpr int kResult = 1;
    std::map<QString, int> rowOfEachResult;
    for (int row = 0; row < files_->rowCount(); ++row) {
        if (!files_->isRowHidden(row)) {
            rowOfEachResult.emplace(files_->item(row, kResult)->text(), row);
        }
    }
    std::vector<int> rows;
    for (const auto& [result, row] : rowOfEachResult) {
        rows.push_back(row);
    }
    QHeaderView& header = *files_->horizontalHeader();
    const int width =
        std::max(files_->ContentsWidth(kResult, rows), header.sectionSizeHint(kResult));
    header.resizeSection(
        kResult, std::clamp(width, header.minimumSectionSize(), header.maximumSectionSize()));
}

int SummaryWindow::FileOfRow(int row) const {
    const QTableWidgetItem* name = row >= 0 ? files_->item(row, 0) : nullptr;
    return name != nullptr ? name->data(Qt::UserRole).toInt() : -1;
}

int SummaryWindow::RowOfFile(int file) const {
    for (int row = 0; row < files_->rowCount(); ++row) {
        if (FileOfRow(row) == file) {
            return row;
        }
    }
    return -1;
}

void SummaryWindow::SelectOnMap(int file) {
    for (int tab = 0; tab < maps_->count(); ++tab) {
        auto* map = static_cast<FootprintMap*>(maps_->widget(tab));
        if (file >= 0 && map->Select(static_cast<std::size_t>(file))) {
            maps_->setCurrentIndex(tab);
            return;
        }
    }
}

void SummaryWindow::Show(const RunOutcome& outcome) {
    setWindowTitle(Caption(env_.texts, caption::SummaryTitle));
    findChild<QPushButton*>("cmdCopy")->setText(Caption(env_.texts, caption::Copy));
    findChild<QPushButton*>("cmdSaveCsv")->setText(Caption(env_.texts, caption::SaveCsv));
    findChild<QPushButton*>("cmdOpenFolder")
        ->setText(Caption(env_.texts, caption::OpenOutputFolder));
    findChild<QPushButton*>("cmdSaveFootprints")
        ->setText(Caption(env_.texts, caption::SaveFootprints));
    findChild<QPushButton*>("cmdSaveFootprints")->setEnabled(outcome.converted > 0);
    findChild<QPushButton*>("cmdOpenFolder")->setEnabled(outcome.converted > 0);
    findChild<QPushButton*>("cmdClose")->setText(Caption(env_.texts, caption::Close));
    // The counts and where the outputs went; the files follow in the list.
    QString text = QString::fromStdString(SummaryText(env_.texts, outcome));
    counts_->setText(CancelledText(env_.texts, outcome) +
                     text.section('\n', 0, outcome.converted > 0 ? 1 : 0));
    failedOnly_->setText('&' +
                         Caption(env_.texts, caption::FailedOnly));  // Alt and its first letter
    ShowFiles(outcome);
    ShowMaps(outcome);
    show();
    raise();
    activateWindow();
}

}  // namespace marlo::ui
