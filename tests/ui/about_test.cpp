#include <QLabel>
#include <QTest>

#include "presenters/about_info.h"
#include "text/catalogue.h"
#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

struct AboutView {
    QString caption, title, description, linkTip, sysInfo;
};

// Opens the About window from the main window and reads it; `more` may act on it.
AboutView OpenAbout(StartedWindow& started, std::function<void(QDialog&)> more = {}) {
    AboutView view;
    started.answers->Answer("frmAbout", [&](QDialog& about) {
        view = {about.windowTitle(), about.findChild<QLabel*>("lblTitle")->text(),
                about.findChild<QLabel*>("lblDescription")->text(),
                about.findChild<QLabel*>("lblAbout")->toolTip(),
                about.findChild<QAbstractButton*>("cmdSysInfo")->text()};
        if (more) {
            more(about);
        }
        return int(QDialog::Accepted);
    });
    started.click("cmdExit");
    return view;
}

void Click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

}  // namespace

void AboutTest::init() {
    ForgetSettings();
}

void AboutTest::textsFollowTheBuildAndTheLanguage() {
    StartedWindow started;
    const QString version = QString("%1.%2.%3")
                                .arg(MARLO_VERSION_MAJOR)
                                .arg(MARLO_VERSION_MINOR)
                                .arg(MARLO_VERSION_REVISION);
    AboutView english = OpenAbout(started);
    QCOMPARE(started.answers->shown, QStringList{"frmAbout"});
    QCOMPARE(english.caption, QString("About Marlo"));
    QCOMPARE(english.title, "Marlo beta " + version);
    QCOMPARE(english.description,
             QString("Copyright (C) 2026 Marlo developers\ne-mail: marlo@example.org\n"
                     "Any questions, comments, suggestions are greatly appreciated.\n\n"
                     "Tiff Lib - Pelcor developers"));
    QCOMPARE(english.linkTip, QString("Click to open page..."));
    QCOMPARE(english.sysInfo, QString("&System Info..."));

    // The window is made once; its description follows the language at every showing.
    started.click("cmdPL");
    const AboutView polish = OpenAbout(started);
    QCOMPARE(started.window->findChildren<QDialog*>("frmAbout").size(), 1);
    QCOMPARE(polish.caption, english.caption);
    QCOMPARE(polish.linkTip, english.linkTip);
    QVERIFY(
        polish.description.contains("\nWszelkie uwagi, pytania, sugestie są mile widziane.\n\n"));
}

void AboutTest::descriptionLinesAreJoinedWithCrLf() {
    const Texts english;
    QCOMPARE(AboutDescription(english),
             std::string("Copyright (C) 2026 Marlo developers\r\ne-mail: marlo@example.org\r\n") +
                 english.Message(31) + "\r\n\r\nTiff Lib - Pelcor developers");
    QCOMPARE(AboutTitle(), "Marlo beta " + std::to_string(MARLO_VERSION_MAJOR) + "." +
                               std::to_string(MARLO_VERSION_MINOR) + "." +
                               std::to_string(MARLO_VERSION_REVISION));
}

void AboutTest::systemInfoWithoutRegistryIsUnavailable() {
    StartedWindow started;
    OpenAbout(started, [](QDialog& about) { Click(about.findChild<QWidget*>("cmdSysInfo")); });
    QCOMPARE(started.answers->messages.size(), std::size_t(1));
    const DialogAnswers::Message& message = started.answers->messages.front();
    QCOMPARE(message.text, QString("System Information Is Unavailable At This Time"));
    QCOMPARE(message.icon, QMessageBox::NoIcon);
    QCOMPARE(message.title, QString("Marlo"));
}

void AboutTest::linksOpenTheMakersPage() {
    StartedWindow started;
    started.click("lblAbout");
    OpenAbout(started, [](QDialog& about) { Click(about.findChild<QWidget*>("lblAbout")); });
    QCOMPARE(started.answers->openedUrls,
             QStringList({"https://marlo.example.org", "https://marlo.example.org"}));
    QVERIFY(started.answers->messages.empty());
}

}  // namespace marlo::test
