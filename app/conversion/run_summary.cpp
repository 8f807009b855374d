#include "conversion/run_summary.h"

#include <algorithm>

#include "conversion/footprints.h"
#include "state/folder_checks.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"

namespace marlo {

namespace {

std::string CountText(const RunOutcome& outcome, FileResult result) {
    return std::to_string(CountOf(outcome, result));
}

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

const char* CsvResult(FileResult result) {
    switch (result) {
        case FileResult::Converted:
            return "converted";
        case FileResult::Skipped:
            return "skipped";
        case FileResult::Failed:
            return "failed";
        default:
            return "not reached";
    }
}

}  // namespace

std::size_t CountOf(const RunOutcome& outcome, FileResult result) {
    const auto reported = static_cast<std::size_t>(
        std::count_if(outcome.files.begin(), outcome.files.end(),
                      [result](const FileReport& file) { return file.result == result; }));
    if (result != FileResult::NotReached) {
        return reported;
    }
    return reported + (outcome.total - std::min(outcome.total, outcome.files.size()));
}

std::string ResultText(FileResult result) {
    switch (result) {
        case FileResult::Converted:
            return CaptionText(caption::Converted);
        case FileResult::Skipped:
            return CaptionText(caption::Skipped);
        case FileResult::Failed:
            return CaptionText(caption::Failed);
        default:
            return CaptionText(caption::NotReached);
    }
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
    if (outcome.cancelled && outcome.stoppedAt.empty()) {
        return CaptionText(caption::Cancelled);
    }
    if (outcome.total == 0) {
        // No files were chosen: the message, if one was shown, says why.
        return OnOneLine(outcome.reason);
    }
    std::string text = CaptionWith(caption::FilesConverted, {std::to_string(outcome.converted),
                                                             std::to_string(outcome.total)});
    for (const FileResult result : {FileResult::Skipped, FileResult::Failed}) {
        // A failure the run stopped at is named below with its message.
        const std::size_t count = CountOf(outcome, result);
        if (count > 0 && (result == FileResult::Skipped || outcome.plan.keepGoing)) {
            text += "; " + CaptionWith(result == FileResult::Skipped ? caption::SkippedCount
                                                                     : caption::FailedCount,
                                       {std::to_string(count)});
        }
    }
    if (!outcome.stoppedAt.empty()) {
        text += "; " +
                CaptionText(outcome.cancelled ? caption::CancelledBefore : caption::StoppedAt) +
                " " + outcome.stoppedAt;
    }
    if (!outcome.reason.empty()) {
        // A message box's lines, and the path it names, on one line.
        text += (outcome.stoppedAt.empty() ? "; " : ": ") + OnOneLine(outcome.reason);
    }
    if (outcome.converted > 0) {
        text += "; " + CaptionWith(caption::OutputsIn, {outcome.plan.OutputFolder()});
    }
    const Outliers outliers = FindOutliers(outcome);
    for (const auto& [count, number] :
         {std::pair{outliers.farAway.size(), caption::FarFromRest},
          std::pair{outliers.overlapping.size(), caption::Overlapping}}) {
        if (count > 0) {
            text += "; " + CaptionCounting(number, count);
        }
    }
    if (const std::string note = WithoutSystemText(outcome); !note.empty()) {
        text += "; " + note;
    }
    return text;
}

std::string SummaryText(const RunOutcome& outcome) {
    std::string text =
        CaptionWith(
            caption::SummaryCounts,
            {CountText(outcome, FileResult::Converted), CountText(outcome, FileResult::Skipped),
             CountText(outcome, FileResult::Failed), CountText(outcome, FileResult::NotReached)}) +
        "\n";
    if (outcome.converted > 0) {
        text += CaptionWith(caption::OutputsIn, {outcome.plan.OutputFolder()}) + "\n";
    }
    if (CountOf(outcome, FileResult::Failed) > 0) {
        text += CaptionText(caption::FailedFiles) + "\n";
        for (const FileReport& file : outcome.files) {
            if (file.result == FileResult::Failed) {
                text += file.file + ": " + file.reason + "\n";
            }
        }
    }
    return text;
}

void WriteRunFile(const FileSystemService& files, const RunOutcome& outcome,
                  const std::string& path, const std::string& bytes) {
    RequireNotAnInput(outcome.plan.inputs, path);
    WriteOutputBytes(files, path, bytes);
}

std::string SummaryCsv(const RunOutcome& outcome) {
    std::string csv = "file,result,reason\r\n";
    for (const FileReport& file : outcome.files) {
        csv += CsvField(file.file) + "," + CsvResult(file.result) + "," + CsvField(file.reason) +
               "\r\n";
    }
    return csv;
}

}  // namespace marlo
