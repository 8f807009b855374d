#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace marlo {

// Message numbers of the catalogue.
namespace msg {
enum : std::int16_t {
    Message = 0,
    NoFilesToConvert = 1,
    ErrorReadingOutputFormat = 2,
    ErrorReadingInputFormat = 3,
    SameFormats = 4,
    OutputDirectoryMissing = 5,
    Done = 6,
    UnableToOpen = 7,
    ErrorValueInTfw = 8,
    RasterNotRectified = 9,
    FileNotFound = 10,
    ErrorReadingHeader = 11,
    Error = 12,
    NotEnoughCoordinates = 13,
    UnexpectedTabFormat = 14,
    UnableToUpdate = 15,
    OutputFileExists = 16,
    ErrorWritingHeader = 17,
    ErrorReadingHeaderSize = 18,
    UnableToOpenTifProperties = 19,
    UnableToDetermineWidth = 20,
    UnableToDetermineLength = 21,
    IncorrectDecimalSign = 22,
    UnableToOpenFile = 23,
    SelectFiles = 24,
    MapInfoProjectionFile = 25,
    LocateMapInfoProjectionFile = 26,
    SelectOutputDirectory = 27,
    UnableToWriteToOutputFolder = 28,
    FileIsReadOnly = 29,
    SameFolders = 30,
    CommentsWelcome = 31,
    NameNotWritableInTable = 32,
    FilesNotOfOneKind = 33,
    SystemNotWritableInTable = 34,
    OutputWouldReplaceInput = 35,
    NotOfInputFormat = 36,
    ImageOutsideTableFolder = 37,
    ProjectionListDamaged = 38,
    NoGeoreference = 39,
    ControlPointsOnly = 40,
    NotATiff = 41,
    SideFileTooLarge = 42,
    AuxFileUnclear = 43,
    AuxFileIsALink = 44,
    GeoreferenceOutOfRange = 45,
    WouldReplaceAnOutput = 46,
    NotARunFile = 47,
    GdalBridgeMissing = 48,
    NoSystemOfItsOwn = 49,
    OpenElsewhereForWriting = 50,
    CloudOptimisedLayout = 51,
    NoMapInfoMethod = 52,
    ClauseReadAsAnother = 53,
    NoDatumShift = 54,
};
}  // namespace msg

// Caption numbers added to the designed catalogue.
namespace caption {
enum : std::int16_t {
    OwnSystem = 15,
    FilesConverted = 16,
    StoppedAt = 17,
    CancelledBefore = 18,
    ProgressFile = 19,
    ProgressTitle = 20,
    Cancel = 21,
    UseAnotherList = 22,
    Search = 23,
    FilesSelected = 24,
    WithoutSystem = 25,
    NoSystem = 26,
    Cancelled = 27,
    OutputsIn = 28,
    SummaryCounts = 29,
    SummaryTitle = 30,
    Copy = 31,
    SaveCsv = 32,
    OpenOutputFolder = 33,
    KeepGoing = 34,
    ExistingOutputs = 35,
    ReplaceAll = 36,
    SkipExisting = 37,
    NoMatches = 38,
    FailedFiles = 39,
    Close = 40,
    FileColumn = 41,
    ResultColumn = 42,
    ReasonColumn = 43,
    Converted = 44,
    Skipped = 45,
    Failed = 46,
    NotReached = 47,
    FarFromRest = 48,
    Overlapping = 49,
    SaveFootprints = 50,
    FootprintsLeftOut = 51,
    MapUnits = 52,
    RunCancelledBefore = 53,
    NothingOpens = 54,
    FailedOnly = 55,
    SkippedCount = 56,
    FailedCount = 57,
    ChooseFolder = 58,
    WithSubfolders = 59,
    InPlace = 60,
    InPlaceWarning = 61,
};
}  // namespace caption

// The catalogue's texts in the interface language: "polski" or "english" (any other value gives
// empty texts). The Environment holds the one the program speaks; the window's language switch
// and the command line's --language change it.
class Texts {
public:
    explicit Texts(std::string language = "english") : language_(std::move(language)) {}

    const std::string& Language() const { return language_; }
    void SetLanguage(std::string language) { language_ = std::move(language); }

    std::string Message(std::int16_t number) const;
    std::string Caption(std::int16_t number) const;

    // A caption with its marks {0}, {1}... replaced by the values, in order.
    std::string CaptionWith(std::int16_t number, const std::vector<std::string>& values) const;

    // A caption that counts: its forms are separated by "|" (English: one, other; Polish: one,
    // few (2-4, 22-24, ... but not 12-14), many); the form `count` takes, with {0} the count
    // and {1}... the further values.
    std::string CaptionCounting(std::int16_t number, std::size_t count,
                                const std::vector<std::string>& values = {}) const;

    // A message followed by the path it concerns, on a line of its own.
    std::string MessageWithPath(std::int16_t number, const std::string& path,
                                const char* lineBreak = "\r\n") const;

private:
    std::string language_;
};

}  // namespace marlo
