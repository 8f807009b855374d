#include "conversion/conversion_run.h"

#include "conversion/file_selection.h"
#include "conversion/file_steps.h"
#include "conversion/footprints.h"
#include "conversion/input_systems.h"
#include "conversion/run_summary.h"
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

// Why a file failed, on one line: the message it showed, or the unexpected error.
std::string ReasonOf(const RunTimeError& error) {
    return "Error Number " + std::to_string(error.number()) + ": " + error.description();
}

// Notes a file's failure, and shows it when the run stops there. An unexpected error of a step
// that hands its errors on goes on to the run, which reports it.
bool FileFailed(Environment& env, const RunPlan& plan, FileReport& report, const Refusal& refusal) {
    report.result = FileResult::Failed;
    report.reason = OnOneLine(refusal.text);
    if (!plan.keepGoing) {
        env.ui.Show(refusal);
    }
    return plan.keepGoing;
}

bool FileFailed(Environment& env, const RunPlan& plan, FileReport& report, RunTimeError error,
                ErrorLevel level) {
    report.result = FileResult::Failed;
    report.reason = ReasonOf(error);
    if (plan.keepGoing) {
        return true;
    }
    if (level == ErrorLevel::HandOn) {
        throw error;
    }
    env.errorReport.Show(error);
    return false;
}

// An error outside the steps belongs to the run, which reports it under its own name.
constexpr ErrorFrame kRunFrame{"cmbOK_Click", ErrorLevel::Report};

// Where the written sheet lies; a footprint that cannot be made is none, never a failure.
std::optional<Footprint> QuietFootprint(Environment& env, const FileJob& job, const InputRead& read,
                                        const OutputSystem& system, const OutputWritten& written) {
    try {
        return FootprintOf(env, job, read, system, written,
                           MoveOrigin(read.georeference, job.plan.inputFormat, FileFormat::TAB));
    } catch (const Failure&) {
        return std::nullopt;
    }
}

// One file: read, check the target folder, move the origin, write. A refusal is shown; an
// unexpected error is reported as the frame of the step it left says (the run's own outside the
// steps). When the run keeps going nothing is shown and every failure is only noted. False
// ends the run.
bool ConvertFile(Environment& env, const RunPlan& plan, std::size_t file, RunOutcome& outcome) {
    FileReport& report = outcome.files[file];
    if (plan.existing == ExistingOutputs::Skip && !plan.existingOutputs[file].empty()) {
        report.result = FileResult::Skipped;
        report.reason = plan.existingOutputs[file];
        return true;
    }
    const FormatSteps& input = StepsOf(plan.inputFormat);
    const FormatSteps& output = StepsOf(plan.outputFormat);
    const FileJob job{plan, file, plan.InputPath(file)};
    const ErrorFrame* step = &kRunFrame;
    try {
        if (plan.outputFormat == FileFormat::GeoTIFF && plan.outputFolder == plan.inputFolder) {
            throw Refusal(MessageText(msg::SameFolders), MessageIcon::Information);
        }
        RequireOwnSystemWritable(plan, file);
        RequireInputOfItsFormat(job);
        step = &input.readFrame;
        const InputRead read = input.read(env, job);
        step = &kRunFrame;
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
        step = &kRunFrame;
        if (!written.withoutSystem.empty()) {
            outcome.withoutSystem.push_back(written.withoutSystem);
        }
        report.result = FileResult::Converted;
        report.footprint = QuietFootprint(env, job, read, system, written);
        return true;
    } catch (const Refusal& refusal) {
        return FileFailed(env, plan, report, refusal);
    } catch (...) {
        return FileFailed(env, plan, report, ErrorReport::CurrentAsRunTimeError(step->procedure),
                          step->level);
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
        question.ownSystemsCoverEveryImage &= system.stated || system.unreadable;
    }
    question.rememberedProjection = choices.rememberedProjection;
    question.noSystemOffered = plan.outputFormat == FileFormat::GeoTIFF;
    return question;
}

