#include "conversion/file_steps.h"

#include <optional>

#include "files/folder_checks.h"
#include "formats/auxiliary/aux_file.h"
#include "formats/geotiff/geotiff.h"
#include "formats/image/image_header.h"
#include "formats/tab/tab_writer.h"
#include "formats/worldfile/world_file.h"
#include "platform/entry_probes.h"
#include "platform/image_copy.h"
#include "platform/pending_output.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {

namespace {

// Where a side's reference point lies, in half pixels from the world file's: a table's at the
// outer corner of the first pixel; Pelcor gives and takes the GeoTIFF side as world-file values.
double HalfPixelsFromWorldFile(FileFormat side) {
    return side == FileFormat::TAB ? -1 : 0;
}

// Readers.

InputRead ReadWorldFileInput(const Environment& env, const FileJob& job) {
    InputRead read{ReadWorldFile(env.texts, env.fileSystem, job.inputPath), job.inputPath, ""};
    RequirePlacesAnImage(env.texts, read.georeference, job.inputPath);
    return read;
}

InputRead ReadTableInput(const Environment& env, const FileJob& job) {
    const TableContents table = ReadTable(env.texts, env.fileSystem, job.inputPath);
    const TableImageUse use = job.plan.outputFormat == FileFormat::TFW
                                  ? TableImageUse::WorldFileBeside
                                  : TableImageUse::Copied;
    const ImagePlace image =
        LocateTableImage(env.texts, env.fileSystem, table.imageReference, job.inputPath, use);
    return {table.georeference, JoinPath(image.folder, image.fileName), table.coordSys};
}

InputRead ReadGeoTiffInput(const Environment& env, const FileJob& job) {
    if (!env.fileSystem.FileExists(job.inputPath)) {
        throw Refusal(env.texts.MessageWithPath(msg::FileNotFound, job.inputPath, kCr));
    }
    InputRead read{ReadGeoTiff(env.texts, env.libraries.Pelcor(), job.inputPath).georeference,
                   job.inputPath, ""};
    RequirePlacesAnImage(env.texts, read.georeference, job.inputPath);
    return read;
}

// Writers.

// Refuses a world file that cannot be written for the image, before anything is.
std::string CheckedWorldFile(Environment& env, const FileJob& job, const std::string& imagePath,
                             const Georeference& georeference) {
    const std::string path = WorldFileNameFor(imagePath);
    RequirePlacesAnImage(env.texts, georeference, path);
    RequireReplaceableOutput(env.texts, env.fileSystem, job.plan.inputs, path, job.reported);
    return path;
}

// The world file GDAL reads for the image. A world file holds no coordinate system: a table's
// goes into the image's .aux.xml, where GDAL and other GIS tools look for it, unless the image
// states its own. The .aux.xml is committed first and the world file last: a failure or a kill
// between them leaves the old world file (or none) beside the new system, never a new world
// file without the system its table states, and a later run sees the file as not done.
OutputWritten WriteWorldFileOutput(Environment& env, const FileJob& job, const InputRead& read,
                                   const OutputSystem&) {
    const std::string worldFile = CheckedWorldFile(env, job, read.imagePath, read.georeference);
    AuxText aux;
    if (job.plan.inputFormat == FileFormat::TAB) {
        aux = AuxTextForWorldFile(env, job.plan, read.tableCoordSys, read.imagePath);
    }
    if (!aux.text.empty()) {
        const std::string auxPath = AuxFilePath(read.imagePath);
        RequireReplaceableOutput(env.texts, env.fileSystem, job.plan.inputs, auxPath, job.reported);
        WriteOutputBytes(env.texts, env.fileSystem, auxPath, aux.text);
    }
    WriteWorldFile(env.texts, env.fileSystem, worldFile, read.georeference);
    return {worldFile, read.imagePath, {}, aux.lost ? GetFileNameAndType(read.imagePath) : ""};
}

// The image a table is written for: the input itself when it is a TIFF, else the TIFF beside
// the world file.
std::string ImageOfInput(const Texts& texts, const FileSystemService& files,
                         const std::string& inputPath) {
    const auto image = FindImageFor(files, inputPath);
    if (!image) {
        throw Refusal(
            texts.MessageWithPath(msg::FileNotFound, ReplaceExtension(inputPath, ".tif")));
    }
    return *image;
}

std::string TablePathFor(const std::string& inputPath) {
    return ReplaceExtension(inputPath, ".tab");
}

// A raster table beside the input. An image that states its own coordinate system keeps it,
// when the user chose so; the others get the chosen projection.
OutputWritten WriteTableOutput(Environment& env, const FileJob& job, const InputRead& read,
                               const OutputSystem& system) {
    const std::string tablePath = TablePathFor(job.inputPath);
    RequirePlacesAnImage(env.texts, read.georeference, tablePath);
    const std::string imagePath = ImageOfInput(env.texts, env.fileSystem, job.inputPath);
    RequireNameFitsATable(env.texts, imagePath);
    RequireReplaceableOutput(env.texts, env.fileSystem, job.plan.inputs, tablePath, job.reported);
    const ImageSize size = Noted(job, GetTiffInfo(env, imagePath));
    const std::string& clause = system.clause.empty() ? job.plan.coordSysClause : system.clause;
    // The table names the image as it is spelled on disk, so that programs that look names up
    // letter case and all find it beside the table.
    WriteOutputFile(env.texts, env.fileSystem, tablePath,
                    RasterTableLines(env.texts, tablePath, GetFileNameAndType(imagePath),
                                     read.georeference, size, clause));
    return {tablePath, imagePath, size, ""};
}

bool AnythingAt(const std::string& path) {
    return EntryKindAt(path) != EntryKind::Nothing;
}

// Whether the image an input names was found by its reader, on disk and an image: a table's.
bool ImageFoundByReader(const FileJob& job) {
    return job.plan.inputFormat == FileFormat::TAB;
}

// The image a GeoTIFF is made from: the one a table names (as its reader found it), or the TIFF
// beside a world file.
std::string SourceImage(const Texts& texts, const FileSystemService& files, const FileJob& job,
                        const std::string& named) {
    std::string found = OutputImageOf(files, job, named);
    if (found.empty()) {
        throw Refusal(
            texts.MessageWithPath(msg::FileNotFound, ReplaceExtension(named, ".tif"), kCr));
    }
    return found;
}

std::string GeoTiffPathFor(const FileJob& job, const std::string& source) {
    if (job.plan.inPlace) {
        return source;
    }
    return JoinPath(job.plan.OutputFolderOf(job.file), GetFileNameAndType(source));
}

// The copy takes the target's place: as a new file, or in place of the old one when the run
// replaces existing outputs. False when a new file finds the place taken.
bool Commit(PendingOutput& copy, bool replacing) {
    if (!replacing) {
        return copy.CommitAsNew();
    }
    copy.CommitReplacing();
    return true;
}

// The keys the image gets: the run's, unless the image states a system of its own and the run
// keeps such systems.
GeoTiffSystem KeysFor(Environment& env, const OutputSystem& system, const std::string& image) {
    if (system.geotiff.unlessImageStatesOne &&
        KeysStateASystem(ReadGeoKeyTags(env.libraries.Pelcor(), image))) {
        return {};
    }
    return system.geotiff;
}

// Refuses an image its tags may not be written into where it stands: one that is no TIFF, in a
// folder or itself marked read-only (nothing there may change), or one Pelcor cannot append to
// safely; then an image that already states a georeference, as an existing output.
void RequireTaggableInPlace(Environment& env, const FileJob& job, const std::string& image) {
    if (!IsImageFile(image)) {
        throw Refusal(env.texts.MessageWithPath(msg::UnableToOpenFile, image, kCr));
    }
    if (ContentKindOf(image) != ContentKind::Tiff) {
        throw Refusal(env.texts.MessageWithPath(msg::NotATiff, image, kCr));
    }
    const std::string folder = FolderOfPath(image);
    if (!Noted(job, CanWriteInFolder(env.fileSystem, folder))) {
        throw Refusal(env.texts.MessageWithPath(msg::UnableToWriteToOutputFolder, folder));
    }
    if (!Noted(job, CanEditFile(env.fileSystem, image))) {
        throw Refusal(env.texts.MessageWithPath(msg::FileIsReadOnly, image));
    }
    RequireWritableInPlace(env.texts, env.libraries.Pelcor(), image);
    if (job.plan.existing != ExistingOutputs::Replace &&
        StatesAGeoreference(env.libraries.Pelcor(), image)) {
        throw Refusal(env.texts.MessageWithPath(msg::OutputFileExists, image, kCr));
    }
}

// The georeference written into the input image itself: no copy, no temporary file. Pelcor
// appends the tags and a new directory and moves the header's pointer last, so a crash leaves
// the image with its old georeference or its new one, and its pixels as they were.
OutputWritten WriteGeoTiffInPlace(Environment& env, const FileJob& job, const InputRead& read,
                                  const OutputSystem& system) {
    const std::string image = SourceImage(env.texts, env.fileSystem, job, read.imagePath);
    RequirePlacesAnImage(env.texts, read.georeference, image);
    RequireNotAnInput(env.texts, job.plan.inputs, image);
    RequireTaggableInPlace(env, job, image);
    WriteGeoTiff(env.texts, env.libraries.Pelcor(), image, read.georeference,
                 KeysFor(env, system, image), image, TagWriting::InPlace);
    return {image, image, {}, ""};
}

// A copy of the image in the output folder, under a temporary name, that becomes the output
// only when it carries its georeference; an existing target is replaced only when the run
// replaces existing outputs (message 16 otherwise).
OutputWritten WriteGeoTiffOutput(Environment& env, const FileJob& job, const InputRead& read,
                                 const OutputSystem& system) {
    if (job.plan.inPlace) {
        return WriteGeoTiffInPlace(env, job, read, system);
    }
    const std::string outputFolder = job.plan.OutputFolderOf(job.file);
    const std::string source = SourceImage(env.texts, env.fileSystem, job, read.imagePath);
    const std::string target = GeoTiffPathFor(job, source);
    const bool replacing = job.plan.existing == ExistingOutputs::Replace;
    RequirePlacesAnImage(env.texts, read.georeference, target);
    RequireNotAnInput(env.texts, job.plan.inputs, target);
    // A table may name an image in another folder: the copy must not take that image's place.
    if (SameEntry(source, target)) {
        throw Refusal(env.texts.Message(msg::SameFolders), MessageIcon::Information);
    }
    if (AnythingAt(target)) {
        if (!replacing) {
            throw Refusal(env.texts.MessageWithPath(msg::OutputFileExists, target, kCr));
        }
        RequireReplaceableOutput(env.texts, env.fileSystem, job.plan.inputs, target, job.reported);
    }
    if (!env.fileSystem.FolderExists(outputFolder) ||
        (!ImageFoundByReader(job) && !IsImageFile(source))) {
        throw Refusal(env.texts.MessageWithPath(msg::UnableToOpenFile, source, kCr));
    }
    if (ContentKindOf(source) == ContentKind::OtherImage) {
        throw Refusal(env.texts.MessageWithPath(msg::NotATiff, source, kCr));
    }
    PendingOutput copy(target, env.fileSystem.Temporaries(), env.fileSystem.Api(),
                       RefusedAsUnableToUpdate(env.texts));
    if (!CopyImageInto(source, copy.descriptor(), env.fileSystem.Api())) {
        // The source could be read: what failed is the copy in the output folder (a full
        // disk, say), and none of it is left behind.
        throw UnableToUpdate(env.texts, target);
    }
    const std::string& temporary = copy.path();
    SetAttributesArchive(env.fileSystem, temporary, attr::Archive);
    if (!Noted(job, CanEditFile(env.fileSystem, temporary))) {
        throw Refusal(env.texts.MessageWithPath(msg::FileIsReadOnly, target));
    }
    WriteGeoTiff(env.texts, env.libraries.Pelcor(), temporary, read.georeference,
                 KeysFor(env, system, source), target);
    if (!Commit(copy, replacing)) {
        throw Refusal(env.texts.MessageWithPath(msg::OutputFileExists, target, kCr));
    }
    return {target, target, {}, ""};
}

// Whether the image's .aux.xml already holds what writing the world file from the table would
// put there: a world file whose system is missing was cut short, and is no finished output.
bool SystemInPlace(Environment& env, const FileJob& job, const InputRead& table) {
    const AuxText aux = AuxTextForWorldFile(env, job.plan, table.tableCoordSys, table.imagePath);
    if (aux.text.empty()) {
        return true;
    }
    const ReportedResult<std::string> read =
        env.fileSystem.CheckedTextBytes(AuxFilePath(table.imagePath));
    return !read.error && read.value == aux.text;
}

// The error report names the steps as the program always has.
const FormatSteps kSteps[] = {
    {FileFormat::GeoTIFF,
     ReadGeoTiffInput,
     {Procedure::ReadGeoTiff, ErrorLevel::HandOn},
     WriteGeoTiffOutput,
     {Procedure::WriteGeoTiff, ErrorLevel::HandOn}},
    {FileFormat::TAB,
     ReadTableInput,
     {Procedure::ReadTable, ErrorLevel::Report},
     WriteTableOutput,
     {Procedure::WriteTable, ErrorLevel::Report}},
    {FileFormat::TFW,
     ReadWorldFileInput,
     {Procedure::ReadWorldFile, ErrorLevel::HandOn},
     WriteWorldFileOutput,
     {Procedure::WriteWorldFile, ErrorLevel::HandOn}},
};

// Where a file's output goes, for the image planning found for it (see OutputImageOf).
std::string OutputPathFor(const FileJob& job, const std::string& image) {
    switch (job.plan.outputFormat) {
        case FileFormat::TFW:
            return WorldFileNameFor(image);
        case FileFormat::TAB:
            return TablePathFor(job.inputPath);
        default:
            return GeoTiffPathFor(job, image);
    }
}

// The image planning found for a file; "" when none could be found then.
const std::string& NotedOutputImage(const FileJob& job) {
    return job.plan.outputImages.at(job.file);
}

}  // namespace

