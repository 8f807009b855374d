#include <tuple>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QGraphicsPolygonItem>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include "support/sheets.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "ui/footprint_map.h"
#include "ui/qt_user_interaction.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

QStringList FilesIn(const std::string& folder) {
    return QDir(Q(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList Items(QDialog& dialog, const char* list) {
    auto* combo = dialog.findChild<QComboBox*>(list);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items << combo->itemText(i);
    }
    return items;
}

// Answers a file dialog with these names in the folder it opened in, noting that folder.
std::function<int(QDialog&)> AcceptIn(QString& openedIn, const QString& names = {}) {
    return [&openedIn, names](QDialog& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        openedIn = files.directory().absolutePath();
        if (!names.isEmpty()) {
            files.selectFile(names);
        }
        return int(QDialog::Accepted);
    };
}

void Drop(const StartedWindow& started, const QStringList& files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files) {
        urls << QUrl::fromLocalFile(file);
    }
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(started.window.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(started.window.get(), &drop);
}

}  // namespace

void ComfortsTest::init() {
    ForgetSettings();
}

void ComfortsTest::progressShowsEachFileAndCancelStopsBetweenFiles() {
    const TempFolder maps;
    QStringList tables;
    for (const std::string name : {"a", "b", "c", "d"}) {
        tables << Q(maps.Write(name + ".tab", SmallSheetTable(name + ".tif")));
    }
    StartedWindow started;
    started.click("optTABin");
    started.click("optTFW");
    ui::QtUserInteraction& dialogs = started.window->dialogs();
    dialogs.progressDelayMs = 0;
    QStringList labels;
    bool visibleByThird = false;
    dialogs.progressShown = [&](QProgressDialog& progress) {
        labels << progress.labelText();
        if (labels.size() == 3) {
            visibleByThird = progress.isVisible();
            progress.findChild<QPushButton*>()->click();
        }
    };
    started.answers->AnswerFiles(tables);
    started.click("cmbOK");

    QCOMPARE(labels,
             QStringList({"File 1 of 4: a.tab", "File 2 of 4: b.tab", "File 3 of 4: c.tab"}));
    QVERIFY(visibleByThird);
    QVERIFY(started.window->findChild<QProgressDialog*>() == nullptr);
    QVERIFY(started.answers->messages.empty());  // no "Done!" for a cancelled run
    QCOMPARE(Status(started),
             "2 of 4 converted; cancelled before c.tab; outputs in " + Q(maps.path()));
    // Whole world files for the first two, nothing else, no temporary file left behind.
    QCOMPARE(FilesIn(maps.path()),
             QStringList({"a.tab", "a.tfw", "b.tab", "b.tfw", "c.tab", "d.tab"}));
    QCOMPARE(ReadBytes(maps / "b.tfw"), std::string(kSmallSheetWorldFile));
}

void ComfortsTest::aMessageDuringARunBelongsToTheProgressWindow() {
    // The progress window blocks the main window and its other windows: a message owned by
    // the main window could not be answered.
    const TempFolder maps;
    const QString good = Q(maps.Write("a.tab", SmallSheetTable("a.tif")));
    const QString broken = Q(maps.Write("b.tab", "!table\r\n"));
    StartedWindow started;
    started.click("optTABin");
    started.click("optTFW");
    started.window->dialogs().progressDelayMs = 0;
    started.answers->AnswerFiles({good, broken});
    started.click("cmbOK");
    QCOMPARE(started.answers->messages.size(), std::size_t(1));
    QCOMPARE(started.answers->messages[0].owner, QString(ui::kProgressDialogName));
    QVERIFY(Status(started).startsWith("1 of 2 converted; stopped at b.tab: "));
}

void ComfortsTest::choicesSurviveARestart() {
    const TempFolder maps;
    const std::string input = maps.MakeFolder("in");
    maps.Write("in/sheet.tif", TiffBuilder::Image(40, 30).Build());
    const QString worldFile = Q(maps.Write("in/sheet.tfw", kSmallSheetWorldFile));
    const std::string output = maps.MakeFolder("out");
    {
        StartedWindow started;
        started.click("optTFWin");
        started.click("optGEO");
        started.answers->AnswerFiles({worldFile});
        started.answers->Answer("frmMapInfoProj", AnswerNoSystem());
        started.answers->AnswerFolder(Q(output));
        started.click("cmbOK");
        started.click("optTAB");
        started.answers->AnswerFiles({worldFile});
        started.answers->Answer("frmMapInfoProj", [](QDialog& dialog) {
            QTest::keyClicks(dialog.findChild<QLineEdit*>("txtSearch"), "2180");
            dialog.findChild<QPushButton*>("cmdOK")->click();
            return dialog.result();
        });
        started.click("cmbOK");
        QCOMPARE(started.answers->messageTexts(), QStringList({"Done!", "Done!"}));
        started.click("optGEO");
    }
    StartedWindow restarted;
    QVERIFY(restarted.option("optTFWin")->isChecked());
    QVERIFY(restarted.option("optGEO")->isChecked());
    QString filesOpenedIn, folderPickerOpenedIn, projection;
    restarted.answers->Answer(ui::kOpenFileDialogName, AcceptIn(filesOpenedIn, "sheet.tfw"));
    restarted.answers->Answer("frmMapInfoProj", AnswerNoSystem());
    restarted.answers->Answer(ui::kFolderPickerName, AcceptIn(folderPickerOpenedIn));
    restarted.click("cmbOK");
    QCOMPARE(filesOpenedIn, Q(input));
    QCOMPARE(folderPickerOpenedIn, Q(output));

    restarted.click("optTAB");
    restarted.answers->AnswerFiles({worldFile});
    restarted.answers->Answer("frmMapInfoProj", [&projection](QDialog& dialog) {
        projection = dialog.findChild<QComboBox*>("cmbProj")->currentText();
        return int(QDialog::Rejected);
    });
    restarted.click("cmbOK");
    QCOMPARE(projection, QString("ETRF2000-PL / CS92"));
}

void ComfortsTest::outputFolderPickerNeverOpensInTheInputFolder() {
    const TempFolder maps;
    const QString worldFile = Q(maps.Write("in/sheet.tfw", kSmallSheetWorldFile));
    StartedWindow started;
    started.click("optTFWin");
    started.click("optGEO");
    started.answers->AnswerFiles({worldFile});
    started.answers->Answer("frmMapInfoProj", AnswerNoSystem());
    QString openedIn;
    started.answers->Answer(ui::kFolderPickerName, [&openedIn](QDialog& dialog) {
        openedIn = static_cast<QFileDialog&>(dialog).directory().absolutePath();
        return int(QDialog::Rejected);
    });
    started.click("cmbOK");
    QCOMPARE(openedIn, Q(maps.path()));
}

void ComfortsTest::searchFiltersGroupsAndProjections() {
    const TempFolder maps;
    maps.Write("sheet.tif", TiffBuilder::Image(40, 30).Build());
    const QString worldFile = Q(maps.Write("sheet.tfw", kSmallSheetWorldFile));
    StartedWindow started;
    started.click("optTFWin");
    started.answers->AnswerFiles({worldFile});
    QStringList groups, projections, allGroups;
    started.answers->Answer("frmMapInfoProj", [&](QDialog& dialog) {
        auto* search = dialog.findChild<QLineEdit*>("txtSearch");
        QTest::keyClicks(search, "2180");
        groups = Items(dialog, "cmbGroup");
        projections = Items(dialog, "cmbProj");
        search->clear();
        allGroups = Items(dialog, "cmbGroup");
        return int(QDialog::Rejected);
    });
    started.click("cmbOK");
    QCOMPARE(groups, QStringList{"Poland"});
    QCOMPARE(projections, QStringList{"ETRF2000-PL / CS92"});
    QVERIFY(allGroups.size() > 5);
    QCOMPARE(allGroups.front(), QString("Longitude / Latitude"));
}

void ComfortsTest::polishModeTranslatesQtsOwnDialogs() {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));  // as on a Polish desktop
    StartedWindow started;
    QStringList buttons;
    const auto noteButtons = [&buttons](QDialog& dialog) {
        for (const auto* button : dialog.findChildren<QPushButton*>()) {
            buttons << button->text().remove('&');
        }
        return int(QDialog::Rejected);
    };
    started.click("cmdPL");
    started.answers->Answer(ui::kOpenFileDialogName, noteButtons);
    started.click("cmbOK");
    QVERIFY2(buttons.contains("Anuluj") && buttons.contains("Otwórz"),
             qPrintable(buttons.join('|')));
    buttons.clear();
    started.click("cmdEN");
    started.answers->Answer(ui::kOpenFileDialogName, noteButtons);
    started.click("cmbOK");
    QVERIFY2(buttons.contains("Cancel") && buttons.contains("Open"), qPrintable(buttons.join('|')));
    // Sizes and dates in Qt's dialogs too, whatever the system's language.
    QCOMPARE(QLocale().language(), QLocale::English);
    QCOMPARE(QLocale().formattedDataSize(91), QString("91 bytes"));
    started.click("cmdPL");
    QCOMPARE(QLocale().language(), QLocale::Polish);
    started.click("cmdEN");
}

