#include "presenters/main_window.h"

#include "conversion/conversion_run.h"
#include "state/format_options.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

// The format that takes over the output when the input takes its format away.
FileFormat NextInCycle(FileFormat format) {
    switch (format) {
        case format::GeoTIFF:
            return format::TAB;
        case format::TAB:
            return format::TFW;
        default:
            return format::GeoTIFF;
    }
}

constexpr FileFormat kFormats[] = {format::GeoTIFF, format::TAB, format::TFW};

}  // namespace

std::vector<CaptionAssignment> MainWindowCaptions() {
    return {
        {"Frame1", ControlText::Caption, CaptionText(7)},
        {"cmbOK", ControlText::Caption, CaptionText(4)},
        {"cmdExit", ControlText::Caption, CaptionText(5)},
        {"Frame2", ControlText::Caption, CaptionText(9)},
        {"cmbOK", ControlText::ToolTip, CaptionText(10)},
        {"cmdExit", ControlText::ToolTip, CaptionText(5)},
        {"lblAbout", ControlText::ToolTip, CaptionText(13)},
        {"lblLNG", ControlText::Caption, CaptionText(14)},
    };
}

void ClickInputOption(FormatOptions& options, FileFormat clicked) {
    for (FileFormat format : kFormats) {
        InputOption(options, format).selected = format == clicked;
        OutputOption(options, format).enabled = format != clicked;
    }
    OptionButton& disabled = OutputOption(options, clicked);
    if (disabled.selected) {
        disabled.selected = false;
        OutputOption(options, NextInCycle(clicked)).selected = true;
    }
}

void ClickOutputOption(FormatOptions& options, FileFormat clicked) {
    if (!OutputOption(options, clicked).enabled) {
        return;
    }
    for (FileFormat format : kFormats) {
        OutputOption(options, format).selected = format == clicked;
    }
}

void MainWindowProcedures::Form_Load() {
    RunProcedure(form_.errorReport, "Form_Load", ErrorLevel::Report, [&] {
        currentLanguage =
            settings_.ReadOr(kSettingsApplication, kSettingsSection, kLanguageKey, kEnglish);
        RefreshLanguageForm();
        form_.options.optGEOin.enabled = true;
        form_.options.optGEO.enabled = false;
        LoadRememberedChoices();
        view_.ShowOptions(form_.options);
    });
}

void MainWindowProcedures::LoadRememberedChoices() {
    const auto remembered = [this](const char* key) {
        return settings_.ReadOr(kSettingsApplication, kSettingsSection, key, "");
    };
    form_.rememberedInputFolder = remembered(kInputFolderKey);
    form_.rememberedOutputFolder = remembered(kOutputFolderKey);
    form_.rememberedProjection = remembered(kProjectionKey);
    const FileFormat input = FormatNamed(remembered(kInputFormatKey));
    if (input != format::None) {
        ClickInputOption(form_.options, input);
    }
    if (const FileFormat output = FormatNamed(remembered(kOutputFormatKey));
        output != format::None) {
        ClickOutputOption(form_.options, output);
    }
}

void MainWindowProcedures::RememberFormats() {
    settings_.Write(kSettingsApplication, kSettingsSection, kInputFormatKey,
                    NameOfFormat(SelectedInput(form_.options)));
    settings_.Write(kSettingsApplication, kSettingsSection, kOutputFormatKey,
                    NameOfFormat(SelectedOutput(form_.options)));
}

// What a run chose that the next one starts from: the input folder once files were chosen,
// an output folder that was accepted, a projection that was picked.
void MainWindowProcedures::RememberRun() {
    const auto remember = [this](const char* key, std::string& kept, const std::string& value) {
        kept = value;
        settings_.Write(kSettingsApplication, kSettingsSection, key, value);
    };
    if (form_.lastRun.total == 0) {
        return;  // no files were chosen: the earlier choices stand
    }
    remember(kInputFolderKey, form_.rememberedInputFolder, form_.inputFolder);
    if (form_.outputFormat == format::GeoTIFF && !form_.outputFolder.empty() &&
        form_.outputFolder != form_.inputFolder &&
        form_.fileSystem.FolderExists(form_.outputFolder)) {
        remember(kOutputFolderKey, form_.rememberedOutputFolder, form_.outputFolder);
    }
    if (form_.outputFormat == format::TAB && form_.coordSysClause.rfind("CoordSys ", 0) == 0) {
        remember(kProjectionKey, form_.rememberedProjection, form_.coordSysClause);
    }
}