std::optional<std::string> ExistingOutputOf(Environment& env, const FileJob& job) {
    const std::string& image = NotedOutputImage(job);
    if (image.empty()) {
        return std::nullopt;  // the file's own steps will say what is wrong with it
    }
    const std::string path = OutputPathFor(job, image);
    if (!job.plan.inPlace && SameEntry(path, image)) {
        return std::nullopt;  // no output but the image itself: its turn refuses the file
    }
    try {
        if (job.plan.inPlace) {
            return StatesAGeoreference(env.libraries.Pelcor(), path) ? std::optional(path)
                                                                     : std::nullopt;
        }
        if (!AnythingAt(path)) {
            return std::nullopt;
        }
        // A world file whose table's system is not beside it yet is no finished output.
        const std::optional<InputRead>& table = job.plan.inputReads.at(job.file).read;
        if (job.plan.outputFormat == FileFormat::TFW && job.plan.inputFormat == FileFormat::TAB &&
            (!table || !SystemInPlace(env, job, *table))) {
            return std::nullopt;
        }
        return path;
    } catch (const Failure&) {
        return std::nullopt;
    }
}

std::string OutputImageOf(const FileSystemService& files, const FileJob& job,
                          const std::string& named) {
    if (job.plan.outputFormat != FileFormat::GeoTIFF || ImageFoundByReader(job)) {
        return named;
    }
    return FindImageFor(files, named).value_or("");
}

