#include <QComboBox>
#include <QFile>
#include <QTest>
#include <filesystem>

#include "support/temp_folder.h"
#include "text/catalogue.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

void Put16(std::string& bytes, std::uint16_t value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::uint32_t value) {
    Put16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16(bytes, static_cast<std::uint16_t>(value >> 16));
}

// A little-endian, uncompressed 8-bit grey TIFF of the given size, made byte by byte.
std::string GreyTiff(std::uint16_t width, std::uint16_t height) {
    const std::uint16_t entries = 9;
    const std::uint32_t pixels = 8 + 2 + entries * 12 + 4;
    const std::pair<std::uint16_t, std::uint32_t> tags[entries] = {
        {256, width}, {257, height}, {258, 8},
        {259, 1},     {262, 1},      {273, pixels},
        {277, 1},     {278, height}, {279, std::uint32_t(width) * height}};
    std::string bytes = "II";
    Put16(bytes, 42);
    Put32(bytes, 8);
    Put16(bytes, entries);
    for (const auto& [tag, value] : tags) {
        const bool shortValue = tag != 273 && tag != 279;
        Put16(bytes, tag);
        Put16(bytes, shortValue ? 3 : 4);
        Put32(bytes, 1);
        Put32(bytes, value);
    }
    Put32(bytes, 0);
    bytes.append(std::size_t(width) * height, '\x80');
    return bytes;
}

constexpr const char* kWorldFile = "2\r\n0\r\n0\r\n-2\r\n101\r\n899\r\n";
constexpr const char* kProjectionList =
    "--- Longitude / Latitude ---\r\n\"Longitude / Latitude (WGS 84)\", 1, 104\r\n\r\n"
    "--- Grid ---\r\n\"Sample Grid\", 1, 104\r\n\"Other Grid\", 1, 33\r\n";

// Picks a group and a projection the way a user does, then confirms.
std::function<int(QDialog&)> PickProjection(int group, int projection) {
    return [=](QDialog& dialog) {
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
        maps.Write(std::string(name) + ".tif", GreyTiff(40, 30));
        maps.Write(std::string(name) + ".tfw", kWorldFile);
    }
    const std::string list = maps.Write("lists/MAPINFOW.PRJ", kProjectionList);

    StartedWindow started;
    started.click("optTFWin");  // the output stays tab
    DialogAnswers& answers = *started.answers;
    answers.AnswerFiles(
        {QString::fromStdString(maps / "north.tfw"), QString::fromStdString(maps / "south.tfw")});
    answers.AnswerFiles({QString::fromStdString(list)});  // the projection list, located once
    answers.Answer("frmMapInfoProj", PickProjection(1, 1));
    started.click("cmbOK");

    QCOMPARE(answers.shown,
             QStringList({"openFileDialog", "openFileDialog", "frmMapInfoProj", "messageBox"}));
    QCOMPARE(answers.messageTexts(), QStringList{"Done!"});
    QCOMPARE(answers.fileDialogTitles,
             QStringList({"Select files...", "Locate MapInfo projection file..."}));
    QCOMPARE(answers.fileDialogFilters.front().size(), 1);
    QVERIFY(answers.fileDialogFilters.front().front().startsWith("TFW (*.tfw) ("));
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
#ifndef MARLO_HAVE_PELCOR
    QSKIP("libpelcor.so is not part of this build tree, so no GeoTIFF can be written");
#endif
    const TempFolder maps;
    maps.Write("sheet.tif", GreyTiff(40, 30));
    maps.Write("sheet.tfw", kWorldFile);
    const std::string output = maps.MakeFolder("geotiff");

    StartedWindow started;
    started.click("optTFWin");
    started.click("optGEO");
    DialogAnswers& answers = *started.answers;
    answers.AnswerFiles({QString::fromStdString(maps / "sheet.tfw")});
    answers.AnswerFolder(QString::fromStdString(output));
    started.click("cmbOK");

    QCOMPARE(answers.shown, QStringList({"openFileDialog", "folderPicker", "messageBox"}));
    QCOMPARE(answers.messageTexts(), QStringList{"Done!"});
    const std::string written = Read(output + "/sheet.tif");
    QVERIFY(written.size() > GreyTiff(40, 30).size());     // the image with tags added
    QCOMPARE(Read(maps / "sheet.tif"), GreyTiff(40, 30));  // the input stays as it was

    // Back to a world file from the written GeoTIFF: the same six values.
    std::filesystem::remove(maps / "sheet.tfw");
    std::filesystem::rename(output + "/sheet.tif", maps / "sheet.tif");
    started.click("optGEOin");
    started.click("optTFW");
    answers.AnswerFiles({QString::fromStdString(maps / "sheet.tif")});
    started.click("cmbOK");
    QCOMPARE(answers.messageTexts(), QStringList({"Done!", "Done!"}));
    QCOMPARE(Read(maps / "sheet.tfw"), std::string(kWorldFile));
}

void FullRunTest::cancelledFileDialogShowsNothing() {
    StartedWindow started;
    started.click("cmbOK");
    QCOMPARE(started.answers->shown, QStringList{"openFileDialog"});
    QVERIFY(started.answers->messages.empty());
}

}  // namespace marlo::test