void ComfortsTest::droppedFilesAreTheNextRunsSelection() {
    const TempFolder maps;
    const QString a = Q(maps.Write("a.tab", SmallSheetTable("a.tif")));
    const QString b = Q(maps.Write("b.tab", SmallSheetTable("b.tif")));
    const QString otherKind = Q(maps.Write("other/c.tfw", "1\n0\n0\n-1\n0\n0\n"));
    StartedWindow started;

    Drop(started, {a, otherKind});
    QCOMPARE(started.answers->messageTexts(), QStringList{"Files to convert must be of one kind!"});
    QVERIFY(started.option("optGEOin")->isChecked());

    Drop(started, {a, b});
    QVERIFY(started.option("optTABin")->isChecked());
    QCOMPARE(Status(started), "Files selected: 2 in " + Q(maps.path()));
    started.click("optTFW");
    // The dropped files are the run's: no file dialog is shown for them.
    started.click("cmbOK");
    QCOMPARE(Status(started), "2 of 2 converted; outputs in " + Q(maps.path()));
    QCOMPARE(FilesIn(maps.path()), QStringList({"a.tab", "a.tfw", "b.tab", "b.tfw"}));
}

void ComfortsTest::keyboardMovesByGroupsAndMnemonics() {
    StartedWindow started;
    started.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(started.window.get()));
    // In the default state too, each side's mnemonic reaches its selected option.
    for (const auto& [language, to, from] :
         {std::tuple{"cmdEN", Qt::Key_T, Qt::Key_F}, std::tuple{"cmdPL", Qt::Key_D, Qt::Key_Z}}) {
        started.click(language);
        QTest::keyClick(started.window.get(), to, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), started.option("optTAB"));
        QTest::keyClick(started.window.get(), from, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), started.option("optGEOin"));
    }
    started.click("cmdEN");
    QRadioButton* geoIn = started.option("optGEOin");
    geoIn->setFocus();
    QTest::keyClick(geoIn, Qt::Key_Down);
    QVERIFY(started.option("optTABin")->isChecked());
    QVERIFY(started.window->procedures().Choices().options.optTABin.selected);
    QVERIFY(!started.option("optTAB")->isEnabled());
    // One Tab stop per group: from the input side straight to the selected output option.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), started.option("optTFW"));

    for (const char* language : {"cmdPL", "cmdEN"}) {
        started.click(language);
        QString letters;
        for (const QString& caption : {started.find<QGroupBox>("Frame2")->title(),
                                       started.find<QGroupBox>("Frame1")->title(),
                                       started.find<QAbstractButton>("cmbOK")->text(),
                                       started.find<QAbstractButton>("cmdExit")->text()}) {
            const auto mark = caption.indexOf('&');
            QVERIFY2(mark >= 0 && mark + 1 < caption.size(), qPrintable(caption));
            QVERIFY2(!letters.contains(caption[mark + 1].toLower()), qPrintable(caption));
            letters += caption[mark + 1].toLower();
        }
    }
}

