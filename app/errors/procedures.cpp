#include "errors/procedures.h"

#include <array>
#include <utility>

namespace marlo {

namespace {

constexpr std::array<std::pair<Procedure, std::string_view>, 30> kNames = {{
    {Procedure::FormLoad, "Form_Load"},
    {Procedure::RefreshLanguage, "RefreshLanguageForm"},
    {Procedure::SwitchToPolish, "cmdPL_Click"},
    {Procedure::SwitchToEnglish, "cmdEN_Click"},
    {Procedure::ClickGeoTiffInput, "optGEOin_Click"},
    {Procedure::ClickTableInput, "optTABin_Click"},
    {Procedure::ClickWorldFileInput, "optTFWin_Click"},
    {Procedure::ClickOutput, "ClickOutput"},
    {Procedure::OpenAbout, "cmdExit_Click"},
    {Procedure::OpenWebPage, "lblAbout_Click"},
    {Procedure::Convert, "cmbOK_Click"},
    {Procedure::SetKeepGoing, "chkKeepGoing_Click"},
    {Procedure::SaveSummaryCsv, "SaveSummaryCsv"},
    {Procedure::SaveFootprints, "SaveFootprints"},
    {Procedure::OpenOutputFolder, "OpenOutputFolder"},
    {Procedure::ChooseFiles, "ChooseFiles"},
    {Procedure::ChooseFolder, "ChooseFolder"},
    {Procedure::AddFiles, "AddFiles"},
    {Procedure::AskForFolder, "WyszukiwanieKatalogu"},
    {Procedure::ChooseProjection, "UstalenieProjekcji"},
    {Procedure::GetTiffInfo, "GetTiffInfo"},
    {Procedure::CanWriteInFolder, "CanWriteInFolder"},
    {Procedure::CanEditFile, "CanEditFile"},
    {Procedure::SetAttributesArchive, "SetAttributesArchive"},
    {Procedure::ReadGeoTiff, "OdczytGEO"},
    {Procedure::WriteGeoTiff, "ZapisGEO"},
    {Procedure::ReadTable, "OdczytTAB"},
    {Procedure::WriteTable, "ZapisTAB"},
    {Procedure::ReadWorldFile, "OdczytTFW"},
    {Procedure::WriteWorldFile, "ZapisTFW"},
}};

// Every procedure has its row, in the order of the enumeration.
constexpr bool RowsInOrder() {
    for (std::size_t row = 0; row < kNames.size(); ++row) {
        if (static_cast<std::size_t>(kNames[row].first) != row) {
            return false;
        }
    }
    return static_cast<std::size_t>(Procedure::WriteWorldFile) + 1 == kNames.size();
}
static_assert(RowsInOrder());

}  // namespace

std::string_view ProcedureName(Procedure procedure) {
    return kNames[static_cast<std::size_t>(procedure)].second;
}

}  // namespace marlo
