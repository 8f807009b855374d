// Still to come: raises a run-time error naming itself.
#include "formats/tab/projection_choice.h"

namespace marlo {

std::string UstalenieProjekcji(ConversionContext& form) {
    RunProcedure(form.errorReport, "UstalenieProjekcji", ErrorLevel::Report, [] {
        throw RunTimeError(err::InvalidProcedureCall, "UstalenieProjekcji is not available");
    });
    form.conversionFailed = true;
    return "error";
}

}  // namespace marlo