// Keep going: 200 sheets, 3 of them broken. The run says "Done!" once, converts the others and
// lists every file in the summary, which copies, saves as CSV and opens the output folder.
void ComfortsTest::keepGoingListsEveryFailureInTheSummary() {
    const TempFolder maps;
    QStringList tables;
    for (int i = 0; i < 200; ++i) {
        const std::string name = "s" + std::to_string(i);
        const bool broken = i == 3 || i == 100 || i == 199;
        tables << Q(
            maps.Write(name + ".tab", broken ? "!table\r\n" : SmallSheetTable(name + ".tif")));
    }
    StartedWindow started;
    started.click("optTABin");
    started.click("optTFW");
    started.click("chkKeepGoing");
    started.answers->AnswerFiles(tables);
    started.click("cmbOK");
    QCOMPARE(started.answers->messageTexts(), QStringList({"Done!"}));
    QCOMPARE(Status(started), "197 of 200 converted; failed: 3; outputs in " + Q(maps.path()));
    auto* summary = started.find<QDialog>("frmSummary");
    QVERIFY(summary != nullptr && summary->isVisible());
    auto* list = summary->findChild<QTableWidget*>("lstFiles");
    QCOMPARE(list->rowCount(), 200);
    QStringList failed;
    for (int row = 0; row < list->rowCount(); ++row) {
        if (list->item(row, 1)->text() == "failed") {
            failed << list->item(row, 0)->text();
        }
    }
    QCOMPARE(failed, QStringList({"s3.tab", "s100.tab", "s199.tab"}));

    const std::string csv = maps / "saved/summary.csv";
    std::filesystem::create_directories(maps / "saved");
    started.answers->Answer(ui::kSaveFileDialogName, [&csv](QDialog& dialog) {
        static_cast<QFileDialog&>(dialog).selectFile(Q(csv));
        return int(QDialog::Accepted);
    });
    summary->findChild<QPushButton*>("cmdSaveCsv")->click();
    const QString saved = Q(ReadBytes(csv));
    QCOMPARE(saved.count(",failed,"), 3);
    QCOMPARE(saved.count("\r\n"), 201);
    summary->findChild<QPushButton*>("cmdCopy")->click();
    QVERIFY(QApplication::clipboard()->text().contains("s100.tab: "));
    summary->findChild<QPushButton*>("cmdOpenFolder")->click();
    QCOMPARE(started.answers->openedUrls.back(), "file://" + Q(maps.path()));

    StartedWindow again;  // the choice is remembered
    QVERIFY(again.find<QCheckBox>("chkKeepGoing")->isChecked());
}

