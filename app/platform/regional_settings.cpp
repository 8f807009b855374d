#include "platform/regional_settings.h"

#include <langinfo.h>
#include <locale.h>
#include <clocale>

namespace marlo {

std::string SystemRegionalSettings::DecimalSign() const {
    // A locale object of its own keeps the process-wide locale (and so every stream and
    // printf in the program) untouched.
    locale_t userLocale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (userLocale == static_cast<locale_t>(0)) {
        return ".";
    }
    const char* sign = nl_langinfo_l(RADIXCHAR, userLocale);
    std::string result = (sign != nullptr && *sign != '\0') ? sign : ".";
    freelocale(userLocale);
    return result;
}

}  // namespace marlo
