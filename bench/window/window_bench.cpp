// Tables to GeoTIFFs in the window against marlo-convert, on the same folder: the window's
// run (progress window, status line, summary and its map) should cost little more than the
// conversion itself. Makes N tables beside one image each (hard links), runs marlo-convert
// on them, then the window (Qt's offscreen platform unless told otherwise), each into a fresh
// output folder, three rounds (or --rounds N), which of the two goes first alternating, and prints
// the medians and their ratios to marlo-convert's, on the clock, on the processors and in
// instructions (the figures a busy machine changes least; instructions where the machine has a
// counter for them): the window's run from its last question on, and its whole time from OK to the
// summary painted. The files are named to the window as `marlo FILE...` names them; --file-dialog
// selects them in Qt's file dialog instead (which costs more than the run: minutes at 1,000).
// Without a hardware counter, callgrind counts the window's part alone; it runs the program some
// 25 times slower, and the progress window would appear and be brought up to date as many times
// more often than on the clock: --slower-timers 25 stretches its delay and interval to match.
//   valgrind --tool=callgrind --toggle-collect='*WindowRun*' build/bin/window_bench
//       --rounds 2 --slower-timers 25
//   build/bin/window_bench [--file-dialog] [--rounds N] [--slower-timers N] [FILES]
//   (default 1200 files; HOME is pointed at a scratch folder)
// On a shared machine the ratios hold steadier with both runs on one processor and the files in
// memory, away from the file system's slow inode allocation after many deletions (ext4 passes
// over inodes deleted in the last minutes):
//   TMPDIR=/dev/shm nice taskset -c 1 build/bin/window_bench --rounds 21 1000
#include <fcntl.h>
#include <linux/perf_event.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdint>
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

// Counts the instructions this process and the children it starts from now on run in user
// space (a child's count joins when it ends); nothing where the machine has no such counter
// (most virtual machines).
class InstructionCounter {
public:
    InstructionCounter() {
        perf_event_attr attributes{};
        attributes.type = PERF_TYPE_HARDWARE;
        attributes.size = sizeof(attributes);
        attributes.config = PERF_COUNT_HW_INSTRUCTIONS;
        attributes.exclude_kernel = 1;
        attributes.exclude_hv = 1;
        attributes.inherit = 1;
        descriptor_ = static_cast<int>(syscall(SYS_perf_event_open, &attributes, 0, -1, -1, 0));
    }
    ~InstructionCounter() {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
    }
    InstructionCounter(const InstructionCounter&) = delete;
    InstructionCounter& operator=(const InstructionCounter&) = delete;

    bool Counts() const { return descriptor_ >= 0; }
    double Read() const {
        std::uint64_t count = 0;
        if (descriptor_ < 0 || read(descriptor_, &count, sizeof(count)) != sizeof(count)) {
            return 0;
        }
        return static_cast<double>(count);
    }

private:
    int descriptor_ = -1;
};

// A cost: on the clock, on the processors (what other users of a busy machine do not change),
// and in instructions.
struct Cost {
    double wall = 0;
    double processor = 0;
    double instructions = 0;
};

double ProcessorSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Marks a start; Since gives the cost from it on, of this process (RUSAGE_SELF) or of the
// children it has waited for (RUSAGE_CHILDREN). The counter counts both; while a child runs,
// this process only waits for it.
struct Mark {
    const InstructionCounter* counter;
    Clock::time_point clock = Clock::now();
    double processor = ProcessorSeconds(RUSAGE_SELF);
    double children = ProcessorSeconds(RUSAGE_CHILDREN);
    double instructions = counter->Read();

    explicit Mark(const InstructionCounter& instructionCounter) : counter(&instructionCounter) {}

    Cost Since(int who) const {
        return {std::chrono::duration<double>(Clock::now() - clock).count(),
                ProcessorSeconds(who) - (who == RUSAGE_SELF ? processor : children),
                counter->Read() - instructions};
    }
};

// marlo-convert with every table named as its own argument (one shell command line would
// pass the limit of one argument's length at a few thousand files), its output discarded.
Cost CommandLineRun(const InstructionCounter& counter, const QStringList& tables,
                    const std::string& output) {
    std::vector<std::string> arguments{MARLO_CONVERT_PROGRAM, "--from", "tab", "--to", "geotiff",
                                       "--output-dir",        output};
    for (const QString& table : tables) {
        arguments.push_back(table.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    const Mark start(counter);
    pid_t child = 0;
    int status = -1;
    if (posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), environ) == 0) {
        waitpid(child, &status, 0);
    }
    const Cost cost = start.Since(RUSAGE_CHILDREN);
    posix_spawn_file_actions_destroy(&quiet);
    if (status != 0) {
        std::fprintf(stderr, "marlo-convert failed\n");
        std::exit(1);
    }
    return cost;
}

struct WindowTimes {
    Cost total;  // from OK (or the files named) to the summary
    Cost run;    // from the folder picker's answer (the last question) to the summary
};

