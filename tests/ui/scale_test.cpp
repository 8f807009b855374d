#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "support/sheets.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "ui/qt_user_interaction.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

// Sheets of a folder's tree: an image and its world file each, `perFolder` in the folder and in
// each of `subfolders` below it. Returns how many there are.
int WriteSheets(const TempFolder& maps, int perFolder, const std::vector<std::string>& subfolders) {
    const std::string image = TiffBuilder::Image(8, 6).Build();
    int written = 0;
    for (const std::string& folder : subfolders) {
        for (int sheet = 0; sheet < perFolder; ++sheet) {
            const std::string name = folder + "sheet_of_the_series_" + std::to_string(sheet);
            maps.Write(name + ".tif", image);
            maps.Write(name + ".tfw", kSmallSheetWorldFile);
            ++written;
        }
    }
    return written;
}

void DropOnWindow(const StartedWindow& started, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(started.window.get(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(started.window.get(), &drop);
}

// Runs the chosen files to GeoTIFFs without a coordinate system, into `output`.
void ConvertToGeoTiffs(StartedWindow& started, const std::string& output) {
    started.answers->Answer("frmMapInfoProj", AnswerNoSystem());
    started.answers->AnswerFolder(Q(output));
    started.click("cmbOK");
}

}  // namespace

void ScaleTest::init() {
    ForgetSettings();
}

// Ctrl+A in a folder of thousands of long names, then Open: every file, though their quoted
// names fill far more than the 32,767 characters a name field usually holds.
void ScaleTest::selectAllInTheFileDialogTakesThousandsOfFiles() {
    const TempFolder maps;
    constexpr int kFiles = 2500;
    for (int file = 0; file < kFiles; ++file) {
        maps.Write("a_rather_long_sheet_name_" + std::to_string(file) + ".tfw",
                   kSmallSheetWorldFile);
    }
    ui::QtUserInteraction dialogs;
    DialogAnswers answers(dialogs);
    answers.Answer(ui::kOpenFileDialogName, [](QDialog& dialog) {
        auto* list = dialog.findChild<QAbstractItemView*>("listView");
        if (!QTest::qWaitFor(
                [list] { return list->model()->rowCount(list->rootIndex()) == kFiles; }, 30000)) {
            return int(QDialog::Rejected);
        }
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open)->click();
        return dialog.result();
    });
    OpenFileDialogRequest request;
    request.multiSelect = true;
    request.filter = "TFW (*.tfw)|*.tfw";
    request.initialFolder = maps.path();
    QCOMPARE(dialogs.ShowOpenFileDialog(request).size(), std::size_t(kFiles));
}

// "Choose a folder..." with its subfolders, and a folder dropped on the window: every sheet
// below it is converted, each GeoTIFF in the subfolder its input lies in.
void ScaleTest::aChosenOrDroppedFolderConvertsEverySheetBelowIt() {
    const TempFolder maps;
    const int sheets = WriteSheets(maps, 60, {"in/", "in/north/", "in/south/east/"});
    StartedWindow started;
    started.click("optTFWin");
    started.click("optGEO");
    started.find<QCheckBox>("chkSubfolders")->setChecked(true);
    started.answers->AnswerFolder(Q(maps / "in"));
    started.click("cmdFolder");
    QCOMPARE(Status(started),
             "Files selected: " + QString::number(sheets) + " in " + Q(maps / "in"));
    ConvertToGeoTiffs(started, maps.MakeFolder("out"));
    QVERIFY2(Status(started).startsWith(QString("%1 of %1 converted").arg(sheets)),
             qPrintable(Status(started)));
    QVERIFY(std::filesystem::exists(maps / "out/south/east/sheet_of_the_series_59.tif"));

    DropOnWindow(started, Q(maps / "in"));
    ConvertToGeoTiffs(started, maps.MakeFolder("again"));
    QVERIFY2(Status(started).startsWith(QString("%1 of %1 converted").arg(sheets)),
             qPrintable(Status(started)));
    QVERIFY(std::filesystem::exists(maps / "again/north/sheet_of_the_series_0.tif"));
}

}  // namespace marlo::test
