#include <QComboBox>
#include <QFile>
#include <QTest>
#include <filesystem>

#include "support/sheets.h"
#include "support/temp_folder.h"
#include "support/tiff_builder.h"
#include "text/catalogue.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

constexpr const char* kProjectionList =
    "--- Longitude / Latitude ---\r\n\"Longitude / Latitude (WGS 84)\", 1, 104\r\n\r\n"
    "--- Grid ---\r\n\"Sample Grid\", 1, 104\r\n\"Other Grid\", 1, 33\r\n";

// Picks a group and a projection the way a user does, then confirms; first takes another
// list when asked to.
std::function<int(QDialog&)> PickProjection(int group, int projection, bool anotherList = false) {
    return [=](QDialog& dialog) {
        if (anotherList) {
            dialog.findChild<QAbstractButton*>("cmdOtherList")->click();
        }
        dialog.findChild<QComboBox*>("cmbGroup")->setCurrentIndex(group);
        dialog.findChild<QComboBox*>("cmbProj")->setCurrentIndex(projection);
        QTest::mouseClick(dialog.findChild<QWidget*>("cmdOK"), Qt::LeftButton);
        return dialog.result();
    };
}

std::string Read(const std::string& path) {
    return ReadBytes(path);
}

}  // namespace

void FullRunTest::init() {
    ForgetSettings();
    std::filesystem::remove_all(DataFolder());
}

void FullRunTest::cleanup() {
    std::filesystem::remove_all(DataFolder());
}

void FullRunTest::worldFileToTableFromTheWindow() {
    const TempFolder maps;
    for (const char* name : {"north", "south"}) {
        maps.Write(std::string(name) + ".tif", TiffBuilder::Image(40, 30).Build());
        maps.Write(std::string(name) + ".tfw", kSmallSheetWorldFile);
    }
    const std::string list = maps.Write("lists/MAPINFOW.PRJ", kProjectionList);

    StartedWindow started;
    started.click("optTFWin");  // the output stays tab
    DialogAnswers& answers = *started.answers;
    answers.AnswerFiles(
        {QString::fromStdString(maps / "north.tfw"), QString::fromStdString(maps / "south.tfw")});
    answers.AnswerFiles({QString::fromStdString(list)});  // MapInfo's own list, taken once
    answers.Answer("frmMapInfoProj", PickProjection(1, 1, true));
    started.click("cmbOK");

    QCOMPARE(answers.shown,
             QStringList({"openFileDialog", "frmMapInfoProj", "openFileDialog", "messageBox"}));
    QCOMPARE(answers.messageTexts(), QStringList{"Done!"});
    QCOMPARE(answers.fileDialogTitles,
             QStringList({"Select files...", "Locate MapInfo projection file..."}));
    QCOMPARE(answers.fileDialogFilters.front().size(), 1);
    QVERIFY(answers.fileDialogFilters.front().front().startsWith(
        "TFW (*.tfw;*.tifw;*.jgw;*.pgw;*.gfw;*.bpw;*.wld;*.??w;*.???w;*.????w) ("));
    for (const char* name : {"north.tab", "south.tab"}) {
        const std::string table = Read(maps / name);
        QVERIFY2(table.find("(100,900) (0,0) Label") != std::string::npos, table.c_str());
        QVERIFY2(table.find("  CoordSys Earth Projection 1, 33\r\n") != std::string::npos,
                 table.c_str());
    }
    // The located list was copied, so the next run asks only for the projection.
    QVERIFY(QFile::exists(QString::fromStdString(DataFolder() + "/mapinfow.prj")));
}

void FullRunTest::worldFileToGeoTiffFromTheWindow() {
    const TempFolder maps;
    maps.Write("sheet.tif", TiffBuilder::Image(40, 30).Build());
    maps.Write("sheet.tfw", kSmallSheetWorldFile);
    const std::string output = maps.MakeFolder("geotiff");

    StartedWindow started;
    started.click("optTFWin");
    started.click("optGEO");
    DialogAnswers& answers = *started.answers;
    answers.AnswerFiles({QString::fromStdString(maps / "sheet.tfw")});
    answers.Answer("frmMapInfoProj", AnswerNoSystem());
    answers.AnswerFolder(QString::fromStdString(output));
    started.click("cmbOK");

    QCOMPARE(answers.shown,
             QStringList({"openFileDialog", "frmMapInfoProj", "folderPicker", "messageBox"}));
    QCOMPARE(answers.messageTexts(), QStringList{"Done!"});
    const std::string written = Read(output + "/sheet.tif");
    QVERIFY(written.size() >
            TiffBuilder::Image(40, 30).Build().size());  // the image with tags added
    QCOMPARE(Read(maps / "sheet.tif"),
             TiffBuilder::Image(40, 30).Build());  // the input stays as it was

    // Back to a world file from the written GeoTIFF: the same six values.
    std::filesystem::remove(maps / "sheet.tfw");
    std::filesystem::rename(output + "/sheet.tif", maps / "sheet.tif");
    started.click("optGEOin");
    started.click("optTFW");
    answers.AnswerFiles({QString::fromStdString(maps / "sheet.tif")});
    started.click("cmbOK");
    QCOMPARE(answers.messageTexts(), QStringList({"Done!", "Done!"}));
    QCOMPARE(Read(maps / "sheet.tfw"), std::string(kSmallSheetWorldFile));
}

void FullRunTest::cancelledFileDialogShowsNothing() {
    StartedWindow started;
    started.click("cmbOK");
    QCOMPARE(started.answers->shown, QStringList{"openFileDialog"});
    QVERIFY(started.answers->messages.empty());
}

}  // namespace marlo::test
