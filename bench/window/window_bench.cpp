// Tables to GeoTIFFs in the window against marlo-convert, on the same folder: the window's
// run (progress window, status line, summary and its map) should cost little more than the
// conversion itself. Makes N tables beside one image each (hard links), runs marlo-convert
// on them, then the window (Qt's offscreen platform unless told otherwise), each into a fresh
// output folder, three rounds each alternating, and prints the medians and their ratio: the
// window's run from its last question on, and its whole time from OK to the summary. The
// files are named to the window as `marlo FILE...` names them; --file-dialog selects them in
// Qt's file dialog instead (which costs more than the run: minutes at 1,000 files).
//   build/bin/window_bench [--file-dialog] [FILES]   (default 1200; HOME in a scratch folder)
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "ui/convert_window.h"
#include "ui/qt_settings_store.h"
#include "ui/qt_user_interaction.h"

namespace {

using Clock = std::chrono::steady_clock;

// A 64 x 48 greyscale TIFF, made by GDAL's tool.
void MakeImage(const std::string& path) {
    const QString command =
        "gdal_create -q -of GTiff -outsize 64 48 -bands 1 '" + QString::fromStdString(path) + "'";
    if (std::system(command.toLocal8Bit().constData()) != 0) {
        std::fprintf(stderr, "gdal_create failed\n");
        std::exit(1);
    }
}

QStringList MakeTables(const std::string& folder, int count) {
    const std::string image = folder + "/image.tif";
    MakeImage(image);
    QStringList tables;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string("s").append(std::to_string(i));
        std::filesystem::create_hard_link(image, folder + "/" + name + ".tif");
        const double x = 500000 + (i % 40) * 640.0, y = 600000 - (i / 40) * 480.0;
        std::ofstream(folder + "/" + name + ".tab")
            << "!table\r\n!version 300\r\n!charset WindowsLatin2\r\n\r\nDefinition Table\r\n"
            << "  File \"" << name << ".tif\"\r\n  Type \"RASTER\"\r\n"
            << "  (" << x << "," << y << ") (0,0) Label \"a\",\r\n"
            << "  (" << x + 640 << "," << y << ") (64,0) Label \"b\",\r\n"
            << "  (" << x + 640 << "," << y - 480 << ") (64,48) Label \"c\"\r\n"
            << "  CoordSys Earth Projection 8, 104, \"m\", 19, 0, 0.9993, 500000, -5300000\r\n"
            << "  Units \"m\"\r\n";
        tables << QString::fromStdString(folder + "/" + name + ".tab");
    }
    return tables;
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double CommandLineRun(const QStringList& tables, const std::string& output) {
    QString command = MARLO_CONVERT_PROGRAM " --from tab --to geotiff --output-dir '" +
                      QString::fromStdString(output) + "'";
    for (const QString& table : tables) {
        command += " '" + table + "'";
    }
    command += " >/dev/null 2>&1";
    const auto start = Clock::now();
    const int status = std::system(command.toLocal8Bit().constData());
    const double seconds = Seconds(start);
    if (status != 0) {
        std::fprintf(stderr, "marlo-convert failed\n");
        std::exit(1);
    }
    return seconds;
}

struct WindowTimes {
    double total;  // from OK (or the files named) to the summary
    double run;    // from the folder picker's answer (the last question) to the summary
};

// The window's run as a user makes it: the files named on its command line (or picked in the
// file dialog), the output folder in the folder picker, "Done!" acknowledged.
WindowTimes WindowRun(marlo::ui::ConvertWindow& window, const QStringList& tables,
                      const std::string& output, bool fileDialog) {
    Clock::time_point asked;
    window.dialogs().runModal = [&](QDialog& dialog) {
        const QString name = dialog.objectName();
        if (name == marlo::ui::kOpenFileDialogName) {
            auto& files = static_cast<QFileDialog&>(dialog);
            files.setDirectory(QFileInfo(tables.front()).absolutePath());
            QStringList quoted;
            for (const QString& table : tables) {
                quoted << '"' + QFileInfo(table).fileName() + '"';
            }
            files.selectFile(quoted.join(' '));
            return int(QDialog::Accepted);
        }
        if (name == marlo::ui::kFolderPickerName) {
            static_cast<QFileDialog&>(dialog).setDirectory(QString::fromStdString(output));
            asked = Clock::now();
            return int(QDialog::Accepted);
        }
        if (auto* ok = dialog.findChild<QAbstractButton*>("cmdOK")) {
            ok->click();
            return dialog.result();
        }
        return int(QDialog::Accepted);
    };
    window.dialogs().progressShown = {};
    const auto start = Clock::now();
    if (!fileDialog) {
        window.ChooseFiles(tables);
    }
    window.findChild<QAbstractButton*>("cmbOK")->click();
    return {Seconds(start), Seconds(asked)};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir scratch;
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        setenv(variable, scratch.path().toLocal8Bit().constData(), 1);
    }
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    const bool fileDialog = arguments.contains("--file-dialog");
    const QStringList counts = arguments.filter(QRegularExpression("^[0-9]+$"));
    const int count = counts.isEmpty() ? 1200 : counts.front().toInt();
    const std::string folder = scratch.path().toStdString();
    std::filesystem::create_directory(folder + "/in");
    const QStringList tables = MakeTables(folder + "/in", count);

    marlo::ui::QtSettingsStore settings;
    marlo::ui::ConvertWindow window(settings);
    window.show();
    window.findChild<QAbstractButton*>("optTABin")->click();
    window.findChild<QAbstractButton*>("optGEO")->click();
    std::vector<double> commandLine, inWindow, windowRun;
    for (int round = 0; round < 3; ++round) {
        const std::string cli = folder + "/cli" + std::to_string(round);
        const std::string ui = folder + "/ui" + std::to_string(round);
        std::filesystem::create_directory(cli);
        std::filesystem::create_directory(ui);
        commandLine.push_back(CommandLineRun(tables, cli));
        const WindowTimes times = WindowRun(window, tables, ui, fileDialog);
        inWindow.push_back(times.total);
        windowRun.push_back(times.run);
        if (QDir(QString::fromStdString(ui)).entryList({"*.tif"}).size() !=
            static_cast<int>(tables.size())) {
            std::fprintf(stderr, "the window did not write every GeoTIFF\n");
            return 1;
        }
    }
    const double cli = Median(commandLine), run = Median(windowRun), ui = Median(inWindow);
    std::printf(
        "%d tables to GeoTIFF (medians of 3): marlo-convert %.3f s; window run %.3f s, "
        "ratio %.2f; window from OK to the summary, the files %s, %.3f s\n",
        count, cli, run, run / cli,
        fileDialog ? "selected in its file dialog" : "named as on its command line", ui);
    return 0;
}
