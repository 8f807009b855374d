#include <QApplication>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "ui/convert_window.h"
#include "ui/qt_settings_store.h"

namespace {

constexpr const char* kUsage =
    "Usage: marlo [FILE...]\n"
    "Opens Marlo's window, which converts the georeference of map images between GeoTIFF tags,\n"
    "MapInfo raster tables (.tab) and world files (.tfw). FILEs (of one kind, in one folder)\n"
    "are chosen for the first run, as when dropped on the window. Qt's own options\n"
    "(-platform, -style, ...) are taken too.\n"
    "  -h, --help   prints this and ends\n"
    "For scripts and batches without a window: marlo-convert --help; manual: man marlo.\n";

// True when the arguments ask for the usage: printed before any window or display is needed.
bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QApplication application(argc, argv);
    // Qt takes over the user's locale; numbers in files must not follow its decimal sign,
    // the core asks for the user's sign explicitly where it needs it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Marlo");
    QApplication::setWindowIcon(QIcon(":/marlo/marlo.svg"));
    QApplication::setDesktopFileName("marlo");

    marlo::ui::QtSettingsStore settings;
    marlo::ui::ConvertWindow window(settings);
    window.show();
    // Files named when the program starts (as a file manager opens them) are the first run's.
    if (const QStringList files = QApplication::arguments().mid(1); !files.isEmpty()) {
        window.ChooseFiles(files);
    }
    return QApplication::exec();
}