// The run stops before its first file because the user closed one of its dialogs.
bool CancelledBeforeFiles(RunOutcome& outcome) {
    outcome.cancelled = true;
    return false;
}

// Looks for outputs that exist before the run, when the rule needs to know, and settles what
// the run does with them. False ends the run: cancelled, or refused by --existing stop.
bool SettleExistingOutputs(Environment& env, ExistingOutputs rule, RunOutcome& outcome) {
    RunPlan& plan = outcome.plan;
    plan.existing = rule == ExistingOutputs::Replace ? rule : ExistingOutputs::AsBefore;
    if (rule == ExistingOutputs::AsBefore || rule == ExistingOutputs::Replace) {
        return true;
    }
    plan.existingOutputs.assign(plan.inputFiles.size(), "");
    std::vector<std::string> existing;
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        if (auto output = ExistingOutputOf(env, FileJob{plan, file, plan.InputPath(file)})) {
            plan.existingOutputs[file] = *output;
            existing.push_back(*output);
        }
    }
    if (existing.empty()) {
        return true;
    }
    if (rule == ExistingOutputs::Skip) {
        plan.existing = rule;
        return true;
    }
    if (rule == ExistingOutputs::Stop) {
        throw Refusal(MessageWithPath(msg::OutputFileExists, existing.front(), kCr));
    }
    switch (
        env.ui.AskAboutExistingOutputs(existing.size(), plan.inputFiles.size(), existing.front())) {
        case ExistingAnswer::ReplaceAll:
            plan.existing = ExistingOutputs::Replace;
            return true;
        case ExistingAnswer::SkipExisting:
            plan.existing = ExistingOutputs::Skip;
            return true;
        default:
            return CancelledBeforeFiles(outcome);
    }
}

// The checks and questions before the first file, which settle the run's plan (in
// outcome.plan, as far as they get). False ends the run; a refusal ends it with its message.
bool PrepareRun(Environment& env, const RunChoices& choices, RunOutcome& outcome) {
    RunPlan& plan = outcome.plan;
    const auto files = AddFiles(env, choices);
    if (!files) {
        return CancelledBeforeFiles(outcome);
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
        const ProjectionAnswer answer = UstalenieProjekcji(env, QuestionFor(plan, choices));
        if (answer.kind == ProjectionAnswer::Kind::Cancelled) {
            return CancelledBeforeFiles(outcome);
        }
        if (answer.kind == ProjectionAnswer::Kind::Failed) {
            return false;
        }
        plan.coordSysClause = answer.clause;
    }
    if (plan.outputFormat == FileFormat::GeoTIFF) {
        plan.outputFolder = WyszukiwanieKatalogu(
            env, MessageText(msg::SelectOutputDirectory),
            OutputPickerStart(env.fileSystem, choices.rememberedOutputFolder, plan.inputFolder));
        if (plan.outputFolder.empty()) {
            return CancelledBeforeFiles(outcome);
        }
        if (!env.fileSystem.FolderExists(plan.outputFolder)) {
            throw Refusal(MessageText(msg::OutputDirectoryMissing));
        }
    }
    plan.keepGoing = choices.keepGoing;
    return SettleExistingOutputs(env, choices.existing, outcome);
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
    for (const std::string& file : plan.inputFiles) {
        outcome.files.push_back({file, FileResult::NotReached, "", std::nullopt});
    }
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        outcome.stoppedAt = plan.inputFiles[file];
        if (!env.ui.ShowProgress({file + 1, plan.inputFiles.size(), outcome.stoppedAt})) {
            outcome.cancelled = true;
            return false;
        }
        const bool goOn = ConvertFile(env, plan, file, outcome);
        outcome.converted += outcome.files[file].result == FileResult::Converted ? 1 : 0;
        if (!goOn) {
            return false;
        }
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

}  // namespace marlo
