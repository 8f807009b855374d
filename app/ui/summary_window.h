#pragma once

#include <QDialog>
#include <functional>

#include "conversion/run_plan.h"
#include "environment/environment.h"

class QCheckBox;
class QLabel;
class QTabWidget;

namespace marlo::ui {

class FileList;

// frmSummary: how the last run went, its counts and every file with its result and reason,
// and a map of where the converted sheets lie (a tab for each coordinate system), with Copy,
// "Save as CSV...", "Save footprints..." and "Open output folder". A row selected in the list
// selects its sheet on the map, and back. The list sorts by any column, shows the failures
// alone on request, and keeps its File column in view (long paths shortened in the middle). It
// stays open beside the main window until closed, and shows each new run's summary in place of the
// last one.
class SummaryWindow final : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> copy;
        std::function<void()> saveCsv;
        std::function<void()> openOutputFolder;
        std::function<void()> saveFootprints;
    };
    // Its texts and the systems of its maps come from `env`.
    SummaryWindow(const Environment& env, Actions actions, QWidget* parent);

    void Show(const RunOutcome& outcome);

private:
    void ShowMaps(const RunOutcome& outcome);
    void ShowFiles(const RunOutcome& outcome);
    void FillRows(const RunOutcome& outcome);
    void SelectOnMap(int file);
    void ShowFailedOnly(bool failedOnly);
    // The result column as wide as its widest result in view.
    void FitResultColumn();
    // A row's file index in the run, and back; -1 for none.
    int FileOfRow(int row) const;
    int RowOfFile(int file) const;

    const Environment& env_;
    Actions actions_;
    QLabel* counts_ = nullptr;
    FileList* files_ = nullptr;
    QCheckBox* failedOnly_ = nullptr;
    QTabWidget* maps_ = nullptr;
};

}  // namespace marlo::ui
