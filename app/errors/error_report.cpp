#include "errors/error_report.h"

#include "platform/user_interaction.h"

#include <cmath>
#include <exception>
#include <filesystem>
#include <new>

namespace marlo {

namespace {
constexpr const char* kModuleName = "Kestrin";

struct ErrorFields {
    std::int32_t number;
    std::string source;
    std::string description;
};

// Gives any exception the number, source and description of a run-time error.
ErrorFields FieldsOfCurrentException() {
    try {
        throw;
    } catch (const RunTimeError& e) {
        return {e.number(), e.source(), e.description()};
    } catch (const std::bad_alloc&) {
        return {err::OutOfMemory, "Marlo", "Out of memory"};
    } catch (const std::filesystem::filesystem_error& e) {
        return {err::PathFileAccessError, "Marlo", e.what()};
    } catch (const std::exception& e) {
        return {err::InvalidProcedureCall, "Marlo", e.what()};
    } catch (...) {
        return {err::InvalidProcedureCall, "Marlo", "Unknown error"};
    }
}
}  // namespace

double CheckedResult(double value) {
    if (!std::isfinite(value)) {
        throw RunTimeError(err::Overflow, "Overflow");
    }
    return value;
}

std::string ErrorLineText(std::int32_t line) {
    return line == 0 ? std::string() : "Line : " + std::to_string(line);
}

std::string ErrorLocation(std::string_view procedure, std::int32_t line) {
    return std::string(procedure) + " " + kModuleName + " " + ErrorLineText(line);
}

void ErrorReport::ReportError(bool isTopLevel, const std::string& location, std::int32_t number,
                              const std::string& source, const std::string& description) {
    std::string text = description;
    if (!callStackStarted) {
        text = std::string(kCrLf) + "Error Number " + kCrLf + "\t" + std::to_string(number) +
               kCrLf + "Description" + kCrLf + "\t" + description + kCrLf + kCrLf;
    }
    if (!isTopLevel) {
        callStackStarted = true;
        throw RunTimeError(number, "\t" + location + kCrLf + text, source);
    }
    callStackStarted = false;
    viewer_.ShowErrorReport(std::string("Record Call Stack Sequence - Bottom line is error line.") +
                            kCrLf + kCrLf + "\t" + location + kCrLf + text);
}

void ErrorReport::HandleCurrentException(std::string_view procedure, ErrorLevel level) {
    const ErrorFields fields = FieldsOfCurrentException();
    ReportError(level == ErrorLevel::Report, ErrorLocation(procedure), fields.number, fields.source,
                fields.description);
}

}  // namespace marlo
