// The summary window and its map at the scale of a real folder: thousands of sheets, a few
// failures, one stray sheet.
#include <set>

#include <QApplication>
#include <QGraphicsPolygonItem>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>

#include "conversion/run_plan.h"
#include "support/scripted_user.h"
#include "support/sheets.h"
#include "support/temp_folder.h"
#include "ui/footprint_map.h"
#include "ui/qt_user_interaction.h"
#include "ui/summary_window.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

// A grid of sheets 1,000 m by 800 m, `columns` wide, in EPSG:2180; the last of `count` lies
// 300 km east when `stray`. Every `failEvery`th file fails instead (0: none).
RunOutcome Sheets(int count, int columns, bool stray, int failEvery = 0) {
    RunOutcome outcome;
    for (int i = 0; i < count; ++i) {
        const bool failed = failEvery > 0 && i % failEvery == failEvery - 1;
        FileReport report{"/maps/sheets/sheet" + std::to_string(i) + ".tab",
                          failed ? FileResult::Failed : FileResult::Converted,
                          failed ? "\"x\" is not a world file" : "", std::nullopt};
        const bool far = stray && i == count - 1;
        const double x = far ? 800000 : 500000 + (i % columns) * 1000.0;
        const double y = far ? 600000 : 600000 - (i / columns) * 800.0;
        if (!failed) {
            report.footprint =
                Footprint{{MapPoint{x, y}, {x + 1000, y}, {x + 1000, y - 800}, {x, y - 800}},
                          "EPSG:2180",
                          {1000, 800},
                          "/out/sheet" + std::to_string(i) + ".tfw"};
            ++outcome.converted;
        }
        outcome.files.push_back(report);
    }
    outcome.total = static_cast<std::size_t>(count);
    outcome.done = true;
    return outcome;
}

std::vector<std::size_t> AllOf(const RunOutcome& outcome) {
    std::vector<std::size_t> files;
    for (std::size_t i = 0; i < outcome.files.size(); ++i) {
        if (outcome.files[i].footprint) {
            files.push_back(i);
        }
    }
    return files;
}

void Wheel(ui::FootprintMap& map, int steps) {
    const QPointF at = map.viewport()->rect().center();
    for (int i = 0; i < std::abs(steps); ++i) {
        QWheelEvent wheel(at, map.viewport()->mapToGlobal(at), {}, {0, steps > 0 ? 120 : -120},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(map.viewport(), &wheel);
    }
}

// Tables to world files, `count` of them, named t0.tab...; the images need not exist.
QStringList Tables(const TempFolder& folder, int count) {
    QStringList tables;
    for (int i = 0; i < count; ++i) {
        const std::string name = "t" + std::to_string(i);
        tables << Q(folder.Write(name + ".tab", SmallSheetTable(name + ".tif")));
    }
    return tables;
}

// Runs the tables in the window, handing the progress window to `atFile` at each file.
void RunTables(StartedWindow& started, const QStringList& tables,
               const std::function<void(QProgressDialog&, int)>& atFile = {}) {
    started.click("optTABin");
    started.click("optTFW");
    ui::QtUserInteraction& dialogs = started.window->dialogs();
    dialogs.progressDelayMs = 0;
    int file = 0;
    dialogs.progressShown = [&](QProgressDialog& progress) {
        if (atFile) {
            atFile(progress, ++file);
        }
    };
    started.answers->AnswerFiles(tables);
    started.click("cmbOK");
}

QRectF Seen(const ui::FootprintMap& map) {
    return map.mapToScene(map.viewport()->rect()).boundingRect();
}

// Puts a 640 x 480 map on screen showing every sheet of the run, the `marked` ones as outliers.
bool ShowOnScreen(ui::FootprintMap& map, const RunOutcome& outcome,
                  const std::set<std::size_t>& marked) {
    map.resize(640, 480);
    map.show();
    if (!QTest::qWaitForWindowExposed(&map)) {
        return false;
    }
    map.Show(outcome, AllOf(outcome), marked, "m");
    return true;
}

}  // namespace

