#include "conversion/run_summary.h"

#include "platform/user_file.h"

#include <algorithm>
#include <string_view>

#include "conversion/file_steps.h"
#include "conversion/footprints.h"
#include "files/folder_checks.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"

namespace marlo {

namespace {

std::string CountText(const RunOutcome& outcome, FileResult result) {
    return std::to_string(CountOf(outcome, result));
}

// The byte order mark that tells a spreadsheet the file is UTF-8 (Polish letters included).
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One CSV field, quoted when it holds a comma, a quote or a line break. A field that a
// spreadsheet would take for a formula (=, +, -, @, or a tab or CR before one) starts with an
// apostrophe, which makes it text: a file named "=HYPERLINK(...).tfw" is only a name.
std::string CsvField(const std::string& text) {
    const bool formula =
        !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    const std::string field = formula ? "'" + text : text;
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        return field;
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

// A name or reason as the printed summary shows it: control characters as escapes ("\n",
// "\x1b"), so that a line break in a file name cannot start a line of its own.
std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            constexpr char kDigits[] = "0123456789abcdef";
            shown += std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
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

// Why the run stopped at its file, after the file's name: the file's reason, which names it
// no second time; "" when the run ended without a message.
std::string StopReason(const RunOutcome& outcome) {
    if (outcome.reason.empty()) {
        return {};
    }
    const auto stopped = std::find_if(
        outcome.files.begin(), outcome.files.end(), [&outcome](const FileReport& file) {
            return file.file == outcome.stoppedAt && file.result == FileResult::Failed;
        });
    return ": " + (stopped != outcome.files.end() ? stopped->reason : OnOneLine(outcome.reason));
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

std::string ResultText(const Texts& texts, FileResult result) {
    switch (result) {
        case FileResult::Converted:
            return texts.Caption(caption::Converted);
        case FileResult::Skipped:
            return texts.Caption(caption::Skipped);
        case FileResult::Failed:
            return texts.Caption(caption::Failed);
        default:
            return texts.Caption(caption::NotReached);
    }
}

std::string WithoutSystemText(const Texts& texts, const RunOutcome& outcome) {
    if (outcome.withoutSystem.empty()) {
        return {};
    }
    std::string files;
    for (const std::string& file : outcome.withoutSystem) {
        files += (files.empty() ? "" : ", ") + file;
    }
    return texts.CaptionWith(caption::WithoutSystem, {files});
}

std::string RunStatusText(const Texts& texts, const RunOutcome& outcome) {
    if (outcome.cancelled && outcome.stoppedAt.empty()) {
        return texts.Caption(caption::Cancelled);
    }
    if (outcome.total == 0) {
        // No files were chosen: the message, if one was shown, says why.
        return OnOneLine(outcome.reason);
    }
    std::string counts =
        texts.CaptionWith(caption::FilesConverted,
                          {std::to_string(outcome.converted), std::to_string(outcome.total)});
    for (const FileResult result : {FileResult::Skipped, FileResult::Failed}) {
        // A failure the run stopped at is named below with its message.
        const std::size_t count = CountOf(outcome, result);
        if (count > 0 && (result == FileResult::Skipped || outcome.plan.keepGoing)) {
            counts += "; " + texts.CaptionWith(result == FileResult::Skipped ? caption::SkippedCount
                                                                             : caption::FailedCount,
                                               {std::to_string(count)});
        }
    }
    std::vector<std::string> facts{counts};
    if (!outcome.stoppedAt.empty()) {
        facts.push_back(
            texts.Caption(outcome.cancelled ? caption::CancelledBefore : caption::StoppedAt) + " " +
            outcome.stoppedAt + StopReason(outcome));
    } else if (!outcome.reason.empty()) {
        facts.push_back(OnOneLine(outcome.reason));
    }
    if (outcome.converted > 0) {
        facts.push_back(texts.CaptionWith(caption::OutputsIn, {outcome.plan.OutputFolder()}));
    }
    const Outliers outliers = FindOutliers(outcome);
    for (const auto& [count, number] :
         {std::pair{outliers.farAway.size(), caption::FarFromRest},
          std::pair{outliers.overlapping.size(), caption::Overlapping}}) {
        if (count > 0) {
            facts.push_back(texts.CaptionCounting(number, count));
        }
    }
    if (const std::string note = WithoutSystemText(texts, outcome); !note.empty()) {
        facts.push_back(note);
    }
    std::string text;
    for (const std::string& fact : facts) {
        text += (text.empty() ? "" : "\n") + fact;
    }
    return text;
}

std::string SummaryText(const Texts& texts, const RunOutcome& outcome) {
    std::string text =
        texts.CaptionWith(
            caption::SummaryCounts,
            {CountText(outcome, FileResult::Converted), CountText(outcome, FileResult::Skipped),
             CountText(outcome, FileResult::Failed), CountText(outcome, FileResult::NotReached)}) +
        "\n";
    if (outcome.converted > 0) {
        text +=
            texts.CaptionWith(caption::OutputsIn, {Printable(outcome.plan.OutputFolder())}) + "\n";
    }
    if (CountOf(outcome, FileResult::Failed) > 0) {
        text += texts.Caption(caption::FailedFiles) + "\n";
        for (const FileReport& file : outcome.files) {
            if (file.result == FileResult::Failed) {
                text += Printable(file.file) + ": " + Printable(file.reason) + "\n";
            }
        }
    }
    return text;
}

void RequireReplaceableRunFile(const Texts& texts, const FileSystemService& files,
                               const RunPlan& plan, const std::string& path, const char* start) {
    RequireApartFromRunFiles(texts, plan, path);
    if (!files.FileExists(path) && !files.FolderExists(path)) {
        return;
    }
    if (files.FolderExists(path)) {
        throw UnableToUpdate(texts, path);
    }
    if ((files.FileAttributes(path) & attr::ReadOnly) != 0) {
        throw Refusal(texts.MessageWithPath(msg::FileIsReadOnly, path));
    }
    std::string first = UserFile(path).Head(64);
    if (first.rfind(kUtf8Mark, 0) == 0) {
        first.erase(0, std::string(kUtf8Mark).size());
    }
    if (first.rfind(start, 0) != 0) {
        throw Refusal(texts.MessageWithPath(msg::NotARunFile, path));
    }
}

void WriteRunFile(const Texts& texts, const FileSystemService& files, const RunOutcome& outcome,
                  const std::string& path, const std::string& bytes, const char* start) {
    RequireReplaceableRunFile(texts, files, outcome.plan, path, start);
    WriteOutputBytes(texts, files, path, bytes);
}

std::string SummaryCsv(const RunOutcome& outcome) {
    std::string csv = std::string(kUtf8Mark) + "file,result,reason\r\n";
    for (const FileReport& file : outcome.files) {
        csv += CsvField(file.file) + "," + CsvResult(file.result) + "," + CsvField(file.reason) +
               "\r\n";
    }
    return csv;
}

}  // namespace marlo
