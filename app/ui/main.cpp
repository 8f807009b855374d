#include <QApplication>
#include <QIcon>
#include <clocale>

#include "ui/convert_window.h"
#include "ui/qt_settings_store.h"

int main(int argc, char** argv) {
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
