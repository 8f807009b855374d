#pragma once

#include <QObject>

namespace marlo::test {

class LanguageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void firstStartIsEnglishAndStoresNothing();
    void languageButtonsSwitchAtOnceAndTheNextStartFollows();
    void unknownStoredLanguageGivesEmptyCaptions();
};

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void startsWithGeoTiffInAndTabOut();
    void inputKeepsItsOwnFormatOutOfTheOutput();
    void inputClicksFollowTheCycle();
    void outputClickSelectsOneAndStaysSelected();
    void inPlaceWarningFollowsTheBoxAndTheOutput();
};

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void textsFollowTheBuildAndTheLanguage();
    void descriptionLinesAreJoinedWithCrLf();
    void systemInfoWithoutRegistryIsUnavailable();
    void linksOpenTheMakersPage();
};

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void filtersMatchTheExtensionInAnyCase();
    void selectionComesBackAsFullPaths();
    void messageBoxesCarryIconAndTitle();
    void errorReportTextCanBeSelectedAndCopied();
    void projectionWindowClosedByItsCloseBoxIsACancel();
    void projectionWindowOffersEachImagesOwnSystem();
    void projectionWindowFindsAnyEpsgCodeGdalKnows();
    void projectionWindowSaysWhenNothingMatches();
};

class FullRunTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void worldFileToTableFromTheWindow();
    void worldFileToGeoTiffFromTheWindow();
    void cancelledFileDialogShowsNothing();
};

class ComfortsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void progressShowsEachFileAndCancelStopsBetweenFiles();
    void aMessageDuringARunBelongsToTheProgressWindow();
    void choicesSurviveARestart();
    void outputFolderPickerNeverOpensInTheInputFolder();
    void searchFiltersGroupsAndProjections();
    void polishModeTranslatesQtsOwnDialogs();
    void droppedFilesAreTheNextRunsSelection();
    void keyboardMovesByGroupsAndMnemonics();
    void keepGoingListsEveryFailureInTheSummary();
    void existingOutputsAreAskedAboutOnce();
    void closingAnyDialogOfARunIsACancel();
    void theSummaryMapShowsWhereTheSheetsLie();
    void sheetsInTwoSystemsGetAMapEach();
    void textsFitAndNameTheFailingFileOnce();
    void skippedSheetsAreDrawnGreyFromTheirOutputs();
};

class ScaleTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void selectAllInTheFileDialogTakesThousandsOfFiles();
    void aChosenOrDroppedFolderConvertsEverySheetBelowIt();
};

class SummaryTest : public QObject {
    Q_OBJECT
private slots:
    void mapZoomsFromTheSeriesToOneSheetAndPans();
    void aSelectedSheetIsCentredAndFilled();
    void aSheetFewPixelsWideIsFoundByItsDot();
    void enterInTheProgressWindowGoesOnAndEscCancels();
    void theSummaryKeepsTheFocusAndSaysWhenNothingOpensItsFolder();
    void theListSortsFiltersFailuresAndKeepsItsFileColumn();
};

}  // namespace marlo::test
