#include "conversion/conversion_run.h"

#include <cmath>

#include "conversion/file_selection.h"
#include "conversion/input_systems.h"
#include "formats/auxiliary/aux_file.h"
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

// An input is converted only when its bytes are of its format: a TIFF for GeoTIFF input,
// text for tables and world files (a TIFF named .tab is never read as one).
bool InputOfItsFormat(ConversionContext& form, const std::string& inputPath) {
    try {
        RequireContent(inputPath,
                       form.inputFormat == format::GeoTIFF ? ContentKind::Tiff : ContentKind::Text);
    } catch (const Refusal& refusal) {
        form.Fail(refusal);
        return false;
    }
    return true;
}

void ReadInput(ConversionContext& form, const std::string& inputPath) {
    if (!InputOfItsFormat(form, inputPath)) {
        return;
    }
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

// A world file holds no coordinate system: the table's goes into the image's .aux.xml, where
// GDAL and other GIS tools look for it, unless the image states its own.
void WriteWorldFileForTable(ConversionContext& form, const std::string& imagePath) {
    std::string auxText;
    const bool ready = RunStep(form, "ZapisTFW", ErrorLevel::HandOn,
                               [&] { auxText = AuxTextForWorldFile(form, imagePath); });
    if (!ready || form.conversionFailed) {
        return;
    }
    ZapisTFW(form, imagePath);
    if (form.conversionFailed || auxText.empty()) {
        return;
    }
    RunStep(form, "ZapisTFW", ErrorLevel::HandOn,
            [&] { WriteOutputBytes(form.fileSystem, AuxFilePath(imagePath), auxText); });
}

void WriteOutput(ConversionContext& form, const std::string& entry) {
    const std::string inputPath = JoinPath(form.inputFolder, entry);
    const bool fromTable = form.inputFormat == format::TAB;
    switch (form.outputFormat) {
        case format::TFW:
            if (fromTable) {
                WriteWorldFileForTable(form, JoinPath(form.rasterFolder, form.rasterFileName));
            } else {
                ZapisTFW(form, inputPath);
            }
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
    NoteInputIdentities(form);
    PrepareCoordinateSystems(form);
    if (form.conversionFailed) {
        return false;
    }
    // Tables always name a system; GeoTIFFs made from world files may carry the chosen one.
    const bool imagesFromWorldFiles =
        form.outputFormat == format::GeoTIFF && form.inputFormat == format::TFW;
    if (form.outputFormat == format::TAB || imagesFromWorldFiles) {
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
