#include "presenters/main_window.h"

#include "conversion/conversion_run.h"
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

OptionButton& OptionOf(OptionButton& geo, OptionButton& tab, OptionButton& tfw, FileFormat format) {
    switch (format) {
        case format::GeoTIFF:
            return geo;
        case format::TAB:
            return tab;
        case format::TFW:
            return tfw;
        default:
            throw RunTimeError(err::InvalidProcedureCall, "Invalid procedure call or argument");
    }
}

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

OptionButton& InputOption(FormatOptions& options, FileFormat format) {
    return OptionOf(options.optGEOin, options.optTABin, options.optTFWin, format);
}

OptionButton& OutputOption(FormatOptions& options, FileFormat format) {
    return OptionOf(options.optGEO, options.optTAB, options.optTFW, format);
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
        view_.ShowOptions(form_.options);
    });
}

void MainWindowProcedures::RefreshLanguageForm() {
    RunProcedure(form_.errorReport, "RefreshLanguageForm", ErrorLevel::Report, [&] {
        for (const CaptionAssignment& assignment : MainWindowCaptions()) {
            view_.SetControlText(assignment.control, assignment.property, assignment.text);
        }
    });
}

void MainWindowProcedures::SwitchLanguage(const char* procedure, const char* language) {
    RunProcedure(form_.errorReport, procedure, ErrorLevel::Report, [&] {
        currentLanguage = language;
        settings_.Write(kSettingsApplication, kSettingsSection, kLanguageKey, language);
        RefreshLanguageForm();
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
}

}  // namespace marlo
