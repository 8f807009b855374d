// Runs every QTest class of the window in one process, in a scratch home: HOME and the XDG
// folders point into a temporary folder, so nothing here reads or writes the user's files.
#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "support/temp_folder.h"
#include "ui_test_classes.h"

namespace {
void UseScratchHome(const marlo::test::TempFolder& scratch) {
    for (const auto& [variable, folder] :
         {std::pair{"HOME", "home"}, std::pair{"XDG_CONFIG_HOME", "config"},
          std::pair{"XDG_DATA_HOME", "data"}, std::pair{"XDG_CACHE_HOME", "cache"},
          std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        const std::string path = scratch.MakeFolder(folder);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        setenv(variable, path.c_str(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}
template <class Test>
int Run(int argc, char** argv) {
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    const marlo::test::TempFolder scratch;
    UseScratchHome(scratch);
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    using namespace marlo::test;
    int failed = 0;
    failed += Run<LanguageTest>(argc, argv);
    failed += Run<OptionsTest>(argc, argv);
    failed += Run<AboutTest>(argc, argv);
    failed += Run<DialogsTest>(argc, argv);
    failed += Run<FullRunTest>(argc, argv);
    return failed == 0 ? 0 : 1;
}
