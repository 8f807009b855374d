// Runs the QTest class named by the first argument (every class without one), in a scratch home:
// HOME and the XDG folders point into a temporary folder, so nothing here reads or writes the
// user's files.
#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

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
// The class to run, taken off the arguments so that QTest sees only its own.
std::string TakeClassName(int& argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        return {};
    }
    std::string name = argv[1];
    for (int i = 1; i + 1 < argc; ++i) {
        argv[i] = argv[i + 1];
    }
    --argc;
    return name;
}

template <class Test>
int Run(const std::string& chosen, const char* name, int& ran, int argc, char** argv) {
    if (!chosen.empty() && chosen != name) {
        return 0;
    }
    ++ran;
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string chosen = TakeClassName(argc, argv);
    const marlo::test::TempFolder scratch;
    UseScratchHome(scratch);
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    using namespace marlo::test;
    int failed = 0;
    int ran = 0;
    failed += Run<LanguageTest>(chosen, "LanguageTest", ran, argc, argv);
    failed += Run<OptionsTest>(chosen, "OptionsTest", ran, argc, argv);
    failed += Run<AboutTest>(chosen, "AboutTest", ran, argc, argv);
    failed += Run<DialogsTest>(chosen, "DialogsTest", ran, argc, argv);
    failed += Run<FullRunTest>(chosen, "FullRunTest", ran, argc, argv);
    failed += Run<ComfortsTest>(chosen, "ComfortsTest", ran, argc, argv);
    failed += Run<ScaleTest>(chosen, "ScaleTest", ran, argc, argv);
    failed += Run<SummaryTest>(chosen, "SummaryTest", ran, argc, argv);
    // A class name that matches nothing must not pass as an empty run.
    return failed == 0 && ran > 0 ? 0 : 1;
}
