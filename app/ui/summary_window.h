#pragma once

#include <QDialog>
#include <functional>

#include "conversion/run_plan.h"

class QLabel;
class QTableWidget;

namespace marlo::ui {

// frmSummary: how the last run went, its counts and every file with its result and reason,
// with Copy, "Save as CSV..." and "Open output folder". It stays open beside the main window
// until closed, and shows each new run's summary in place of the last one.
class SummaryWindow final : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> copy;
        std::function<void()> saveCsv;
        std::function<void()> openOutputFolder;
    };
    SummaryWindow(Actions actions, QWidget* parent);

    void Show(const RunOutcome& outcome);

private:
    Actions actions_;
    QLabel* counts_ = nullptr;
    QTableWidget* files_ = nullptr;
};

}  // namespace marlo::ui
