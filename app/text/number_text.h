#pragma once

#include <string>

#include "platform/regional_settings.h"

namespace marlo {

struct ConversionContext;

// Replaces the first, or every, occurrence of psFindMeString. Every search starts again at the
// beginning of the text, so occurrences that a replacement creates are replaced too.
std::string ReplaceString(ConversionContext& form, const std::string& psOriginalString,
                          const std::string& psFindMeString, const std::string& psNewString,
                          bool pbReplaceAllFlag, bool pbCaseSensitive);
// The user's decimal sign.
std::string CheckNumericSep(ConversionContext& form);
// Number text from a file, made fit for the user's decimal sign; "error" when that sign is
// neither "." nor "," (after message 22, with conversionFailed set).
std::string GenNumericValue(ConversionContext& form, const std::string& Value);
// Number text made fit for a file: every "," becomes ".".
std::string GenStringVithDots(ConversionContext& form, const std::string& Value);

// The platform's double-to-text conversion under the user's settings: at most 15 significant
// digits, no grouping, no trailing zeros, exponent form ("1E+15", "1.5E-07") for very large
// and very small magnitudes.
std::string NumberText(double value, const RegionalSettings& regional);
// The numeric test under the user's settings: blanks around, an optional sign, digits with at
// most one decimal sign (the user's), an optional exponent.
bool IsNumeric(const std::string& text, const RegionalSettings& regional);
// Converts text that passes IsNumeric; raises run-time error 13 for any other text and 6 for a
// value out of the double range.
double ToDouble(const std::string& text, const RegionalSettings& regional);

}  // namespace marlo