const InputRead& PlannedReadOf(const FileJob& job) {
    const PlannedRead& planned = job.plan.inputReads.at(job.file);
    if (!planned.read) {
        std::rethrow_exception(planned.failure);  // planning keeps one or the other
    }
    return *planned.read;
}

std::vector<std::vector<std::string>> PlannedOutputsOf(const RunPlan& plan) {
    std::vector<std::vector<std::string>> outputs(plan.inputFiles.size());
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        const FileJob job{plan, file, plan.InputPath(file)};
        const std::string& image = NotedOutputImage(job);
        if (image.empty()) {
            continue;
        }
        outputs[file].push_back(OutputPathFor(job, image));
        if (plan.outputFormat == FileFormat::TFW && plan.inputFormat == FileFormat::TAB) {
            outputs[file].push_back(AuxFilePath(image));
        }
    }
    return outputs;
}

std::vector<std::string> OutputsTakenEarlier(const RunPlan& plan) {
    std::vector<std::string> taken(plan.inputFiles.size());
    InputIdentities earlier;
    const auto outputs = PlannedOutputsOf(plan);
    for (std::size_t file = 0; file < outputs.size(); ++file) {
        for (const std::string& output : outputs[file]) {
            if (taken[file].empty() && IsOneOf(earlier, output)) {
                taken[file] = output;
            }
        }
        for (const std::string& output : outputs[file]) {
            NoteFile(earlier, output);
        }
    }
    return taken;
}

