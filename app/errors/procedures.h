#pragma once

#include <string_view>

namespace marlo {

// The procedures an error report names, as the reports have always spelled them: users and
// support staff read them, so the spelling is data, kept in one table, and never follows the
// names of the functions that run them.
enum class Procedure {
    FormLoad,
    RefreshLanguage,
    SwitchToPolish,
    SwitchToEnglish,
    ClickGeoTiffInput,
    ClickTableInput,
    ClickWorldFileInput,
    ClickOutput,
    OpenAbout,
    OpenWebPage,
    Convert,
    SetKeepGoing,
    SaveSummaryCsv,
    SaveFootprints,
    OpenOutputFolder,
    ChooseFiles,
    ChooseFolder,
    AddFiles,
    AskForFolder,
    ChooseProjection,
    GetTiffInfo,
    CanWriteInFolder,
    CanEditFile,
    SetAttributesArchive,
    ReadGeoTiff,
    WriteGeoTiff,
    ReadTable,
    WriteTable,
    ReadWorldFile,
    WriteWorldFile,
};

// The procedure's name in an error report ("cmbOK_Click" for Convert, say).
std::string_view ProcedureName(Procedure procedure);

}  // namespace marlo
