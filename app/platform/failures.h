#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace marlo {

// Message texts break their lines as message boxes expect.
inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kCr = "\r";

// Message box icons, with the values the message box style uses.
enum class MessageIcon : std::int32_t { None = 0, Critical = 16, Information = 64 };

// The run-time error numbers the program raises.
namespace err {
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t DivisionByZero = 11;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t InputPastEndOfFile = 62;
constexpr std::int32_t PermissionDenied = 70;
constexpr std::int32_t PathFileAccessError = 75;
constexpr std::int32_t EntryPointNotFound = 453;
}  // namespace err

// Every way a procedure can fail: one hierarchy, so that a run catches a file's failure in one
// place whatever it was.
class Failure : public std::exception {};

// The expected failure of a step: the message box it shows before the file ends.
class Refusal : public Failure {
public:
    explicit Refusal(std::string messageText, MessageIcon messageIcon = MessageIcon::Critical,
                     std::string messageTitle = "")
        : text(std::move(messageText)), icon(messageIcon), title(std::move(messageTitle)) {}
    const char* what() const noexcept override { return text.c_str(); }

    std::string text;
    MessageIcon icon;
    std::string title;
    // What was read from the file that the message shows after its path ("" for nothing): a
    // file's reason in the summary quotes it.
    std::string read;
};

// An unexpected run-time error: number and description, and the procedures it has
// passed on its way up (the innermost last), which the error report lists.
class RunTimeError : public Failure {
public:
    RunTimeError(std::int32_t number, std::string description)
        : number_(number), description_(std::move(description)) {}
    const char* what() const noexcept override { return description_.c_str(); }

    std::int32_t number() const { return number_; }
    const std::string& description() const { return description_; }
    const std::vector<std::string>& frames() const { return frames_; }
    // Notes that the error left the procedure at `location` (called from the inside out).
    void AddFrame(std::string location) { frames_.insert(frames_.begin(), std::move(location)); }

private:
    std::int32_t number_;
    std::string description_;
    std::vector<std::string> frames_;
};

// What a procedure that reports its own unexpected errors gives back instead of showing them:
// the result it had when the error arose (its empty result), and the error with the frames it
// passed, for the caller to report before it goes on.
template <class T>
struct ReportedResult {
    T value{};
    std::optional<RunTimeError> error;
};

// The value of a checked procedure, or its error raised: for callers that hand errors on.
template <class T>
T ValueOrRaise(ReportedResult<T> result) {
    if (result.error) {
        throw std::move(*result.error);
    }
    return std::move(result.value);
}

// The run-time error a Windows program would have met where a file's system call failed with
// `error` (an errno value): 53, 70 or 75, naming `path`.
RunTimeError FileError(int error, const std::string& path);

// The unexpected errors that such procedures met while one file was converted, in the order
// met: the run reports each before whatever ends the file.
using ReportedErrors = std::vector<RunTimeError>;

// Raises run-time error 6 when an arithmetic result is not a finite number, so that no such
// value is ever written to a file.
double CheckedResult(double value);

}  // namespace marlo
