#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/run_time_error.h"

namespace marlo {

// Where a finished error report is shown; the program goes on afterwards.
class ErrorReportViewer {
public:
    virtual ~ErrorReportViewer() = default;
    virtual void ShowErrorReport(const std::string& report) = 0;
};

// "Line : <n>", or "" for line 0 (no line numbers).
std::string ErrorLineText(std::int32_t line);

// "<procedure> Kestrin <ErrorLineText(line)>"
std::string ErrorLocation(std::string_view procedure, std::int32_t line = 0);

// Whether a procedure hands an unexpected error on to its caller or reports it itself.
enum class ErrorLevel { HandOn, Report };

// Collects the chain of procedures an unexpected error passes and shows it once.
class ErrorReport {
public:
    explicit ErrorReport(ErrorReportViewer& viewer) : viewer_(viewer) {}

    // Hands the error on (throws RunTimeError with this location added) when isTopLevel is
    // false; shows the finished report when it is true.
    void ReportError(bool isTopLevel, const std::string& location, std::int32_t number,
                     const std::string& source, const std::string& description);

    // Called from inside a catch block: turns the exception in flight into a call of
    // ReportError for the named procedure.
    void HandleCurrentException(std::string_view procedure, ErrorLevel level);

    bool callStackStarted = false;

private:
    ErrorReportViewer& viewer_;
};

// Runs the body of a procedure under its error handler: an exception that leaves the body is
// handed on or reported as `level` says. Returns false when the body did not finish.
template <class Body>
bool RunProcedure(ErrorReport& report, std::string_view procedure, ErrorLevel level, Body&& body) {
    try {
        body();
        return true;
    } catch (...) {
        report.HandleCurrentException(procedure, level);
        return false;
    }
}

}  // namespace marlo
