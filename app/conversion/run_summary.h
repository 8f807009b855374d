#pragma once

#include <cstddef>
#include <string>

#include "conversion/run_plan.h"
#include "platform/file_system.h"

namespace marlo {

// How many files of a run ended so; files the run never reached count as NotReached.
std::size_t CountOf(const RunOutcome& outcome, FileResult result);

// The main window's status line after a run, one fact a line: "12 of 20 converted; failed: 1",
// "stopped at b.tfw: ...", "outputs in ...", the outliers; "Cancelled" for a run the user
// ended in one of its dialogs.
std::string RunStatusText(const Texts& texts, const RunOutcome& outcome);
// The files whose outputs went without their input's coordinate system; "" when none did.
std::string WithoutSystemText(const Texts& texts, const RunOutcome& outcome);

// The summary of a run that reached its files, as the summary window's Copy and the command
// line give it: the counts, where the outputs went, and every failed file with its reason;
// control characters in names and reasons shown as escapes, one file a line whatever its name.
std::string SummaryText(const Texts& texts, const RunOutcome& outcome);
// Every file of the run as CSV (RFC 4180, UTF-8 after a byte order mark): file, result,
// reason. The results are the words "converted", "skipped", "failed" and "not reached" in
// either language, for scripts. A field that begins like a formula is kept text by a leading
// apostrophe.
std::string SummaryCsv(const RunOutcome& outcome);
// How a file of a run's summary begins (after a UTF-8 mark), by which a file written earlier
// for the same purpose is known.
inline constexpr const char* kSummaryCsvStart = "file,result,reason";
inline constexpr const char* kFootprintsStart = "{\"type\":\"FeatureCollection\"";
// Refuses, before anything is written, a path for a file of a run's summary that is an input
// or an output of the run (messages 35, 46), a read-only file (message 29), or an existing file
// that does not begin as such a file does (message 47): nothing the user did not mean is
// replaced.
void RequireReplaceableRunFile(const Texts& texts, const FileSystemService& files,
                               const RunPlan& plan, const std::string& path, const char* start);
// Writes a file of a run's summary whole, after RequireReplaceableRunFile.
void WriteRunFile(const Texts& texts, const FileSystemService& files, const RunOutcome& outcome,
                  const std::string& path, const std::string& bytes, const char* start);
// A result in the interface language, for the summary's list.
std::string ResultText(const Texts& texts, FileResult result);

}  // namespace marlo
