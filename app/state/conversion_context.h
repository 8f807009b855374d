#pragma once

#include <concepts>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "errors/error_report.h"
#include "platform/file_system.h"
#include "platform/regional_settings.h"
#include "platform/user_interaction.h"
#include "state/georeference.h"
#include "text/number_text.h"

namespace marlo {

// Code of one side of a conversion.
using FileFormat = std::int16_t;
namespace format {
constexpr FileFormat None = 0;
constexpr FileFormat GeoTIFF = 1;
constexpr FileFormat TAB = 2;
constexpr FileFormat TFW = 3;
}  // namespace format

// One option button of the main window.
struct OptionButton {
    bool selected = false;
    bool enabled = true;
};

// The "Convert from:" and "Convert to:" option buttons, as designed: GeoTIFF in, TAB out.
struct FormatOptions {
    OptionButton optGEOin{true, true};
    OptionButton optTABin{};
    OptionButton optTFWin{};
    OptionButton optGEO{false, true};
    OptionButton optTAB{true, true};
    OptionButton optTFW{};
};

// Selects exactly one "Convert from:" and one "Convert to:" option (none for format::None).
inline void SelectFormats(FormatOptions& options, FileFormat from, FileFormat to) {
    options.optGEOin.selected = from == format::GeoTIFF;
    options.optTABin.selected = from == format::TAB;
    options.optTFWin.selected = from == format::TFW;
    options.optGEO.selected = to == format::GeoTIFF;
    options.optTAB.selected = to == format::TAB;
    options.optTFW.selected = to == format::TFW;
}

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
};

// How the last run ended, for the status line after it.
struct RunOutcome {
    std::size_t converted = 0;
    std::size_t total = 0;
    // The file the run stopped at or was cancelled before; "" when it got through or never
    // reached a file.
    std::string stoppedAt;
    bool cancelled = false;
    // The last message the run showed, when it did not end with "Done!".
    std::string reason;
    bool done = false;
    // Files whose output went without the coordinate system their input states, which GDAL
    // cannot understand.
    std::vector<std::string> withoutSystem;
};

// The state the main window owns for as long as it exists, with the services its procedures
// use. Every reader and writer works on this object; a run resets only conversionFailed.
struct ConversionContext {
    // The user answers the dialogs and sees the messages and error reports.
    template <class User>
    requires std::derived_from<User, UserInteraction> && std::derived_from<User, ErrorReportViewer>
    ConversionContext(User& user, const RegionalSettings& regionalSettings)
        : ui(user), regional(regionalSettings), errorReport(user) {}

    // Shows a message box and sets the stop flag: the way every expected failure ends.
    void Fail(const std::string& text, MessageIcon icon, const std::string& title = "") {
        ui.ShowMessage(text, icon, title);
        conversionFailed = true;
    }

    // Services.
    UserInteraction& ui;
    const RegionalSettings& regional;
    ErrorReport errorReport;
    // Per-user folder that keeps the located projection list (mapinfow.prj).
    std::string programFolder;
    // Folder of the projection list shipped with the program: first folder of the locate dialog.
    std::string shippedProjectionFolder;
    // File names of the run-time libraries.
    std::string pelcorLibrary = "libpelcor.so.1";
    std::string vantrelLibrary = "libvantrel.so";

    // The option buttons the run and the file selection read.
    FormatOptions options;

    // Remembered from earlier runs: where the file dialog and the output-folder picker open,
    // and the CoordSys clause the projection window opens on.
    std::string rememberedInputFolder;
    std::string rememberedOutputFolder;
    std::string rememberedProjection;
    // Files chosen before the run (dropped on the window, named on its command line): the file
    // dialog opens in their folder with them selected.
    std::string preselectedFolder;
    std::vector<std::string> preselectedNames;
    RunOutcome lastRun;

    // Conversion state.
    FileFormat inputFormat = format::None;
    FileFormat outputFormat = format::None;
    std::vector<std::string> inputFiles;
    // The path, and the device and inode, of every input of the run, which no output may
    // replace.
    std::set<std::string> inputPaths;
    std::set<std::pair<std::uint64_t, std::uint64_t>> inputIdentities;
    std::int16_t fileCount = 0;
    std::string inputFolder;
    std::string outputFolder;
    std::string rasterFolder;
    std::string rasterFileName;
    std::string coordSysClause;
    // Beyond the designed state: the CoordSys line of the table just read, the coordinate
    // system the GeoTIFF just read declares, and the one the GeoTIFF being written declares.
    std::string tableCoordSys;
    GeoTiffSystem outputSystem;
    // The projection list's lines that codes are looked up in, read once per run.
    std::vector<std::string> codeList;
    // What each input states of its coordinate system, found before the first file; whether
    // the projection window offers to keep them (the chosen projection then serves the inputs
    // that state none), and the clause of the file being converted.
    std::vector<InputSystem> inputSystems;
    bool offerOwnSystems = false;
    std::string fileCoordSysClause;
    std::int32_t imageWidth = 0;
    std::int32_t imageHeight = 0;
    bool conversionFailed = false;
    FileSystemService fileSystem;
    WorldParameters WorldParams;

    // Shows a refusal and stops the run.
    void Fail(const Refusal& refusal) { Fail(refusal.text, refusal.icon, refusal.title); }

    // The services number text works with, bound to this state's stop flag.
    NumberTextServices numbers{errorReport, regional, ui, conversionFailed};
};

}  // namespace marlo

namespace marlo {

// Runs a reader or writer under its error handler: a refusal is shown and stops the run; an
// unexpected error is handed on or reported as `level` says. False when the body did not finish.
template <class Body>
bool RunStep(ConversionContext& form, std::string_view procedure, ErrorLevel level, Body&& body) {
    return RunProcedure(form.errorReport, procedure, level, [&] {
        try {
            body();
        } catch (const Refusal& refusal) {
            form.Fail(refusal);
        }
    });
}

}  // namespace marlo
