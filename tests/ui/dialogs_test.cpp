#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "projection/projection_window.h"
#include "support/temp_folder.h"
#include "ui/projection_dialog.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

// The pattern Qt's dialog takes from a name filter: the last parenthesised part.
QString PatternOf(const QString& nameFilter) {
    const auto open = nameFilter.lastIndexOf('(');
    return nameFilter.mid(open + 1, nameFilter.size() - open - 2);
}

// Whether one of the filter's blank-separated patterns takes the name.
bool Matches(const QString& nameFilter, const QString& fileName) {
    for (const QString& pattern : PatternOf(nameFilter).split(' ', Qt::SkipEmptyParts)) {
        // Case-sensitive on purpose: the pattern itself must accept every letter case.
        if (QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive)
                .match(fileName)
                .hasMatch()) {
            return true;
        }
    }
    return false;
}

}  // namespace

void DialogsTest::filtersMatchTheExtensionInAnyCase() {
    const QStringList geotiff = ui::NameFilters("GeoTiff (*.tif;*.tiff)|*.tif;*.tiff|");
    QCOMPARE(geotiff.size(), 1);
    QVERIFY(geotiff.front().startsWith("GeoTiff (*.tif;*.tiff) ("));
    for (const char* name : {"sheet.tif", "SHEET.TIF", "Sheet.Tif", "sheet.TIFF"}) {
        QVERIFY2(Matches(geotiff.front(), name), name);
    }
    QVERIFY(!Matches(geotiff.front(), "sheet.tfw"));
    QVERIFY(!Matches(geotiff.front(), "sheet.tiff.bak"));

    const QStringList list = ui::NameFilters("MapInfo projection file (mapinfow.prj)|mapinfow.prj");
    QCOMPARE(list.size(), 1);
    QVERIFY(Matches(list.front(), "MAPINFOW.PRJ"));
    QVERIFY(!Matches(list.front(), "other.prj"));
    QCOMPARE(ui::NameFilters("TAB (*.tab)|*.tab|TFW (*.tfw)|*.tfw").size(), 2);
    QVERIFY(ui::NameFilters("").isEmpty());
}

void DialogsTest::selectionComesBackAsFullPaths() {
    QVERIFY(ui::FullPaths({}).empty());
    QCOMPARE(ui::FullPaths({"/maps/a b/sheet.tfw", "/maps/y.tfw"}),
             (std::vector<std::string>{"/maps/a b/sheet.tfw", "/maps/y.tfw"}));
}