// Outputs that exist before a run: one question, whose answer holds for the whole run.
void ComfortsTest::existingOutputsAreAskedAboutOnce() {
    const TempFolder maps;
    const QStringList tables = {Q(maps.Write("a.tab", SmallSheetTable("a.tif"))),
                                Q(maps.Write("b.tab", SmallSheetTable("b.tif")))};
    struct Case {
        const char* button;  // "" closes the question with Esc
        const char* a;       // a.tfw afterwards
        QString status;
    };
    const Case cases[] = {
        {"cmdSkipExisting", "old", "1 of 2 converted; skipped: 1; outputs in " + Q(maps.path())},
        {"cmdReplaceAll", kSmallSheetWorldFile, "2 of 2 converted; outputs in " + Q(maps.path())},
        {"", "old", "Cancelled"},
    };
    for (const Case& c : cases) {
        maps.Write("a.tfw", "old");
        std::filesystem::remove(maps / "b.tfw");
        StartedWindow started;
        started.click("optTABin");
        started.click("optTFW");
        started.answers->AnswerFiles(tables);
        started.answers->Answer(ui::kExistingOutputsName, [&c](QDialog& dialog) {
            if (*c.button != '\0') {
                dialog.findChild<QPushButton*>(c.button)->click();
            }
            return dialog.result();
        });
        started.click("cmbOK");
        QCOMPARE(started.answers->shown.count(ui::kExistingOutputsName), 1);
        QCOMPARE(Q(ReadBytes(maps / "a.tfw")), QString(c.a));
        QCOMPARE(std::filesystem::exists(maps / "b.tfw"), *c.button != '\0');
        QCOMPARE(Status(started), c.status);
    }
}

