#pragma once

#include <string>

#include "platform/failures.h"
#include "platform/regional_settings.h"

namespace marlo {

// Replaces the first, or every, occurrence of sought. Every search starts again at the
// beginning of the text, so occurrences that a replacement creates are replaced too.
std::string ReplaceString(const std::string& text, const std::string& sought,
                          const std::string& replacement, bool replaceAll, bool caseSensitive);
// Number text made fit for a file: every "," becomes ".".
std::string WithDecimalPoints(const std::string& value);

// Numbers in files always have "." as their decimal sign, whatever the user's: the user's sign
// is for text the user types. These settings read and write them.
const RegionalSettings& FileNumberSettings();
// A number as files hold it; run-time error 6 for one whose text would not read back.
std::string FileNumberText(double value);
// Number text from a file made fit for FileNumberSettings(): a "," (as some files have it)
// becomes ".".
std::string FromFileNumberText(const std::string& text);

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
