#include "conversion/conversion_run.h"

#include "conversion/file_selection.h"
#include "conversion/file_steps.h"
#include "conversion/input_systems.h"
#include "projection/projection_choice.h"
#include "state/folder_checks.h"
#include "state/format_options.h"
#include "state/paths.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"

namespace marlo {

namespace {

// The folder that must be writable before the writer runs: the output folder for GeoTIFF
// output, the input folder otherwise.
const std::string& CheckedFolder(const RunPlan& plan) {
    return plan.outputFormat == FileFormat::GeoTIFF ? plan.outputFolder : plan.inputFolder;
}

// An input is converted only when its bytes are of its format: a TIFF for GeoTIFF input,
// text for tables and world files (a TIFF named .tab is never read as one).
void RequireInputOfItsFormat(const FileJob& job) {
    RequireContent(job.inputPath, job.plan.inputFormat == FileFormat::GeoTIFF ? ContentKind::Tiff
                                                                              : ContentKind::Text);
}

// One file: read, check the target folder, move the origin, write. A refusal is shown; an
// unexpected error inside a step is reported as the step's frame says, one outside any step is
// handed on to the run. False ends the run.
bool ConvertFile(Environment& env, const RunPlan& plan, std::size_t file, RunOutcome& outcome) {
    const FormatSteps& input = StepsOf(plan.inputFormat);
    const FormatSteps& output = StepsOf(plan.outputFormat);
    const FileJob job{plan, file, plan.InputPath(file)};
    const ErrorFrame* step = nullptr;
    try {
        if (plan.outputFormat == FileFormat::GeoTIFF && plan.outputFolder == plan.inputFolder) {
            throw Refusal(MessageText(msg::SameFolders), MessageIcon::Information);
        }
        RequireOwnSystemWritable(plan, file);
        RequireInputOfItsFormat(job);
        step = &input.readFrame;
        const InputRead read = input.read(env, job);
        step = nullptr;
        const std::string& folder = CheckedFolder(plan);
        if (!CanWriteInFolder(env, folder)) {
            throw Refusal(MessageWithPath(msg::UnableToWriteToOutputFolder, folder));
        }
        const InputRead moved{MoveOrigin(read.georeference, plan.inputFormat, plan.outputFormat),
                              read.imagePath, read.tableCoordSys};
        const OutputSystem system = OwnOutputSystem(env, plan, file, read.tableCoordSys);
        if (system.lost) {
            outcome.withoutSystem.push_back(plan.inputFiles[file]);
        }
        step = &output.writeFrame;
        const OutputWritten written = output.write(env, job, moved, system);
        if (!written.withoutSystem.empty()) {
            outcome.withoutSystem.push_back(written.withoutSystem);
        }
        return true;
    } catch (const Refusal& refusal) {
        env.ui.Show(refusal);
        return false;
    } catch (...) {
        if (step == nullptr) {
            throw;
        }
        RunTimeError error = ErrorReport::CurrentAsRunTimeError(step->procedure);
        if (step->level == ErrorLevel::HandOn) {
            throw error;
        }
        env.errorReport.Show(error);
        return false;
    }
}

// What the projection window is asked for the run.
ProjectionQuestion QuestionFor(const RunPlan& plan, const RunChoices& choices) {
    ProjectionQuestion question;
    question.offerOwnSystems = plan.offerOwnSystems;
    question.ownSystemsCoverEveryImage = plan.offerOwnSystems;
    for (const InputSystem& system : plan.inputSystems) {
        if (question.firstOwnClause.empty()) {
            question.firstOwnClause = system.clause;
        }
        // An input whose system no table holds states one all the same: it is refused, never
        // given the chosen projection.
        question.ownSystemsCoverEveryImage &= system.stated;
    }
    question.rememberedProjection = choices.rememberedProjection;
    question.noSystemOffered = plan.outputFormat == FileFormat::GeoTIFF;
    return question;
}

// The checks and questions before the first file, which settle the run's plan (in
// outcome.plan, as far as they get). False ends the run; a refusal ends it with its message.
bool PrepareRun(Environment& env, const RunChoices& choices, RunOutcome& outcome) {
    RunPlan& plan = outcome.plan;
    const auto files = AddFiles(env, choices);
    if (!files) {
        return false;
    }
    plan.inputFormat = files->format;
    plan.inputFolder = files->folder;
    plan.inputFiles = files->names;
    outcome.total = plan.inputFiles.size();
    plan.outputFormat = SelectedOutput(choices.options);
    if (plan.outputFormat == FileFormat::None) {
        throw Refusal(MessageText(msg::ErrorReadingOutputFormat));
    }
    if (plan.inputFormat == FileFormat::None) {
        throw Refusal(MessageText(msg::ErrorReadingInputFormat));
    }
    if (plan.inputFormat == plan.outputFormat) {
        throw Refusal(MessageText(msg::SameFormats));
    }
    plan.inputs = NoteInputIdentities(plan.inputFolder, plan.inputFiles);
    if (RunNeedsCodeList(plan)) {
        plan.codeList = CodeList(env);
    }
    plan.inputSystems = InputSystemsOf(env, plan);
    plan.offerOwnSystems = !plan.inputSystems.empty();
    // Tables always name a system; GeoTIFFs made from world files may carry the chosen one.
    const bool imagesFromWorldFiles =
        plan.outputFormat == FileFormat::GeoTIFF && plan.inputFormat == FileFormat::TFW;
    if (plan.outputFormat == FileFormat::TAB || imagesFromWorldFiles) {
        const auto clause = UstalenieProjekcji(env, QuestionFor(plan, choices));
        if (!clause) {
            return false;
        }
        plan.coordSysClause = *clause;
    }
    if (plan.outputFormat == FileFormat::GeoTIFF) {
        plan.outputFolder = WyszukiwanieKatalogu(
            env, MessageText(msg::SelectOutputDirectory),
            OutputPickerStart(env.fileSystem, choices.rememberedOutputFolder, plan.inputFolder));
        if (!env.fileSystem.FolderExists(plan.outputFolder)) {
            throw Refusal(MessageText(msg::OutputDirectoryMissing));
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

// Converts the files in order, each one whole, until one fails or the user cancels; the
// outcome counts what was converted.
bool ConvertAll(Environment& env, RunOutcome& outcome) {
    const ProgressDisplay display(env.ui);
    const RunPlan& plan = outcome.plan;
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        outcome.stoppedAt = plan.inputFiles[file];
        if (!env.ui.ShowProgress({file + 1, plan.inputFiles.size(), outcome.stoppedAt})) {
            outcome.cancelled = true;
            return false;
        }
        if (!ConvertFile(env, plan, file, outcome)) {
            return false;
        }
        ++outcome.converted;
    }
    outcome.stoppedAt.clear();
    return true;
}

void Run(Environment& env, const RunChoices& choices, RunOutcome& outcome) {
    try {
        if (!PrepareRun(env, choices, outcome) || !ConvertAll(env, outcome)) {
            return;
        }
    } catch (const Refusal& refusal) {
        env.ui.Show(refusal);
        return;
    }
    env.ui.ShowMessage(MessageText(msg::Done), MessageIcon::Information);
    outcome.done = true;
}

}  // namespace

RunOutcome cmbOK_Click(Environment& env, const RunChoices& choices) {
    RunOutcome outcome;
    env.ui.ForgetLastMessage();
    RunProcedure(env.errorReport, "cmbOK_Click", ErrorLevel::Report,
                 [&] { Run(env, choices, outcome); });
    if (!outcome.done) {
        outcome.reason = env.ui.LastMessage();
    }
    return outcome;
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
