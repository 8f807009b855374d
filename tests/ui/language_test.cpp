#include <QFile>
#include <QTest>

#include "text/catalogue.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

struct WindowTexts {
    QString frame1, frame2, ok, okTip, about, aboutTip, linkTip, language;
};

// A caption as it reads, without the mark of its mnemonic.
QString Plain(QString caption) {
    return caption.remove('&');
}

WindowTexts ShownTexts(const StartedWindow& started) {
    return {Plain(started.find<QGroupBox>("Frame1")->title()),
            Plain(started.find<QGroupBox>("Frame2")->title()),
            Plain(started.find<QAbstractButton>("cmbOK")->text()),
            started.find("cmbOK")->toolTip(),
            Plain(started.find<QAbstractButton>("cmdExit")->text()),
            started.find("cmdExit")->toolTip(),
            started.find("lblAbout")->toolTip(),
            started.find<QLabel>("lblLNG")->text()};
}

void CompareTexts(const WindowTexts& shown, const WindowTexts& expected) {
    QCOMPARE(shown.frame1, expected.frame1);
    QCOMPARE(shown.frame2, expected.frame2);
    QCOMPARE(shown.ok, expected.ok);
    QCOMPARE(shown.okTip, expected.okTip);
    QCOMPARE(shown.about, expected.about);
    QCOMPARE(shown.aboutTip, expected.aboutTip);
    QCOMPARE(shown.linkTip, expected.linkTip);
    QCOMPARE(shown.language, expected.language);
}

const WindowTexts kEnglish{
    "Convert to:",           "Convert from:",    "OK", "Start conversion...", "About", "About",
    "Click to open page...", "Language version:"};
const WindowTexts kPolish{"Konwertuj do:",
                          "Konwertuj z:",
                          "OK",
                          "Rozpocznij konwersję...",
                          "O aplikacji",
                          "O aplikacji",
                          "Kliknij aby otworzyć stronę...",
                          "Wersja językowa:"};

// The designed texts no language switch touches.
void CompareDesignedTexts(const StartedWindow& started) {
    QCOMPARE(started.window->windowTitle(), QString("Tessaly"));
    QCOMPARE(started.find("cmdPL")->toolTip(), QString("Zmień na Polski"));
    QCOMPARE(started.find("cmdEN")->toolTip(), QString("Switch to English"));
    QCOMPARE(started.option("optTABin")->text(), QString("tab"));
    QCOMPARE(started.option("optGEO")->text(), QString("geotiff"));
    QCOMPARE(started.find<QLabel>("lblAbout")->text(), QString("https://marlo.example.org"));
}

}  // namespace

void LanguageTest::init() {
    ForgetSettings();
}

void LanguageTest::firstStartIsEnglishAndStoresNothing() {
    const StartedWindow started;
    QCOMPARE(QString::fromStdString(started.window->environment().texts.Language()),
             QString("english"));
    CompareTexts(ShownTexts(started), kEnglish);
    CompareDesignedTexts(started);
    QVERIFY(!QFile::exists(SettingsFilePath()));
}

void LanguageTest::languageButtonsSwitchAtOnceAndTheNextStartFollows() {
    {
        const StartedWindow started;
        started.click("cmdPL");
        CompareTexts(ShownTexts(started), kPolish);
        CompareDesignedTexts(started);
    }
    QVERIFY(QFile::exists(SettingsFilePath()));
    {
        const StartedWindow restarted;
        CompareTexts(ShownTexts(restarted), kPolish);
        restarted.click("cmdEN");
        CompareTexts(ShownTexts(restarted), kEnglish);
    }
    const StartedWindow again;
    CompareTexts(ShownTexts(again), kEnglish);
    QCOMPARE(again.settings.Read("Marlo", "Settings", "Language"),
             std::optional<std::string>("english"));
}

void LanguageTest::unknownStoredLanguageGivesEmptyCaptions() {
    ui::QtSettingsStore().Write("Marlo", "Settings", "Language", "English");
    const StartedWindow started;
    CompareTexts(ShownTexts(started), WindowTexts{});
    CompareDesignedTexts(started);
    started.click("cmdPL");
    CompareTexts(ShownTexts(started), kPolish);
}

}  // namespace marlo::test
