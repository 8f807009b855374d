#pragma once

#include <string>

namespace marlo {

// The user's regional settings as far as number text needs them.
class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    // The user's decimal sign, one character (UTF-8 encoded).
    virtual std::string DecimalSign() const = 0;
};

// Reads the decimal sign of the user's LC_NUMERIC locale without changing the process locale.
class SystemRegionalSettings final : public RegionalSettings {
public:
    std::string DecimalSign() const override;
};

// A fixed decimal sign, for tests and for callers that want to force one.
class FixedRegionalSettings final : public RegionalSettings {
public:
    explicit FixedRegionalSettings(std::string sign) : sign_(std::move(sign)) {}
    std::string DecimalSign() const override { return sign_; }

private:
    std::string sign_;
};

}  // namespace marlo