void MainWindowProcedures::RefreshLanguageForm() {
    RunProcedure(form_.errorReport, "RefreshLanguageForm", ErrorLevel::Report, [&] {
        for (const CaptionAssignment& assignment : MainWindowCaptions()) {
            view_.SetControlText(assignment.control, assignment.property, assignment.text);
        }
        view_.ShowLanguage(currentLanguage);
    });
}

void MainWindowProcedures::SwitchLanguage(const char* procedure, const char* language) {
    RunProcedure(form_.errorReport, procedure, ErrorLevel::Report, [&] {
        currentLanguage = language;
        settings_.Write(kSettingsApplication, kSettingsSection, kLanguageKey, language);
        RefreshLanguageForm();
        view_.ShowStatus("");
    });
}

void MainWindowProcedures::cmdPL_Click() {
    SwitchLanguage("cmdPL_Click", kPolish);
}

void MainWindowProcedures::cmdEN_Click() {
    SwitchLanguage("cmdEN_Click", kEnglish);
}

void MainWindowProcedures::ClickInput(const char* procedure, FileFormat format) {
    RunProcedure(form_.errorReport, procedure, ErrorLevel::Report, [&] {
        ClickInputOption(form_.options, format);
        view_.ShowOptions(form_.options);
        RememberFormats();
    });
}

void MainWindowProcedures::optGEOin_Click() {
    ClickInput("optGEOin_Click", format::GeoTIFF);
}

void MainWindowProcedures::optTABin_Click() {
    ClickInput("optTABin_Click", format::TAB);
}

void MainWindowProcedures::optTFWin_Click() {
    ClickInput("optTFWin_Click", format::TFW);
}

void MainWindowProcedures::ClickOutput(FileFormat format) {
    ClickOutputOption(form_.options, format);
    view_.ShowOptions(form_.options);
    RunProcedure(form_.errorReport, "ClickOutput", ErrorLevel::Report, [&] { RememberFormats(); });
}

void MainWindowProcedures::cmdExit_Click() {
    RunProcedure(form_.errorReport, "cmdExit_Click", ErrorLevel::Report,
                 [&] { view_.ShowAboutWindow(); });
}

void MainWindowProcedures::lblAbout_Click() {
    RunProcedure(form_.errorReport, "lblAbout_Click", ErrorLevel::Report,
                 [&] { form_.ui.OpenUrl(kWebAddress); });
}

void MainWindowProcedures::cmbOK_Click() {
    marlo::cmbOK_Click(form_);
    form_.preselectedFolder.clear();
    form_.preselectedNames.clear();
    RunProcedure(form_.errorReport, "cmbOK_Click", ErrorLevel::Report, [&] {
        RememberRun();
        view_.ShowStatus(RunStatusText(form_.lastRun));
    });
}

bool MainWindowProcedures::PreselectFiles(const std::vector<std::string>& paths) {
    bool selected = false;
    RunProcedure(form_.errorReport, "PreselectFiles", ErrorLevel::Report, [&] {
        if (paths.empty()) {
            return;
        }
        const FileFormat kind = FormatOfFileName(paths.front());
        const std::string folder = FolderOfPath(paths.front());
        std::vector<std::string> names;
        for (const std::string& path : paths) {
            if (FormatOfFileName(path) != kind || FolderOfPath(path) != folder) {
                names.clear();
                break;
            }
            names.push_back(GetFileNameAndType(path));
        }
        if (kind == format::None || names.empty()) {
            form_.ui.ShowMessage(MessageText(msg::FilesNotOfOneKindAndFolder),
                                 MessageIcon::Information);
            return;
        }
        ClickInputOption(form_.options, kind);
        view_.ShowOptions(form_.options);
        RememberFormats();
        form_.preselectedFolder = folder.empty() ? "/" : folder;
        form_.preselectedNames = std::move(names);
        view_.ShowStatus(
            CaptionWith(caption::FilesSelected,
                        {std::to_string(form_.preselectedNames.size()), form_.preselectedFolder}));
        selected = true;
    });
    return selected;
}

}  // namespace marlo
