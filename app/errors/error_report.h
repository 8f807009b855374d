#pragma once

#include <string>
#include <string_view>

#include "errors/procedures.h"
#include "platform/failures.h"

namespace marlo {

// Where a finished error report is shown; the program goes on afterwards.
class ErrorReportViewer {
public:
    virtual ~ErrorReportViewer() = default;
    virtual void ShowErrorReport(const std::string& report) = 0;
};

// "<procedure> Kestrin ", as the report names the procedures an error passed.
std::string ErrorLocation(std::string_view procedure);

// Whether a procedure hands an unexpected error on to its caller or reports it itself.
enum class ErrorLevel { HandOn, Report };

// The report of an unexpected error: the chain of procedures it passed, its number and its
// description.
std::string ErrorReportText(const RunTimeError& error);

// Shows an unexpected error once, with the chain of procedures it passed.
class ErrorReport {
public:
    explicit ErrorReport(ErrorReportViewer& viewer) : viewer_(&viewer) {}

    // Shows the report of an error whose outermost procedure has been noted.
    void Show(const RunTimeError& error);
    // Shows a report made earlier.
    void ShowText(const std::string& report) { viewer_->ShowErrorReport(report); }

    // Called from inside a catch block: the exception in flight, as a run-time error that has
    // left `procedure`. A refusal is not an error: it goes on unchanged.
    static RunTimeError CurrentAsRunTimeError(std::string_view procedure);

    // Called from inside a catch block: hands the exception in flight on with `procedure`
    // noted, or shows it, as `level` says.
    void HandleCurrentException(std::string_view procedure, ErrorLevel level);

private:
    ErrorReportViewer* viewer_;
};

// Runs the body of a procedure under its error handler: an unexpected error that leaves the
// body is handed on or reported as `level` says; a refusal goes on to whoever shows it.
// Returns false when the body did not finish.
template <class Body>
bool RunProcedure(ErrorReport& report, Procedure procedure, ErrorLevel level, Body&& body) {
    try {
        body();
        return true;
    } catch (const Refusal&) {
        throw;
    } catch (...) {
        report.HandleCurrentException(ProcedureName(procedure), level);
        return false;
    }
}

// Runs the body of a procedure that hands its unexpected errors on: one that leaves the body
// goes on to the caller with `procedure` noted; a refusal goes on unchanged.
template <class Body>
auto RunHandingOn(Procedure procedure, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const Refusal&) {
        throw;
    } catch (...) {
        throw ErrorReport::CurrentAsRunTimeError(ProcedureName(procedure));
    }
}

// Runs the body of a procedure that reports its own unexpected errors and goes on: its result,
// or its empty result and the error with `procedure` noted, for the caller to report. A
// refusal goes on to whoever shows it.
template <class Body>
auto RunReporting(Procedure procedure, Body&& body) -> ReportedResult<decltype(body())> {
    try {
        return {body(), std::nullopt};
    } catch (const Refusal&) {
        throw;
    } catch (...) {
        return {{}, ErrorReport::CurrentAsRunTimeError(ProcedureName(procedure))};
    }
}

}  // namespace marlo