void SummaryTest::mapZoomsFromTheSeriesToOneSheetAndPans() {
    const RunOutcome outcome = Sheets(2000, 50, false);
    ui::FootprintMap map;
    QVERIFY(ShowOnScreen(map, outcome, {}));
    const QRectF series = map.scene()->itemsBoundingRect();
    QVERIFY(Seen(map).contains(series.adjusted(1, 1, -1, -1)));
    QVERIFY(map.ScaleBarText().endsWith(" m"));

    // In as far as it goes: one sheet fills the view, and stays so through a resize.
    Wheel(map, 40);
    QVERIFY2(Seen(map).width() <= 1000.5 || Seen(map).height() <= 800.5,
             qPrintable(QString::number(Seen(map).width())));
    const double zoomedIn = map.Zoom();
    map.resize(700, 500);
    QApplication::processEvents();
    QCOMPARE(map.Zoom(), zoomedIn);

    // Dragging pans by as much as the pointer moved, and selects nothing.
    const QPointF before = map.mapToScene(map.viewport()->rect().center());
    const QPoint from = map.viewport()->rect().center();
    QTest::mousePress(map.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(map.viewport(), from + QPoint(40, 20));
    QTest::mouseMove(map.viewport(), from + QPoint(120, 60));
    QTest::mouseRelease(map.viewport(), Qt::LeftButton, {}, from + QPoint(120, 60));
    const QPointF moved = before - map.mapToScene(map.viewport()->rect().center());
    QVERIFY2(std::abs(moved.x() - 120 / map.Zoom()) < 2 / map.Zoom() &&
                 std::abs(moved.y() - 60 / map.Zoom()) < 2 / map.Zoom(),
             qPrintable(QString("%1 %2").arg(moved.x()).arg(moved.y())));
    QVERIFY(map.scene()->selectedItems().isEmpty());

    // Out as far as it goes: the whole series and room around it.
    Wheel(map, -80);
    QVERIFY(Seen(map).contains(series));
    QVERIFY(map.Zoom() < zoomedIn / 100);
}

void SummaryTest::aSelectedSheetIsCentredAndFilled() {
    const RunOutcome outcome = Sheets(2000, 50, true);
    ui::FootprintMap map;
    QVERIFY(ShowOnScreen(map, outcome, {1999}));
    QVERIFY(ui::FootprintMap::IsMarked(*map.Outline(1999)));
    Wheel(map, 25);

    // Chosen from the list: centred, drawn filled with a broad edge above its neighbours.
    QVERIFY(map.Select(1234));
    QGraphicsPolygonItem* chosen = map.Outline(1234);
    QVERIFY(chosen->isSelected());
    const QPointF centre = map.mapToScene(map.viewport()->rect().center());
    QVERIFY(QLineF(centre, chosen->boundingRect().center()).length() < 2 / map.Zoom());
    QCOMPARE(chosen->pen().width(), 3);
    QVERIFY(chosen->brush().color().alpha() > 150);
    QVERIFY(chosen->zValue() > map.Outline(1233)->zValue());

    // A click on a neighbour moves the selection there, and says so.
    QSignalSpy selected(&map, &ui::FootprintMap::sheetSelected);
    const QPoint neighbour = map.mapFromScene(map.Outline(1235)->boundingRect().center());
    QTest::mouseClick(map.viewport(), Qt::LeftButton, {}, neighbour);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 1235);
    QVERIFY(map.Outline(1235)->isSelected());
    QCOMPARE(chosen->pen().width(), map.Outline(1233)->pen().width());
}

void SummaryTest::aSheetFewPixelsWideIsFoundByItsDot() {
    const RunOutcome outcome = Sheets(2000, 50, true);
    ui::FootprintMap map;
    QVERIFY(ShowOnScreen(map, outcome, {1999}));
    // With the whole series in view a sheet is two pixels wide: beside it, on its dot, the
    // pointer finds it. Zoomed in, a sheet is found on its outline, away from its dot.
    const struct {
        int wheelSteps;
        std::size_t file;
        bool besideTheSheet;
    } cases[] = {{0, 1999, true}, {15, 1201, false}};
    for (const auto& [wheelSteps, file, besideTheSheet] : cases) {
        map.FitSheets();
        Wheel(map, wheelSteps);
        map.centerOn(map.Outline(file));
        const QRect sheet = map.mapFromScene(map.Outline(file)->boundingRect()).boundingRect();
        QVERIFY2(besideTheSheet ? sheet.width() <= 3 : sheet.width() > 20,
                 qPrintable(QString::number(sheet.width())));
        const QPoint at =
            besideTheSheet ? sheet.center() + QPoint(3, 3) : sheet.topLeft() + QPoint(4, 4);
        const QString name = QString("/maps/sheets/sheet%1.tab\n").arg(file);
        QHelpEvent hover(QEvent::ToolTip, at, map.viewport()->mapToGlobal(at));
        QApplication::sendEvent(map.viewport(), &hover);
        QVERIFY2(QToolTip::text().startsWith(name), qPrintable(QToolTip::text()));
        QSignalSpy selected(&map, &ui::FootprintMap::sheetSelected);
        QTest::mouseClick(map.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), static_cast<int>(file));
    }
}