// Closing any dialog of a run ends it as "Cancelled", without a message.
void ComfortsTest::closingAnyDialogOfARunIsACancel() {
    const TempFolder maps;
    const QString worldFile = Q(maps.Write("in/sheet.tfw", kSmallSheetWorldFile));
    maps.Write("in/sheet.tif", TiffBuilder::Image(40, 30).Build());
    maps.Write("in/sheet.tab", "an output from before");
    std::filesystem::create_directories(DataFolder());
    maps.Write("list.prj", "--- G ---\r\n\"P\", 1, 104\r\n");
    std::filesystem::copy_file(maps / "list.prj", DataFolder() + "/mapinfow.prj",
                               std::filesystem::copy_options::overwrite_existing);
    struct Case {
        const char* dialog;
        const char* output;
        std::function<void(DialogAnswers&)> answers;
    };
    const Case cases[] = {
        {"file dialog", "optTAB", [](DialogAnswers&) {}},
        {"projection window", "optTAB", [&](DialogAnswers& a) { a.AnswerFiles({worldFile}); }},
        {"existing outputs", "optTAB",
         [&](DialogAnswers& a) {
             a.AnswerFiles({worldFile});
             a.Answer("frmMapInfoProj", [](QDialog& dialog) {
                 dialog.findChild<QPushButton*>("cmdOK")->click();
                 return dialog.result();
             });
         }},
        {"folder picker", "optGEO",
         [&](DialogAnswers& a) {
             a.AnswerFiles({worldFile});
             a.Answer("frmMapInfoProj", AnswerNoSystem());
         }},
    };
    for (const Case& c : cases) {
        StartedWindow started;
        started.click("optTFWin");
        started.click(c.output);
        c.answers(*started.answers);
        started.click("cmbOK");
        QVERIFY2(started.answers->messages.empty() ||
                     started.answers->shown.contains(ui::kExistingOutputsName),
                 c.dialog);
        QCOMPARE(Status(started), QString("Cancelled"));
        QCOMPARE(Q(ReadBytes(maps / "in/sheet.tab")), QString("an output from before"));
    }
}

namespace {

// A table placing a 40 x 30 image with 2 m pixels, its corner at (x, y), in `coordSys`.
std::string PlacedTable(const std::string& image, double x, double y,
                        const std::string& coordSys = "") {
    const auto point = [](double px, double py, int column, int row, const char* end) {
        return "  (" + std::to_string(px) + "," + std::to_string(py) + ") (" +
               std::to_string(column) + "," + std::to_string(row) + ") Label \"p\"" + end + "\r\n";
    };
    return "!table\r\n!version 300\r\nDefinition Table\r\n  File \"" + image + "\"\r\n" +
           point(x, y, 0, 0, ",") + point(x + 80, y, 40, 0, ",") +
           point(x + 80, y - 60, 40, 30, "") + (coordSys.empty() ? "" : "  " + coordSys + "\r\n");
}

// Runs tables to world files in the window, with the shipped projection list, and gives the
// summary window.
QDialog* RunTablesWithShippedList(StartedWindow& started, const QStringList& tables) {
    std::filesystem::remove_all(DataFolder());
    started.click("optTABin");
    started.click("optTFW");
    started.answers->AnswerFiles(tables);
    started.click("cmbOK");
    return started.find<QDialog>("frmSummary");
}

}  // namespace