void RequireApartFromRunFiles(const Texts& texts, const RunPlan& plan, const std::string& path) {
    RequireNotAnInput(texts, plan.inputs, path);
    InputIdentities outputs;
    for (const auto& written : PlannedOutputsOf(plan)) {
        for (const std::string& output : written) {
            NoteFile(outputs, output);
        }
    }
    if (IsOneOf(outputs, path)) {
        throw Refusal(texts.MessageWithPath(msg::WouldReplaceAnOutput, path));
    }
}

ReportedResult<ImageSize> MeasuredImage(const Environment& env, const std::string& path) {
    // A world file may stand beside a JPEG, PNG, GIF or BMP, whose header says its size.
    if (ContentKindOf(path) == ContentKind::OtherImage) {
        return {ImageSizeFromHeader(path), std::nullopt};
    }
    return MeasureImage(env.libraries.Vantrel(), path);
}

ReportedResult<ImageSize> GetTiffInfo(const Environment& env, const std::string& path) {
    ReportedResult<ImageSize> size = MeasuredImage(env, path);
    if (size.error) {
        size.error->AddFrame(ErrorLocation(ProcedureName(Procedure::GetTiffInfo)));
    }
    return size;
}

const FormatSteps& StepsOf(FileFormat format) {
    for (const FormatSteps& steps : kSteps) {
        if (steps.format == format) {
            return steps;
        }
    }
    throw RunTimeError(err::InvalidProcedureCall, "Invalid procedure call or argument");
}

Georeference MoveOrigin(Georeference g, FileFormat from, FileFormat to) {
    const double halfPixels = HalfPixelsFromWorldFile(to) - HalfPixelsFromWorldFile(from);
    // Half a column step plus half a row step: the pixel's own axes, whatever their direction.
    g.originX = CheckedResult(g.originX + halfPixels * ((g.pixelSizeX + g.rotationX) / 2));
    g.originY = CheckedResult(g.originY + halfPixels * ((g.rotationY + g.pixelSizeY) / 2));
    return g;
}

}  // namespace marlo
