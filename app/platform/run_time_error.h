#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace marlo {

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

// An unexpected run-time error: number, source and description travel with it up the chain
// of procedures until one of them reports it.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(std::int32_t number, const std::string& description, std::string source = "Marlo")
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(description) {}

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// Raises run-time error 6 when an arithmetic result is not a finite number, so that no such
// value is ever written to a file.
double CheckedResult(double value);

}  // namespace marlo
