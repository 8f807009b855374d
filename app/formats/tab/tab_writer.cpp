// Still to come: raises a run-time error naming itself.
#include "formats/tab/tab_writer.h"

namespace marlo {

void ZapisTAB(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "ZapisTAB", ErrorLevel::Report, [] {
        throw RunTimeError(err::InvalidProcedureCall, "ZapisTAB is not available");
    });
    form.conversionFailed = true;
}

}  // namespace marlo