void SummaryTest::enterInTheProgressWindowGoesOnAndEscCancels() {
    const TempFolder maps;
    StartedWindow started;
    RunTables(started, Tables(maps, 4), [](QProgressDialog& progress, int file) {
        auto* cancel = progress.findChild<QPushButton*>("cmdCancel");
        QVERIFY(!cancel->autoDefault() && !cancel->isDefault());
        if (file == 2) {
            for (QWidget* target :
                 {static_cast<QWidget*>(&progress), static_cast<QWidget*>(cancel)}) {
                QTest::keyClick(target, Qt::Key_Return);
                QTest::keyClick(target, Qt::Key_Enter);
            }
        } else if (file == 3) {
            QTest::keyClick(&progress, Qt::Key_Escape);
        }
    });
    QCOMPARE(started.find<QLabel>("lblStatus")->text(),
             "2 of 4 converted\ncancelled before t2.tab\noutputs in " + Q(maps.path()));
    auto* summary = started.find<QDialog>("frmSummary");
    const QString counts = summary->findChild<QLabel*>("lblSummary")->text();
    QVERIFY2(counts.startsWith("Cancelled before t2.tab\n"), qPrintable(counts));
}

void SummaryTest::theSummaryKeepsTheFocusAndSaysWhenNothingOpensItsFolder() {
    const TempFolder maps;
    StartedWindow started;
    RunTables(started, Tables(maps, 2));
    auto* summary = started.find<QDialog>("frmSummary");
    QVERIFY(QTest::qWaitForWindowActive(summary));
    for (const char* button : {"cmdSaveCsv", "cmdSaveFootprints"}) {
        QWidget* owner = nullptr;
        started.answers->Answer(ui::kSaveFileDialogName, [&](QDialog& dialog) {
            owner = dialog.parentWidget();
            return int(QDialog::Rejected);
        });
        summary->findChild<QPushButton*>(button)->click();
        QCOMPARE(owner, summary);
        QCOMPARE(QApplication::activeWindow(), summary);
    }
    started.answers->opensUrls = false;
    summary->findChild<QPushButton*>("cmdOpenFolder")->click();
    QCOMPARE(started.answers->openedUrls.size(), 1);
    QCOMPARE(started.answers->messageTexts(),
             QStringList({"Done!", "No program can open:\n" + Q(maps.path())}));
    QCOMPARE(started.answers->messages.back().owner, summary->objectName());
}

void SummaryTest::theListSortsFiltersFailuresAndKeepsItsFileColumn() {
    RunOutcome outcome = Sheets(1500, 50, false, 7);
    for (std::size_t i = 0; i < outcome.files.size(); ++i) {
        outcome.plan.inputFiles.push_back("/a/very/long/folder/of/scanned/maps/" +
                                          std::string(120, 'x') + outcome.files[i].file);
    }
    test::ScriptedUser user;
    const Environment env(user);
    ui::SummaryWindow summary(env, {[] {}, [] {}, [] {}, [] {}}, nullptr);
    summary.Show(outcome);
    QVERIFY(QTest::qWaitForWindowExposed(&summary));
    auto* list = summary.findChild<QTableWidget*>("lstFiles");
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QString("File"));
    QCOMPARE(list->item(0, 0)->toolTip(), Q(outcome.plan.inputFiles[0]));
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);  // every column in view
    QVERIFY(list->columnWidth(0) > 100);
    // The result column is as wide as Qt's own fit to its rows in view would make it.
    const auto resultsFit = [list] {
        const int width = list->columnWidth(1);
        list->resizeColumnToContents(1);
        return list->columnWidth(1) == width;
    };
    QVERIFY(resultsFit());

    // Failed only: the 214 failures, and a sort by result keeps them together.
    summary.findChild<QCheckBox*>("chkFailedOnly")->setChecked(true);
    int shown = 0;
    for (int row = 0; row < list->rowCount(); ++row) {
        shown += list->isRowHidden(row) ? 0 : 1;
    }
    QCOMPARE(shown, 1500 / 7);
    QVERIFY(resultsFit());
    list->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
    QCOMPARE(list->item(0, 0)->text(), QString("/maps/sheets/sheet999.tab"));

    // A row chosen in the sorted list chooses its own sheet.
    list->selectRow(1);
    QCOMPARE(list->item(1, 0)->text(), QString("/maps/sheets/sheet998.tab"));
    QVERIFY(summary.findChild<ui::FootprintMap*>("mapView")->Outline(998)->isSelected());

    // The next run opens at its top, nothing chosen.
    list->scrollToBottom();
    summary.Show(Sheets(1200, 40, false));
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QCOMPARE(list->currentRow(), -1);
}

}  // namespace marlo::test
