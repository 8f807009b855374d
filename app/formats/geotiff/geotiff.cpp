// Still to come: raises a run-time error naming itself.
#include "formats/geotiff/geotiff.h"

namespace marlo {

void OdczytGEO(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "OdczytGEO", ErrorLevel::HandOn, [] {
        throw RunTimeError(err::InvalidProcedureCall, "OdczytGEO is not available");
    });
}

void ZapisGEO(ConversionContext& form, const std::string&, const std::string&, const std::string&) {
    RunProcedure(form.errorReport, "ZapisGEO", ErrorLevel::HandOn, [] {
        throw RunTimeError(err::InvalidProcedureCall, "ZapisGEO is not available");
    });
}

void GetTiffInfo(ConversionContext& form, const std::string&) {
    form.imageWidth = 0;
    form.imageHeight = 0;
}

}  // namespace marlo
