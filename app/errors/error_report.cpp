#include "errors/error_report.h"

#include <filesystem>
#include <new>

namespace marlo {

namespace {
constexpr const char* kModuleName = "Kestrin";

// Any exception as a run-time error: its number, source, description and frames so far.
RunTimeError CurrentException() {
    try {
        throw;
    } catch (const RunTimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return {err::OutOfMemory, "Out of memory"};
    } catch (const std::filesystem::filesystem_error& e) {
        return {err::PathFileAccessError, e.what()};
    } catch (const std::exception& e) {
        return {err::InvalidProcedureCall, e.what()};
    } catch (...) {
        return {err::InvalidProcedureCall, "Unknown error"};
    }
}
}  // namespace

std::string ErrorLocation(std::string_view procedure) {
    return std::string(procedure) + " " + kModuleName + " ";
}

std::string ErrorReportText(const RunTimeError& error) {
    std::string report =
        std::string("Record Call Stack Sequence - Bottom line is error line.") + kCrLf + kCrLf;
    for (const std::string& frame : error.frames()) {
        report += "\t" + frame + kCrLf;
    }
    report += std::string(kCrLf) + "Error Number " + kCrLf + "\t" + std::to_string(error.number()) +
              kCrLf + "Description" + kCrLf + "\t" + error.description() + kCrLf + kCrLf;
    return report;
}

void ErrorReport::Show(const RunTimeError& error) {
    viewer_->ShowErrorReport(ErrorReportText(error));
}

RunTimeError ErrorReport::CurrentAsRunTimeError(std::string_view procedure) {
    RunTimeError error = CurrentException();
    error.AddFrame(ErrorLocation(procedure));
    return error;
}

void ErrorReport::HandleCurrentException(std::string_view procedure, ErrorLevel level) {
    RunTimeError error = CurrentAsRunTimeError(procedure);
    if (level == ErrorLevel::HandOn) {
        throw error;
    }
    Show(error);
}

}  // namespace marlo