// The window's run as a user makes it: the files named on its command line (or picked in the
// file dialog), the output folder in the folder picker, "Done!" acknowledged. Never inlined:
// callgrind counts it by its name.
[[gnu::noinline]] WindowTimes WindowRun(const InstructionCounter& counter,
                                        marlo::ui::ConvertWindow& window, const QStringList& tables,
                                        const std::string& output, bool fileDialog) {
    Mark asked(counter);
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
            auto& picker = static_cast<QFileDialog&>(dialog);
            const QString folder = QString::fromStdString(output);
            picker.setDirectory(folder);
            picker.selectFile(folder);
            if (picker.selectedFiles().value(0) != folder) {
                std::fprintf(stderr, "the folder picker answers %s, not the output folder\n",
                             qPrintable(picker.selectedFiles().join(", ")));
                std::exit(1);
            }
            asked = Mark(counter);
            return int(QDialog::Accepted);
        }
        if (auto* ok = dialog.findChild<QAbstractButton*>("cmdOK")) {
            ok->click();
            return dialog.result();
        }
        return int(QDialog::Accepted);
    };
    window.dialogs().progressShown = {};
    const Mark start(counter);
    if (!fileDialog) {
        window.ChooseFiles(tables);
    }
    window.findChild<QAbstractButton*>("cmbOK")->click();
    // The run ends for its user when the summary, its list and its map are painted.
    QCoreApplication::processEvents();
    return {start.Since(RUSAGE_SELF), asked.Since(RUSAGE_SELF)};
}

double Median(std::vector<Cost> costs, double Cost::*part) {
    std::vector<double> values;
    for (const Cost& cost : costs) {
        values.push_back(cost.*part);
    }
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
    bool fileDialog = false;
    int count = 1200, rounds = 3, timersSlower = 1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--file-dialog") {
            fileDialog = true;
        } else if (arguments[i] == "--rounds") {
            rounds = std::max(1, arguments.value(++i).toInt());
        } else if (arguments[i] == "--slower-timers") {
            timersSlower = std::max(1, arguments.value(++i).toInt());
        } else {
            count = std::max(1, arguments[i].toInt());
        }
    }
    const std::string folder = scratch.path().toStdString();
    std::filesystem::create_directory(folder + "/in");
    const QStringList tables = MakeTables(folder + "/in", count);

    marlo::ui::QtSettingsStore settings;
    marlo::ui::ConvertWindow window(settings);
    window.show();
    window.dialogs().progressDelayMs *= timersSlower;
    window.dialogs().progressIntervalMs *= timersSlower;
    window.findChild<QAbstractButton*>("optTABin")->click();
    window.findChild<QAbstractButton*>("optGEO")->click();
    std::vector<Cost> commandLine, inWindow, windowRun;
    const InstructionCounter counter;
    for (int round = 0; round < rounds; ++round) {
        const std::string cli = folder + "/cli" + std::to_string(round);
        const std::string ui = folder + "/ui" + std::to_string(round);
        std::filesystem::create_directory(cli);
        std::filesystem::create_directory(ui);
        // Which runs first alternates: the one that follows the other's thousand new files pays
        // more in the kernel for its own (perf shows ext4's inode allocation, ext4_tmpfile).
        const bool commandLineFirst = round % 2 == 0;
        if (commandLineFirst) {
            commandLine.push_back(CommandLineRun(counter, tables, cli));
        }
        const WindowTimes times = WindowRun(counter, window, tables, ui, fileDialog);
        if (!commandLineFirst) {
            commandLine.push_back(CommandLineRun(counter, tables, cli));
        }
        inWindow.push_back(times.total);
        windowRun.push_back(times.run);
        if (QDir(QString::fromStdString(ui)).entryList({"*.tif"}).size() !=
            static_cast<int>(tables.size())) {
            std::fprintf(stderr, "the window did not write every GeoTIFF\n");
            return 1;
        }
    }
    std::printf(
        "%d tables to GeoTIFF, the files %s; medians of %d rounds: marlo-convert, the "
        "window's run from its last question, the window from OK to the summary painted "
        "(ratios to marlo-convert)\n",
        count, fileDialog ? "selected in the window's file dialog" : "named as on its command line",
        rounds);
    const auto print = [&](const char* what, double Cost::*part, double unit, const char* units) {
        const double cli = Median(commandLine, part), run = Median(windowRun, part),
                     total = Median(inWindow, part);
        std::printf("  %-18s %8.3f %s  %8.3f %s (%.2f)  %8.3f %s (%.2f)\n", what, cli / unit, units,
                    run / unit, units, run / cli, total / unit, units, total / cli);
    };
    print("on the clock", &Cost::wall, 1, "s");
    print("on the processors", &Cost::processor, 1, "s");
    if (counter.Counts()) {
        print("instructions", &Cost::instructions, 1e6, "M");
    } else {
        std::printf(
            "  instructions: no counter on this machine (callgrind counts them, see above)\n");
    }
    return 0;
}