// 50 sheets in a 5 x 10 grid and one 500 km away: 51 outlines to scale, the far one marked;
// hovering names a sheet and its corners, a click selects its row, and a row its outline.
void ComfortsTest::theSummaryMapShowsWhereTheSheetsLie() {
    const TempFolder maps;
    QStringList tables;
    for (int i = 0; i < 51; ++i) {
        const std::string name = "s" + std::to_string(i);
        maps.Write(name + ".tif", TiffBuilder::Image(40, 30).Build());
        const double x = i < 50 ? 500000 + (i % 5) * 80 : 1000000;
        const double y = i < 50 ? 600000 - (i / 5) * 60 : 600000;
        tables << Q(maps.Write(name + ".tab", PlacedTable(name + ".tif", x, y)));
    }
    StartedWindow started;
    QDialog* summary = RunTablesWithShippedList(started, tables);
    QVERIFY(summary != nullptr);
    QVERIFY(Status(started).contains("1 sheet lies far from the rest"));
    auto* tabs = summary->findChild<QTabWidget*>("tabMaps");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QString("No coordinate system"));
    auto* map = static_cast<ui::FootprintMap*>(tabs->widget(0));
    QCOMPARE(map->OutlineCount(), std::size_t(51));
    int marked = 0;
    for (std::size_t file = 0; file < 51; ++file) {
        marked += ui::FootprintMap::IsMarked(*map->Outline(file)) ? 1 : 0;
    }
    QCOMPARE(marked, 1);
    QVERIFY(ui::FootprintMap::IsMarked(*map->Outline(50)));
    const QString tip = map->SheetText(7);
    QVERIFY2(tip.startsWith("s7.tab\n500160.000, 599940.000\n"), qPrintable(tip));

    // A click on an outline selects its row; a row selects its outline.
    QVERIFY(QTest::qWaitForWindowExposed(summary));
    map->fitInView(map->Outline(50), Qt::KeepAspectRatio);  // as the wheel would zoom in
    const QPoint at = map->mapFromScene(map->Outline(50)->polygon().boundingRect().center());
    QTest::mouseClick(map->viewport(), Qt::LeftButton, {}, at);
    auto* list = summary->findChild<QTableWidget*>("lstFiles");
    QCOMPARE(list->currentRow(), 50);
    list->selectRow(30);
    QVERIFY(map->Outline(30)->isSelected());
    QVERIFY(!map->Outline(50)->isSelected());
}

// Sheets in two coordinate systems are never drawn on one plane.
void ComfortsTest::sheetsInTwoSystemsGetAMapEach() {
    const TempFolder maps;
    maps.Write("a.tif", TiffBuilder::Image(40, 30).Build());
    maps.Write("b.tif", TiffBuilder::Image(40, 30).Build());
    const QStringList tables = {
        Q(maps.Write("a.tab", PlacedTable("a.tif", 500000, 600000,
                                          "CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, "
                                          "500000, -5300000"))),
        Q(maps.Write("b.tab", PlacedTable("b.tif", 500000, 600000,
                                          "CoordSys Earth Projection 8, 104, \"m\", 15, 0, 0.9996, "
                                          "500000, 0")))};
    StartedWindow started;
    QDialog* summary = RunTablesWithShippedList(started, tables);
    auto* tabs = summary->findChild<QTabWidget*>("tabMaps");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QString("ETRF2000-PL / CS92 (EPSG:2180)"));
    for (int tab = 0; tab < 2; ++tab) {
        QCOMPARE(static_cast<ui::FootprintMap*>(tabs->widget(tab))->OutlineCount(), std::size_t(1));
    }
}

