// Readers and writers that are still to come: each raises a run-time error naming itself.
#include "formats/geotiff/geotiff.h"
#include "formats/tab/projection_choice.h"
#include "formats/tab/tab_reader.h"
#include "formats/tab/tab_writer.h"

namespace marlo {

namespace {
[[noreturn]] void NotAvailable(const char* procedure) {
    throw RunTimeError(err::InvalidProcedureCall, std::string(procedure) + " is not available");
}
}  // namespace

void OdczytTAB(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "OdczytTAB", ErrorLevel::Report, [] { NotAvailable("OdczytTAB"); });
    form.conversionFailed = true;
}
void ZapisTAB(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "ZapisTAB", ErrorLevel::Report, [] { NotAvailable("ZapisTAB"); });
    form.conversionFailed = true;
}
std::string UstalenieProjekcji(ConversionContext& form) {
    RunProcedure(form.errorReport, "UstalenieProjekcji", ErrorLevel::Report,
                 [] { NotAvailable("UstalenieProjekcji"); });
    form.conversionFailed = true;
    return "error";
}
void OdczytGEO(ConversionContext& form, const std::string&) {
    RunProcedure(form.errorReport, "OdczytGEO", ErrorLevel::HandOn, [] { NotAvailable("OdczytGEO"); });
}
void ZapisGEO(ConversionContext& form, const std::string&, const std::string&, const std::string&) {
    RunProcedure(form.errorReport, "ZapisGEO", ErrorLevel::HandOn, [] { NotAvailable("ZapisGEO"); });
}
void GetTiffInfo(ConversionContext& form, const std::string&) {
    form.imageWidth = 0;
    form.imageHeight = 0;
}

}  // namespace marlo
