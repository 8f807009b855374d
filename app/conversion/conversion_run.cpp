#include "conversion/conversion_run.h"

#include <cmath>

#include "conversion/file_selection.h"
#include "crs/coordinate_systems.h"
#include "formats/geotiff/geotiff.h"
#include "formats/tab/tab_reader.h"
#include "formats/tab/tab_writer.h"
#include "formats/worldfile/world_file.h"
#include "projection/projection_choice.h"
#include "projection/projection_list.h"
#include "state/folder_checks.h"
#include "state/format_options.h"
#include "state/paths.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"

namespace marlo {

namespace {

// Where a side's reference point lies, in half pixels from the world file's: a table's at the
// outer corner of the first pixel; Pelcor gives and takes the GeoTIFF side as world-file values.
double HalfPixelsFromWorldFile(FileFormat side) {
    return side == format::TAB ? -1 : 0;
}

void ReadInput(ConversionContext& form, const std::string& inputPath) {
    switch (form.inputFormat) {
        case format::TFW:
            OdczytTFW(form, inputPath);
            break;
        case format::TAB:
            OdczytTAB(form, inputPath);
            break;
        case format::GeoTIFF:
            OdczytGEO(form, inputPath);
            break;
        default:
            break;
    }
}

// The folder that must be writable before the writer runs: the output folder for GeoTIFF
// output, the input folder otherwise.
const std::string& CheckedFolder(const ConversionContext& form) {
    return form.outputFormat == format::GeoTIFF ? form.outputFolder : form.inputFolder;
}

void WriteOutput(ConversionContext& form, const std::string& entry) {
    const std::string inputPath = JoinPath(form.inputFolder, entry);
    const bool fromTable = form.inputFormat == format::TAB;
    switch (form.outputFormat) {
        case format::TFW:
            ZapisTFW(form,
                     fromTable ? JoinPath(form.rasterFolder, form.rasterFileName) : inputPath);
            break;
        case format::TAB:
            ZapisTAB(form, inputPath);
            break;
        case format::GeoTIFF:
            if (fromTable) {
                ZapisGEO(form, form.rasterFolder, form.outputFolder, form.rasterFileName);
            } else {
                ZapisGEO(form, form.inputFolder, form.outputFolder, entry);
            }
            break;
        default:
            break;
    }
}

// An image's own system for its table: the projection list's entry for its EPSG code, else
// the clause GDAL writes for what it reads from the keys. `unwritable` names a system that no
// clause holds; both are empty for an image that states none.
struct OwnSystem {
    std::string clause;
    std::string unwritable;
};

OwnSystem OwnSystemOf(const ConversionContext& form, const std::string& path) {
    const CoordinateSystemCode code = ReadGeoTiffSystem(form.pelcorLibrary, path);
    if (code.epsg != 0) {
        if (const auto listed = EntryForCode(form.codeList, code.epsg)) {
            return {CoordSysClause(*listed), ""};
        }
    }
    const GeoKeyTags keys = ReadGeoKeyTags(form.pelcorLibrary, path);
    if (!KeysStateASystem(keys)) {
        return {};
    }
    const auto system = SystemOfKeys(form.pelcorLibrary, keys);
    if (system && system->empty()) {
        return {};
    }
    if (const auto clause = system ? ClauseOfSystem(*system) : std::nullopt) {
        return {*clause, ""};
    }
    const std::string name = system ? SystemName(*system) : std::string();
    return {"", name.empty() ? "EPSG:" + std::to_string(code.epsg) : name};
}

// The coordinate systems a run carries: the list their codes are looked up in, and for
// GeoTIFFs turned into tables each image's own system, which the projection window offers.
void PrepareCoordinateSystems(ConversionContext& form) {
    form.codeList.clear();
    form.ownClauses.clear();
    form.unwritableSystems.clear();
    form.offerOwnSystems = false;
    form.useOwnSystems = true;
    const bool tablesFromImages =
        form.outputFormat == format::TAB && form.inputFormat == format::GeoTIFF;
    if (form.outputFormat == format::TAB || form.outputFormat == format::GeoTIFF) {
        form.codeList = CodeList(form);
    }
    if (!tablesFromImages) {
        return;
    }
    for (const std::string& entry : form.inputFiles) {
        OwnSystem own = OwnSystemOf(form, JoinPath(form.inputFolder, entry));
        form.ownClauses.push_back(std::move(own.clause));
        form.unwritableSystems.push_back(std::move(own.unwritable));
    }
    form.offerOwnSystems = true;
}

// The GeoTIFF system for a table's CoordSys: the projection list's code, else the EPSG code
// GDAL is sure of, else GDAL's keys for it; none (noted for the run's end) when GDAL cannot
// understand the clause or write keys for it. A table without CoordSys leaves the image's own.
GeoTiffSystem GeoTiffSystemForTable(ConversionContext& form, const std::string& entry) {
    GeoTiffSystem system;
    if (form.tableCoordSys.empty()) {
        return system;
    }
    using Source = GeoTiffSystem::Source;
    if (const auto listed = EntryForClause(form.codeList, form.tableCoordSys)) {
        return {Source::EpsgCode, SystemOf(*listed), {}};
    }
    if (const auto wkt = SystemOfClause(form.tableCoordSys)) {
        if (const CoordinateSystemCode code = EpsgCodeOf(*wkt); code.epsg != 0) {
            return {Source::EpsgCode, code, {}};
        }
        if (auto keys = KeysOfSystem(form.pelcorLibrary, *wkt)) {
            return {Source::GdalKeys, {}, std::move(*keys)};
        }
    }
    // Whatever system the image's own keys stated, the output must not carry it for this table.
    form.lastRun.withoutSystem.push_back(entry);
    system.source = Source::None;
    return system;
}

// What the file's own coordinate system gives its output: the table's system for a GeoTIFF,
// the image's own clause for a table, which the chosen projection never replaces.
void TakeOwnSystem(ConversionContext& form, std::size_t file) {
    form.outputSystem = {};
    form.fileCoordSysClause.clear();
    if (form.outputFormat == format::GeoTIFF && form.inputFormat == format::TAB) {
        form.outputSystem = GeoTiffSystemForTable(form, form.inputFiles.at(file));
    }
    if (file < form.ownClauses.size()) {
        form.fileCoordSysClause = form.ownClauses[file];
    }
}

// An image whose system no table can hold is refused, never written in another system.
bool OwnSystemWritable(ConversionContext& form, std::size_t file) {
    if (file >= form.unwritableSystems.size() || form.unwritableSystems[file].empty()) {
        return true;
    }
    form.Fail(Refusal(MessageText(msg::SystemNotWritableInTable) + " " +
                      form.unwritableSystems[file] + kCr +
                      JoinPath(form.inputFolder, form.inputFiles[file])));
    return false;
}

// One file: read, check the target folder, move the origin, write. False ends the run.
bool ConvertFile(ConversionContext& form, std::size_t file) {
    const std::string& entry = form.inputFiles.at(file);
    if (form.outputFormat == format::GeoTIFF && form.outputFolder == form.inputFolder) {
        form.ui.ShowMessage(MessageText(msg::SameFolders), MessageIcon::Information);
        return false;
    }
    if (!OwnSystemWritable(form, file)) {
        return false;
    }
    ReadInput(form, JoinPath(form.inputFolder, entry));
    if (form.conversionFailed) {
        return false;
    }
    const std::string& folder = CheckedFolder(form);
    if (!CanWriteInFolder(form, folder)) {
        form.ui.ShowMessage(MessageWithPath(msg::UnableToWriteToOutputFolder, folder),
                            MessageIcon::Critical);
        return false;
    }
    MoveOrigin(form.WorldParams, form.inputFormat, form.outputFormat);
    TakeOwnSystem(form, file);
    WriteOutput(form, entry);
    return !form.conversionFailed;
}

// The checks before the first file; false ends the run.
bool PrepareRun(ConversionContext& form) {
    form.conversionFailed = false;
    AddFiles(form);
    if (form.conversionFailed) {
        return false;
    }
    form.conversionFailed = false;
    form.fileCount = CountAsInt16(form.inputFiles.size());
    form.lastRun.total = form.inputFiles.size();
    if (form.fileCount < 1) {
        form.ui.ShowMessage(MessageText(msg::NoFilesToConvert), MessageIcon::Information);
        return false;
    }
    form.outputFormat = SelectedOutput(form.options);
    if (form.outputFormat == format::None) {
        form.ui.ShowMessage(MessageText(msg::ErrorReadingOutputFormat), MessageIcon::Critical);
        return false;
    }
    if (form.inputFormat < format::GeoTIFF || form.inputFormat > format::TFW) {
        form.ui.ShowMessage(MessageText(msg::ErrorReadingInputFormat), MessageIcon::Critical);
        return false;
    }
    if (form.inputFormat == form.outputFormat) {
        form.ui.ShowMessage(MessageText(msg::SameFormats), MessageIcon::Critical);
        return false;
    }
    form.fileSystem = FileSystemService();
    PrepareCoordinateSystems(form);
    if (form.outputFormat == format::TAB) {
        form.coordSysClause = UstalenieProjekcji(form);
        if (form.conversionFailed) {
            return false;
        }
    }
    if (form.outputFormat == format::GeoTIFF) {
        form.outputFolder = WyszukiwanieKatalogu(form, MessageText(msg::SelectOutputDirectory),
                                                 OutputPickerStart(form));
        if (!form.fileSystem.FolderExists(form.outputFolder)) {
            form.ui.ShowMessage(MessageText(msg::OutputDirectoryMissing), MessageIcon::Critical);
            return false;
        }
    }
    return true;
}

// Takes the progress display away however the files' loop ends.
class ProgressDisplay {
public:
    explicit ProgressDisplay(UserInteraction& ui) : ui_(ui) {}
    ~ProgressDisplay() { ui_.EndProgress(); }
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

private:
    UserInteraction& ui_;
};

// Converts the files in order, each one whole, until one fails or the user cancels; the run's
// outcome counts what was converted.
bool ConvertAll(ConversionContext& form) {
    const ProgressDisplay display(form.ui);
    RunOutcome& outcome = form.lastRun;
    for (std::size_t file = 0; file < form.inputFiles.size(); ++file) {
        outcome.stoppedAt = form.inputFiles[file];
        if (!form.ui.ShowProgress({file + 1, form.inputFiles.size(), outcome.stoppedAt})) {
            outcome.cancelled = true;
            return false;
        }
        if (!ConvertFile(form, file)) {
            return false;
        }
        ++outcome.converted;
    }
    outcome.stoppedAt.clear();
    return true;
}

bool Run(ConversionContext& form) {
    if (!PrepareRun(form) || !ConvertAll(form)) {
        return false;
    }
    form.ui.ShowMessage(MessageText(msg::Done), MessageIcon::Information);
    form.lastRun.done = true;
    return true;
}

}  // namespace

void MoveOrigin(WorldParameters& params, FileFormat from, FileFormat to) {
    const double halfPixels = HalfPixelsFromWorldFile(to) - HalfPixelsFromWorldFile(from);
    // Half a column step plus half a row step: the pixel's own axes, whatever their direction.
    params.originX =
        CheckedResult(params.originX + halfPixels * ((params.pixelSizeX + params.rotationX) / 2));
    params.originY =
        CheckedResult(params.originY + halfPixels * ((params.rotationY + params.pixelSizeY) / 2));
}

bool cmbOK_Click(ConversionContext& form) {
    form.lastRun = {};
    form.ui.ForgetLastMessage();
    RunProcedure(form.errorReport, "cmbOK_Click", ErrorLevel::Report, [&] { Run(form); });
    if (!form.lastRun.done) {
        form.lastRun.reason = form.ui.LastMessage();
    }
    return form.lastRun.done;
}

std::string WithoutSystemText(const RunOutcome& outcome) {
    if (outcome.withoutSystem.empty()) {
        return {};
    }
    std::string files;
    for (const std::string& file : outcome.withoutSystem) {
        files += (files.empty() ? "" : ", ") + file;
    }
    return CaptionWith(caption::WithoutSystem, {files});
}

std::string RunStatusText(const RunOutcome& outcome) {
    if (outcome.total == 0) {
        // No files were chosen: the message, if one was shown, says why.
        return OnOneLine(outcome.reason);
    }
    std::string text = CaptionWith(caption::FilesConverted, {std::to_string(outcome.converted),
                                                             std::to_string(outcome.total)});
    if (!outcome.stoppedAt.empty()) {
        text += "; " +
                CaptionText(outcome.cancelled ? caption::CancelledBefore : caption::StoppedAt) +
                " " + outcome.stoppedAt;
    }
    if (!outcome.reason.empty()) {
        // A message box's lines, and the path it names, on one line.
        text += (outcome.stoppedAt.empty() ? "; " : ": ") + OnOneLine(outcome.reason);
    }
    if (const std::string note = WithoutSystemText(outcome); !note.empty()) {
        text += "; " + note;
    }
    return text;
}

}  // namespace marlo