void DialogsTest::messageBoxesCarryIconAndTitle() {
    ui::QtUserInteraction dialogs;
    DialogAnswers answers(dialogs);
    dialogs.ShowMessage("Unable to write to output folder!\r\n/maps", MessageIcon::Critical);
    dialogs.ShowMessage("Done!", MessageIcon::Information);
    dialogs.ShowMessage("<b>plain</b>", MessageIcon::None, "Other");
    QCOMPARE(answers.messages.size(), std::size_t(3));
    QCOMPARE(answers.messages[0].text, QString("Unable to write to output folder!\n/maps"));
    QCOMPARE(answers.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(answers.messages[0].title, QString("Marlo"));
    QCOMPARE(answers.messages[1].icon, QMessageBox::Information);
    QCOMPARE(answers.messages[2].icon, QMessageBox::NoIcon);
    QCOMPARE(answers.messages[2].title, QString("Other"));
    QCOMPARE(answers.messages[2].text, QString("<b>plain</b>"));
}

void DialogsTest::errorReportTextCanBeSelectedAndCopied() {
    ui::QtUserInteraction dialogs;
    DialogAnswers answers(dialogs);
    QString copied;
    bool readOnly = false;
    Qt::TextInteractionFlags flags;
    answers.Answer(ui::kErrorReportName, [&](QDialog& dialog) {
        auto* text = dialog.findChild<QPlainTextEdit*>();
        readOnly = text->isReadOnly();
        flags = text->textInteractionFlags();
        text->selectAll();
        text->copy();
        copied = QApplication::clipboard()->text();
        return int(QDialog::Accepted);
    });
    dialogs.ShowErrorReport(
        "Record Call Stack Sequence - Bottom line is error line.\r\n\r\n"
        "\tcmdEN_Click Kestrin \r\n");
    QCOMPARE(answers.shown, QStringList{ui::kErrorReportName});
    QVERIFY(readOnly);
    QVERIFY(flags.testFlag(Qt::TextSelectableByKeyboard));
    QVERIFY(flags.testFlag(Qt::TextSelectableByMouse));
    QCOMPARE(copied, QString("Record Call Stack Sequence - Bottom line is error line.\n\n"
                             "\tcmdEN_Click Kestrin \n"));
}

void DialogsTest::projectionWindowClosedByItsCloseBoxIsACancel() {
    const TempFolder folder;
    const std::string list = folder.Write(
        "mapinfow.prj", "--- Grid ---\r\n\"Sample Grid\", 1, 104\r\n\"Other Grid\", 1, 33\r\n");
    ui::QtUserInteraction dialogs;
    const FileSystemService files;
    const Libraries libraries;
    const Texts texts;
    ProjectionChooser window({libraries, texts}, dialogs, files, ProjectionQuestion{}, list);
    ui::ProjectionDialog dialog(window);
    QCOMPARE(dialog.findChild<QComboBox*>("cmbGroup")->currentText(), QString("Grid"));
    QCOMPARE(dialog.findChild<QComboBox*>("cmbProj")->count(), 2);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.close();
    QVERIFY(window.IsClosed());
    QVERIFY(!window.Result().has_value());
}

// Converting GeoTIFFs to tables: the window opens on the first image's own system, and says
// that images keep theirs; the projection chosen serves the others. For GeoTIFF output, "no
// coordinate system" is an answer that sets the lists aside.
void DialogsTest::projectionWindowOffersEachImagesOwnSystem() {
    const TempFolder folder;
    const std::string list = folder.Write("mapinfow.prj",
                                          "--- Grid ---\r\n\"Sample Grid\\p4326\", 1, 104\r\n"
                                          "\"Other Grid\\p4230\", 1, 28\r\n");
    ui::QtUserInteraction dialogs;
    const FileSystemService files;
    const Libraries libraries;
    const Texts texts;
    ProjectionQuestion question;
    question.offerOwnSystems = true;
    question.firstOwnClause = "CoordSys Earth Projection 1, 28";
    ProjectionChooser window({libraries, texts}, dialogs, files, question, list);
    ui::ProjectionDialog dialog(window);
    QCOMPARE(dialog.findChild<QComboBox*>("cmbProj")->currentText(), QString("Other Grid"));
    auto* own = dialog.findChild<QCheckBox*>("chkOwnSystem");
    QVERIFY(own != nullptr && own->isChecked() && !own->isEnabled());
    QVERIFY(dialog.findChild<QCheckBox*>("chkNoSystem") == nullptr);
    dialog.findChild<QPushButton*>("cmdOK")->click();
    QCOMPARE(window.Result(), std::optional<std::string>("CoordSys Earth Projection 1, 28"));

    question.noSystemOffered = true;
    ProjectionChooser imageWindow({libraries, texts}, dialogs, files, question, list);
    ui::ProjectionDialog imageDialog(imageWindow);
    auto* none = imageDialog.findChild<QCheckBox*>("chkNoSystem");
    QVERIFY(none != nullptr);
    none->click();
    QVERIFY(!imageDialog.findChild<QComboBox*>("cmbProj")->isEnabled());
    imageDialog.findChild<QPushButton*>("cmdOK")->click();
    QCOMPARE(imageWindow.Result(), std::optional<std::string>(""));
}

namespace {

// A projection window over a list of these bytes, in its Qt dialog.
struct OpenWindow {
    explicit OpenWindow(const std::string& bytes, ProjectionQuestion question = {})
        : list(folder.Write("mapinfow.prj", bytes)),
          window({libraries, texts}, dialogs, files, std::move(question), list),
          dialog(window) {}
    const TempFolder folder;
    const std::string list;
    ui::QtUserInteraction dialogs;
    const FileSystemService files;
    const Libraries libraries;
    const Texts texts;
    ProjectionChooser window;
    ui::ProjectionDialog dialog;
};

}  // namespace

// A code the list lacks is looked up in GDAL as it is typed whole, and chosen like a listed one.
void DialogsTest::projectionWindowFindsAnyEpsgCodeGdalKnows() {
    OpenWindow opened("--- Grid ---\r\n\"Sample Grid\\p4326\", 1, 104\r\n");
    ProjectionChooser& window = opened.window;
    ui::ProjectionDialog& dialog = opened.dialog;
    QTest::keyClicks(dialog.findChild<QLineEdit*>("txtSearch"), "EPSG:2154");
    QCOMPARE(dialog.findChild<QComboBox*>("cmbGroup")->currentText(), QString("EPSG:2154"));
    QVERIFY(dialog.findChild<QComboBox*>("cmbProj")->currentText().contains("Lambert-93"));
    dialog.findChild<QPushButton*>("cmdOK")->click();
    QCOMPARE(window.Result(),
             std::optional<std::string>(
                 "CoordSys Earth Projection 3, 33, \"m\", 3, 46.5, 44, 49, 700000, 6600000"));
}

// A search that finds nothing says so, and OK cannot be pressed until something is chosen; when
// every image keeps its own system there is nothing to choose.
void DialogsTest::projectionWindowSaysWhenNothingMatches() {
    OpenWindow opened("--- Grid ---\r\n\"Sample Grid\", 1, 104\r\n");
    ProjectionChooser& window = opened.window;
    ui::ProjectionDialog& dialog = opened.dialog;
    const std::string& list = opened.list;
    ui::QtUserInteraction& dialogs = opened.dialogs;
    const FileSystemService& files = opened.files;
    auto* noMatches = dialog.findChild<QLabel*>("lblNoMatches");
    auto* ok = dialog.findChild<QPushButton*>("cmdOK");
    dialog.show();
    QVERIFY(!noMatches->isVisible() && ok->isEnabled());
    QTest::keyClicks(dialog.findChild<QLineEdit*>("txtSearch"), "zzzz");
    QVERIFY(noMatches->isVisible());
    QCOMPARE(noMatches->text(), QString("No matching projections"));
    QVERIFY(!ok->isEnabled());
    QTest::keyClick(dialog.findChild<QLineEdit*>("txtSearch"), Qt::Key_Return);
    QVERIFY(!window.IsClosed());
    dialog.findChild<QLineEdit*>("txtSearch")->clear();
    QVERIFY(!noMatches->isVisible() && ok->isEnabled());

    ProjectionQuestion everyImageOwn;
    everyImageOwn.offerOwnSystems = true;
    everyImageOwn.ownSystemsCoverEveryImage = true;
    ProjectionChooser own({opened.libraries, opened.texts}, dialogs, files, everyImageOwn, list);
    ui::ProjectionDialog ownDialog(own);
    QVERIFY(!ownDialog.findChild<QComboBox*>("cmbGroup")->isEnabled());
    QVERIFY(!ownDialog.findChild<QComboBox*>("cmbProj")->isEnabled());
    QVERIFY(ownDialog.findChild<QPushButton*>("cmdOK")->isEnabled());
}

}  // namespace marlo::test
