#include <QCheckBox>
#include <QTest>

#include "ui_test_classes.h"
#include "window_fixture.h"

namespace marlo::test {

namespace {

// "+" selected, "o" not selected, "-" disabled and not selected, "*" disabled and selected;
// geotiff, tab, tfw in this order, for the input and the output side.
QString Side(const StartedWindow& started, std::initializer_list<const char*> names) {
    QString states;
    for (const char* name : names) {
        const QRadioButton* option = started.option(name);
        states += option->isEnabled() ? (option->isChecked() ? '+' : 'o')
                                      : (option->isChecked() ? '*' : '-');
    }
    return states;
}

QString Inputs(const StartedWindow& started) {
    return Side(started, {"optGEOin", "optTABin", "optTFWin"});
}

QString Outputs(const StartedWindow& started) {
    return Side(started, {"optGEO", "optTAB", "optTFW"});
}

// What the run reads must be what the window shows.
void CompareWithForm(const StartedWindow& started) {
    const FormatOptions& options = started.window->procedures().Choices().options;
    for (const auto& [name, button] :
         {std::pair{"optGEOin", options.optGEOin}, std::pair{"optTABin", options.optTABin},
          std::pair{"optTFWin", options.optTFWin}, std::pair{"optGEO", options.optGEO},
          std::pair{"optTAB", options.optTAB}, std::pair{"optTFW", options.optTFW}}) {
        QCOMPARE(started.option(name)->isChecked(), button.selected);
        QCOMPARE(started.option(name)->isEnabled(), button.enabled);
    }
}

}  // namespace

void OptionsTest::init() {
    ForgetSettings();
}

void OptionsTest::startsWithGeoTiffInAndTabOut() {
    const StartedWindow started;
    QCOMPARE(Inputs(started), QString("+oo"));
    QCOMPARE(Outputs(started), QString("-+o"));
    CompareWithForm(started);
}

void OptionsTest::inputKeepsItsOwnFormatOutOfTheOutput() {
    const StartedWindow started;
    started.click("optTABin");  // tab was the output: tfw takes over
    QCOMPARE(Inputs(started), QString("o+o"));
    QCOMPARE(Outputs(started), QString("o-+"));
    started.click("optGEOin");  // tab is free again, tfw stays chosen
    QCOMPARE(Inputs(started), QString("+oo"));
    QCOMPARE(Outputs(started), QString("-o+"));
    CompareWithForm(started);
}

void OptionsTest::inputClicksFollowTheCycle() {
    const StartedWindow started;
    started.click("optTFWin");  // tfw was not the output: the choice stays
    QCOMPARE(Outputs(started), QString("o+-"));
    started.click("optTABin");  // tab was: tfw, the next of the cycle
    QCOMPARE(Outputs(started), QString("o-+"));
    started.click("optTFWin");  // tfw was: geotiff, the cycle wraps
    QCOMPARE(Outputs(started), QString("+o-"));
    started.click("optGEOin");  // geotiff was: tab
    QCOMPARE(Outputs(started), QString("-+o"));
    started.click("optGEOin");  // the same input again changes nothing
    QCOMPARE(Inputs(started), QString("+oo"));
    QCOMPARE(Outputs(started), QString("-+o"));
    CompareWithForm(started);
}

void OptionsTest::outputClickSelectsOneAndStaysSelected() {
    const StartedWindow started;
    started.click("optTFW");
    QCOMPARE(Outputs(started), QString("-o+"));
    started.click("optTFW");  // a second click does not take the choice away
    QCOMPARE(Outputs(started), QString("-o+"));
    started.click("optGEO");  // disabled: nothing happens
    QCOMPARE(Outputs(started), QString("-o+"));
    CompareWithForm(started);
}

void OptionsTest::inPlaceWarningFollowsTheBoxAndTheOutput() {
    {
        const StartedWindow started;
        auto* box = started.find<QCheckBox>("chkInPlace");
        const auto* warning = started.find<QLabel>("lblInPlaceWarning");
        QVERIFY(box != nullptr && warning != nullptr);
        QCOMPARE(box->text(),
                 QString("Write the georeference into the images themselves (no copy)"));
        QVERIFY(!box->isChecked());
        started.click("optTFWin");
        const struct {
            const char* click;
            bool checked;
            bool warned;
        } steps[] = {{"optGEO", false, false},     {"chkInPlace", true, true},
                     {"optTAB", true, false},      {"optGEO", true, true},
                     {"chkInPlace", false, false}, {"chkInPlace", true, true}};
        for (const auto& step : steps) {
            started.click(step.click);
            QCOMPARE(box->isChecked(), step.checked);
            QCOMPARE(!warning->isHidden(), step.warned);
            QCOMPARE(started.window->procedures().Choices().inPlace, step.checked);
        }
    }
    const StartedWindow again;  // never remembered
    QVERIFY(!again.find<QCheckBox>("chkInPlace")->isChecked());
    QVERIFY(again.find<QLabel>("lblInPlaceWarning")->isHidden());
}

}  // namespace marlo::test