// A broken world file in a deep folder, in both languages: the status line says one fact a
// line and never widens the window, the failing file is named once with what was read from it
// in quotes, and each message box is wide enough for its title in a window manager's frame.
void ComfortsTest::textsFitAndNameTheFailingFileOnce() {
    const TempFolder maps;
    const std::string deep = std::string(90, 'f') + "/" + std::string(90, 'g');
    maps.Write(deep + "/a.tif", TiffBuilder::Image(40, 30).Build());
    maps.Write(deep + "/b.tif", TiffBuilder::Image(40, 30).Build());
    const QStringList worldFiles = {Q(maps.Write(deep + "/a.tfw", kSmallSheetWorldFile)),
                                    Q(maps.Write(deep + "/b.tfw", "this is not a world file\r\n"))};
    const QString out = Q(maps.MakeFolder(deep + "/out"));
    const QString english = "Error value in the tfw file! \"this is not a world file\"";
    const QString polish = "Błędne wartości w pliku tfw! \"this is not a world file\"";
    struct Case {
        const char* language;
        bool keepGoing;
        QStringList lines;
        QString reason;
    };
    const Case cases[] = {
        {"cmdEN",
         false,
         {"1 of 2 converted", "stopped at b.tfw: " + english, "outputs in " + out},
         english},
        {"cmdEN", true, {"1 of 2 converted; failed: 1", "outputs in " + out}, english},
        {"cmdPL", true, {"Przekonwertowano 1 z 2; błędy: 1", "wyniki w " + out}, polish},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(maps / (deep + "/out/a.tif"));
        StartedWindow started;
        started.click(c.language);
        started.click("optTFWin");
        started.click("optGEO");
        if (started.find<QCheckBox>("chkKeepGoing")->isChecked() != c.keepGoing) {
            started.click("chkKeepGoing");
        }
        started.window->show();
        QApplication::processEvents();
        const int width = started.window->width();
        started.answers->AnswerFiles(worldFiles);
        started.answers->Answer("frmMapInfoProj", AnswerNoSystem());
        started.answers->AnswerFolder(out);
        int boxRoom = 0;  // what the message box leaves beside its title
        started.answers->Answer(ui::kMessageBoxName, [&boxRoom](QDialog& box) {
            boxRoom =
                box.sizeHint().width() - box.fontMetrics().horizontalAdvance(box.windowTitle());
            return int(QMessageBox::Ok);
        });
        started.click("cmbOK");
        QCOMPARE(started.answers->messages.size(), std::size_t(1));
        QVERIFY2(boxRoom >= 150, qPrintable(QString::number(boxRoom)));  // icon, three buttons

        auto* status = started.find<QLabel>("lblStatus");
        QCOMPARE(status->text().split('\n'), c.lines);
        QCOMPARE(status->text().count(out), 1);
        QCOMPARE(status->sizeHint().height(),
                 int(c.lines.size()) * status->fontMetrics().lineSpacing());
        QApplication::processEvents();
        QCOMPARE(started.window->width(), width);
        auto* list = started.find<QDialog>("frmSummary")->findChild<QTableWidget*>("lstFiles");
        QCOMPARE(list->item(1, 0)->text(), QString("b.tfw"));
        QCOMPARE(list->item(1, 2)->text(), c.reason);
    }
}

// A resumed run draws the sheets it skipped from their earlier outputs, greyed: no holes.
void ComfortsTest::skippedSheetsAreDrawnGreyFromTheirOutputs() {
    const TempFolder maps;
    QStringList tables;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "s" + std::to_string(i);
        maps.Write(name + ".tif", TiffBuilder::Image(40, 30).Build());
        tables << Q(maps.Write(name + ".tab", PlacedTable(name + ".tif", 500000 + i * 80, 600000)));
    }
    StartedWindow started;
    RunTablesWithShippedList(started, tables.mid(0, 2));
    started.answers->Answer(ui::kExistingOutputsName, [](QDialog& dialog) {
        dialog.findChild<QPushButton*>("cmdSkipExisting")->click();
        return dialog.result();
    });
    QDialog* summary = RunTablesWithShippedList(started, tables);
    auto* map =
        static_cast<ui::FootprintMap*>(summary->findChild<QTabWidget*>("tabMaps")->widget(0));
    QCOMPARE(map->OutlineCount(), std::size_t(4));
    for (std::size_t file = 0; file < 4; ++file) {
        QCOMPARE(ui::FootprintMap::IsGreyed(*map->Outline(file)), file < 2);
        QVERIFY(!ui::FootprintMap::IsMarked(*map->Outline(file)));
    }
}

}  // namespace marlo::test
