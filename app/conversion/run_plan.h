#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "files/folder_checks.h"
#include "platform/failures.h"
#include "values/format_options.h"
#include "values/georeference.h"

namespace marlo {

// What an input states of its coordinate system, as GDAL reads the image: a GeoTIFF's keys;
// for a world file, its image's .aux.xml, else the image's own keys, else its .prj.
struct InputSystem {
    bool stated = false;
    // For a table: the clause, or the name of a system that no clause can hold.
    std::string clause;
    std::string unwritable;
    // For a GeoTIFF made from a world file: the system (WKT) of the image's .aux.xml, which
    // GDAL reads before the image's keys, or of its .prj, which serves only when the keys
    // state none (whether they do is seen as the image is copied).
    std::string wkt;
    bool fromPrj = false;
    // The input gives no georeference at all: it will be refused for that, and no projection
    // is asked for it.
    bool unreadable = false;
    // Why the input's side files (.aux.xml, .prj) could not be read, found while planning: the
    // file is refused with this message when its turn comes, and the batch goes on.
    std::string sideFileRefusal{};
    // GDAL could not be asked about the input's system: the file fails, alone.
    bool gdalFailed = false;
    // Why no clause holds the system named in `unwritable`.
    std::string unwritableReason{};
};

// What reading an input gives: its georeference (with the origin where its format keeps it)
// and the image the output is about: the input itself, or for a table the image it names and
// its CoordSys line.
struct InputRead {
    Georeference georeference;
    std::string imagePath;
    std::string tableCoordSys;
};

// An input as planning read it, or the failure reading it met instead, which the file's turn
// raises where it would have read the file.
struct PlannedRead {
    std::optional<InputRead> read;
    std::exception_ptr failure;
};

// What a run does with outputs that exist before it: as each format always has (tables and
// world files are replaced, a GeoTIFF is refused), ask once before the first file, replace
// them all, skip their inputs, or not start.
enum class ExistingOutputs { AsBefore, Ask, Replace, Skip, Stop };

// The input files of a run: paths relative to one folder (a name, or subfolders and a name for
// the files of a folder's tree), in the order they are converted.
struct ChosenFiles {
    FileFormat format = FileFormat::None;
    std::string folder;
    std::vector<std::string> names;
};

// What the window gives a run it plans by asking: the chosen formats, and where its dialogs
// open.
struct RunChoices {
    FormatOptions options;
    // Remembered from earlier runs: where the file dialog and the output-folder picker open,
    // and the CoordSys clause the projection window opens on.
    std::string rememberedInputFolder;
    std::string rememberedOutputFolder;
    std::string rememberedProjection;
    // Files chosen before the run (dropped on the window, named on its command line, or the
    // files of a chosen folder): the run takes them without showing the file dialog.
    std::optional<ChosenFiles> files;
    // A failing file is noted and the run goes on; else the run stops at it.
    bool keepGoing = false;
    ExistingOutputs existing = ExistingOutputs::AsBefore;
    // GeoTIFF output is written into the input images themselves, not into copies.
    bool inPlace = false;
};

// A run as its preparation settles it, before the first file: every file is converted by it.
struct RunPlan {
    FileFormat inputFormat = FileFormat::None;
    FileFormat outputFormat = FileFormat::None;
    // The folder the inputs are named from, and each input's path relative to it.
    std::string inputFolder;
    std::vector<std::string> inputFiles;
    // Where GeoTIFFs go, in the subfolders their inputs lie in below inputFolder; world files
    // and tables go beside their images.
    std::string outputFolder;
    // The projection chosen for the inputs that state no system; "" when none.
    std::string coordSysClause;
    // The projection list's lines that codes are looked up in.
    std::vector<std::string> codeList;
    // What each input states of its coordinate system (none asked: no entries), and whether
    // the projection window offered to keep them.
    std::vector<InputSystem> inputSystems;
    bool offerOwnSystems = false;
    // The inputs, which no output may replace.
    InputIdentities inputs;
    // Each input, read once while planning: planning's checks and the file's turn use the same
    // read. The run never changes an input, so what was read is what the turn would read.
    std::vector<PlannedRead> inputReads;
    bool keepGoing = false;
    // AsBefore, Replace or Skip, settled before the first file; for each file the output that
    // existed then ("" for none), which Skip passes over.
    ExistingOutputs existing = ExistingOutputs::AsBefore;
    std::vector<std::string> existingOutputs;
    // For each file, the image its output is about, as planning found it ("" when it could not
    // be found then), and the output an earlier file of the run writes too ("" for none): the
    // later file fails instead of replacing it.
    std::vector<std::string> outputImages;
    std::vector<std::string> outputsTaken;
    // The tags go into the input images where they stand (GeoTIFF output only): no output
    // folder, and an image that already states a georeference is an existing output.
    bool inPlace = false;

    // Whether the GeoTIFFs are copies in the output folder.
    bool CopiesImages() const;
    std::string InputPath(std::size_t file) const;
    std::string InputFolderOf(std::size_t file) const;
    // Where a file's output goes: below the output folder as its input lies below inputFolder
    // for GeoTIFF copies, else beside its input.
    std::string OutputFolderOf(std::size_t file) const;
    // Where the outputs go: the output folder for GeoTIFF copies, else beside the inputs.
    const std::string& OutputFolder() const;
};

// Where a converted sheet lies: the outline of its image as the written georeference places
// it (four corners clockwise from the first pixel's outer corner, rotation included), in the
// output's coordinate system, named as FootprintSystem names it ("" for none).
struct Footprint {
    std::array<MapPoint, 4> corners;
    std::string system;
    ImageSize size;
    std::string output;
};

// A message of a run, for its front end to show: a message box, or an error report.
struct RunMessage {
    enum class Kind { Box, ErrorReport };
    Kind kind = Kind::Box;
    std::string text;
    MessageIcon icon = MessageIcon::Critical;
    std::string title;
};

// What became of one file of a run.
enum class FileResult { Converted, Skipped, Failed, NotReached };
struct FileReport {
    std::string file;
    FileResult result = FileResult::NotReached;
    // Why it failed (the message, on one line) or was skipped (its output exists).
    std::string reason;
    // For a converted file whose image could be measured.
    std::optional<Footprint> footprint;
};

// How a run ended, for the status line and the summary after it.
struct RunOutcome {
    std::size_t converted = 0;
    std::size_t total = 0;
    // Every file of the run, in order, once its files were chosen.
    std::vector<FileReport> files;
    // The file the run stopped at or was cancelled before; "" when it got through or never
    // reached a file.
    std::string stoppedAt;
    // The user ended the run: in one of its dialogs, or between files.
    bool cancelled = false;
    // What the run has to say, in order: the message it stopped with, the error reports of
    // steps that went on past an unexpected error, "Done!".
    std::vector<RunMessage> messages;
    // The message the run ended with, when it did not end with "Done!".
    std::string reason;
    bool done = false;
    // Files whose output went without the coordinate system their input states, which GDAL
    // cannot understand.
    std::vector<std::string> withoutSystem;
    // What the run was, as far as its preparation got: the window remembers its folders.
    RunPlan plan;
};

}  // namespace marlo
