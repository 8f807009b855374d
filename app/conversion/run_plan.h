#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "state/folder_checks.h"
#include "state/format_options.h"

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
};

// What the window or the command line gives a run: the chosen formats, and where its dialogs
// open.
struct RunChoices {
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
};

// A run as its preparation settles it, before the first file: every file is converted by it.
struct RunPlan {
    FileFormat inputFormat = FileFormat::None;
    FileFormat outputFormat = FileFormat::None;
    std::string inputFolder;
    std::vector<std::string> inputFiles;
    // Where GeoTIFFs go; world files and tables go beside their images.
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

    std::string InputPath(std::size_t file) const;
};

// How a run ended, for the status line after it.
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
    // What the run was, as far as its preparation got: the window remembers its folders.
    RunPlan plan;
};

}  // namespace marlo
