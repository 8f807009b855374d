#include "conversion/conversion.h"

#include <sstream>

#include "conversion/file_steps.h"
#include "conversion/footprints.h"
#include "conversion/input_systems.h"
#include "files/folder_checks.h"
#include "platform/entry_probes.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"
#include "values/paths.h"

namespace marlo {

namespace {

// An error outside the steps belongs to the run, which reports it under its own name.
constexpr ErrorFrame kRunFrame{Procedure::Convert, ErrorLevel::Report};

RunMessage MessageOf(const Refusal& refusal) {
    return {RunMessage::Kind::Box, refusal.text, refusal.icon, refusal.title};
}

RunMessage ReportOf(const RunTimeError& error) {
    return {RunMessage::Kind::ErrorReport, ErrorReportText(error), MessageIcon::Critical, ""};
}

// An input is converted only when its bytes are of its format: a TIFF for GeoTIFF input,
// text for tables and world files (a TIFF named .tab is never read as one).
void RequireInputOfItsFormat(const Texts& texts, const FileJob& job) {
    RequireContent(
        texts, job.inputPath,
        job.plan.inputFormat == FileFormat::GeoTIFF ? ContentKind::Tiff : ContentKind::Text);
}

// GeoTIFF copies may not go into the folder their input lies in, under any of its names.
void RequireOutputFolderApart(const Texts& texts, const RunPlan& plan, std::size_t file) {
    if (plan.CopiesImages() && SameEntry(plan.OutputFolderOf(file), plan.InputFolderOf(file))) {
        throw Refusal(texts.Message(msg::SameFolders), MessageIcon::Information);
    }
}

// The folder that must be writable before the writer runs: the file's output folder for
// GeoTIFF output (made when it mirrors a subfolder of the inputs), its input's folder
// otherwise.
void RequireWritableFolder(Environment& env, const FileJob& job) {
    const RunPlan& plan = job.plan;
    const std::string folder = plan.OutputFolderOf(job.file);
    if (plan.CopiesImages() && folder != plan.outputFolder) {
        env.fileSystem.MakeFolders(folder);
    }
    if (!Noted(job, CanWriteInFolder(env.fileSystem, folder))) {
        throw Refusal(env.texts.MessageWithPath(msg::UnableToWriteToOutputFolder, folder));
    }
}

// Why a file failed, on one line: the message it showed, or the unexpected error.
std::string ReasonOf(const RunTimeError& error) {
    return "Error Number " + std::to_string(error.number()) + ": " + error.description();
}

// Why a file failed, on one line, beside the file's name: its message without the file's own
// path, and what was read from the file in quotes, so that it cannot run into the message.
std::string ReasonOf(const Refusal& refusal, const std::string& inputPath) {
    std::string reason;
    std::istringstream lines(WithLineFeeds(refusal.text));
    for (std::string line; std::getline(lines, line);) {
        if (!refusal.read.empty() && line == refusal.read) {
            line = '"' + line + '"';
        } else if (line.ends_with(inputPath)) {
            line.erase(line.size() - inputPath.size());
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        if (!line.empty()) {
            reason += (reason.empty() ? "" : " ") + line;
        }
    }
    return reason.empty() ? OnOneLine(refusal.text) : reason;
}

// Notes a file's failure; a run that does not keep going ends with its message, or with the
// error report of the step the error left (the run's own for a step that hands errors on).
bool FileFailed(const RunPlan& plan, RunOutcome& outcome, FileReport& report,
                const Refusal& refusal, const std::string& inputPath) {
    report.result = FileResult::Failed;
    report.reason = ReasonOf(refusal, inputPath);
    if (!plan.keepGoing) {
        outcome.messages.push_back(MessageOf(refusal));
    }
    return plan.keepGoing;
}

bool FileFailed(const RunPlan& plan, RunOutcome& outcome, FileReport& report, RunTimeError error,
                ErrorLevel level) {
    report.result = FileResult::Failed;
    report.reason = ReasonOf(error);
    if (plan.keepGoing) {
        return true;
    }
    if (level == ErrorLevel::HandOn) {
        error.AddFrame(ErrorLocation(ProcedureName(kRunFrame.procedure)));
    }
    outcome.messages.push_back(ReportOf(error));
    return false;
}

// Once its output is written (or kept), a file's result is settled: what fails after it (the
// footprint of its sheet, which is extra) leaves the file without one, never failed.
bool ResultSettled(const FileReport& report) {
    return report.result == FileResult::Converted || report.result == FileResult::Skipped;
}

// Two inputs of a run that would write one output: the later one fails, the earlier's stays.
void RequireOutputOfItsOwn(const Texts& texts, const RunPlan& plan, std::size_t file) {
    if (file < plan.outputsTaken.size() && !plan.outputsTaken[file].empty()) {
        throw Refusal(texts.MessageWithPath(msg::WouldReplaceAnOutput, plan.outputsTaken[file]));
    }
}

// A skipped file keeps the output it has, and its sheet is drawn from that output.
bool SkippedAsExisting(Environment& env, const FileJob& job, FileReport& report) {
    const RunPlan& plan = job.plan;
    if (plan.existing != ExistingOutputs::Skip || plan.existingOutputs.at(job.file).empty()) {
        return false;
    }
    report.result = FileResult::Skipped;
    report.reason = plan.existingOutputs[job.file];
    report.footprint = KeptFootprintOf(env, job, report.reason);
    return true;
}

// One file: read, check the target folder, move the origin, write. A failure is noted, and
// ends the run with its message unless the run keeps going. False ends the run. The one place
// where a file's failure is caught, whatever step it left.
bool ConvertFileSteps(Environment& env, const FileJob& job, RunOutcome& outcome) {
    const RunPlan& plan = job.plan;
    const std::size_t file = job.file;
    FileReport& report = outcome.files[file];
    const FormatSteps& input = StepsOf(plan.inputFormat);
    const FormatSteps& output = StepsOf(plan.outputFormat);
    const ErrorFrame* step = &kRunFrame;
    try {
        RequireOutputFolderApart(env.texts, plan, file);
        if (SkippedAsExisting(env, job, report)) {
            return true;
        }
        RequireOutputOfItsOwn(env.texts, plan, file);
        RequireOwnSystemWritable(env.texts, plan, file);
        RequireInputOfItsFormat(env.texts, job);
        step = &input.readFrame;
        const InputRead& read = PlannedReadOf(job);
        step = &kRunFrame;
        RequireWritableFolder(env, job);
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
        report.footprint =
            FootprintOf(env, job, read, system, written,
                        MoveOrigin(read.georeference, plan.inputFormat, FileFormat::TAB));
        return true;
    } catch (const Refusal& refusal) {
        return ResultSettled(report) || FileFailed(plan, outcome, report, refusal, job.inputPath);
    } catch (...) {
        return ResultSettled(report) ||
               FileFailed(plan, outcome, report,
                          ErrorReport::CurrentAsRunTimeError(ProcedureName(step->procedure)),
                          step->level);
    }
}

// One file, with the reports of the steps that went on after an error shown before whatever
// ended the file.
bool ConvertFile(Environment& env, const RunPlan& plan, std::size_t file, RunOutcome& outcome) {
    const std::size_t messagesBefore = outcome.messages.size();
    const FileJob job{plan, file, plan.InputPath(file), {}};
    const bool goOn = ConvertFileSteps(env, job, outcome);
    std::vector<RunMessage> reports;
    for (const RunTimeError& error : job.reported) {
        reports.push_back(ReportOf(error));
    }
    outcome.messages.insert(outcome.messages.begin() + static_cast<std::ptrdiff_t>(messagesBefore),
                            reports.begin(), reports.end());
    return goOn;
}

// Converts the files in order until one ends the run or the progress says stop.
bool ConvertAll(Environment& env, const RunPlan& plan, ConversionProgress& progress,
                RunOutcome& outcome) {
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        outcome.stoppedAt = plan.inputFiles[file];
        if (!progress.BeforeFile({file + 1, plan.inputFiles.size(), outcome.stoppedAt})) {
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

}  // namespace

RunOutcome Convert(Environment& env, const RunPlan& plan, ConversionProgress& progress) {
    RunOutcome outcome;
    outcome.plan = plan;
    outcome.total = plan.inputFiles.size();
    for (const std::string& file : plan.inputFiles) {
        outcome.files.push_back({file, FileResult::NotReached, "", std::nullopt});
    }
    // A run's look-ups of names in folders are its own: a file added since the last run is seen.
    env.fileSystem.ForgetLookups();
    outcome.done = ConvertAll(env, plan, progress, outcome);
    if (outcome.done) {
        outcome.messages.push_back(
            {RunMessage::Kind::Box, env.texts.Message(msg::Done), MessageIcon::Information, ""});
    } else if (!outcome.messages.empty() && outcome.messages.back().kind == RunMessage::Kind::Box) {
        outcome.reason = outcome.messages.back().text;
    }
    return outcome;
}

}  // namespace marlo
