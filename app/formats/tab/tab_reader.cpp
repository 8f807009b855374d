// Still to come: raises a run-time error naming itself.
#include "formats/tab/tab_reader.h"

namespace marlo {

void OdczytTAB(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "OdczytTAB", ErrorLevel::Report, [] {
        throw RunTimeError(err::InvalidProcedureCall, "OdczytTAB is not available");
    });
    form.conversionFailed = true;
}

}  // namespace marlo
