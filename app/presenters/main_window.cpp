#include "presenters/main_window.h"

#include <cctype>
#include <string_view>

#include "conversion/footprints.h"
#include "conversion/planning.h"
#include "conversion/run_summary.h"
#include "text/catalogue.h"
#include "values/format_options.h"
#include "values/paths.h"

namespace marlo {

namespace {

// A local path as a file: address, every byte outside the unreserved characters and "/"
// percent-encoded, so that "#", "%" and blanks in folder names survive.
std::string FileUrl(const std::string& path) {
    constexpr const char* kHex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain =
            std::isalnum(byte) != 0 || std::string_view("-._~/").find(c) != std::string_view::npos;
        url += plain ? std::string(1, c) : std::string{'%', kHex[byte >> 4], kHex[byte & 15]};
    }
    return url;
}

// The format that takes over the output when the input takes its format away.
FileFormat NextInCycle(FileFormat format) {
    switch (format) {
        case FileFormat::GeoTIFF:
            return FileFormat::TAB;
        case FileFormat::TAB:
            return FileFormat::TFW;
        default:
            return FileFormat::GeoTIFF;
    }
}

constexpr FileFormat kFormats[] = {FileFormat::GeoTIFF, FileFormat::TAB, FileFormat::TFW};

}  // namespace

std::vector<CaptionAssignment> MainWindowCaptions(const Texts& texts) {
    return {
        {"Frame1", ControlText::Caption, texts.Caption(7)},
        {"cmbOK", ControlText::Caption, texts.Caption(4)},
        {"cmdExit", ControlText::Caption, texts.Caption(5)},
        {"Frame2", ControlText::Caption, texts.Caption(9)},
        {"cmbOK", ControlText::ToolTip, texts.Caption(10)},
        {"cmdExit", ControlText::ToolTip, texts.Caption(5)},
        {"lblAbout", ControlText::ToolTip, texts.Caption(13)},
        {"lblLNG", ControlText::Caption, texts.Caption(14)},
        {"chkKeepGoing", ControlText::Caption, texts.Caption(caption::KeepGoing)},
        {"cmdFolder", ControlText::Caption, texts.Caption(caption::ChooseFolder)},
        {"chkSubfolders", ControlText::Caption, texts.Caption(caption::WithSubfolders)},
        {"chkInPlace", ControlText::Caption, texts.Caption(caption::InPlace)},
        {"lblInPlaceWarning", ControlText::Caption, texts.Caption(caption::InPlaceWarning)},
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

void MainWindowProcedures::Load() {
    RunProcedure(env_.errorReport, Procedure::FormLoad, ErrorLevel::Report, [&] {
        env_.texts.SetLanguage(
            settings_.ReadOr(kSettingsApplication, kSettingsSection, kLanguageKey, kEnglish));
        ShowCaptions();
        choices_.options.optGEOin.enabled = true;
        choices_.options.optGEO.enabled = false;
        LoadRememberedChoices();
        view_.ShowOptions(choices_.options);
        ShowInPlaceChoice();
    });
}

void MainWindowProcedures::LoadRememberedChoices() {
    const auto remembered = [this](const char* key) {
        return settings_.ReadOr(kSettingsApplication, kSettingsSection, key, "");
    };
    choices_.rememberedInputFolder = remembered(kInputFolderKey);
    choices_.rememberedOutputFolder = remembered(kOutputFolderKey);
    choices_.rememberedProjection = remembered(kProjectionKey);
    choices_.keepGoing = remembered(kKeepGoingKey) == "1";
    choices_.existing = ExistingOutputs::Ask;
    view_.ShowKeepGoing(choices_.keepGoing);
    choices_.inPlace = false;
    const FileFormat input = FormatNamed(remembered(kInputFormatKey));
    if (input != FileFormat::None) {
        ClickInputOption(choices_.options, input);
    }
    if (const FileFormat output = FormatNamed(remembered(kOutputFormatKey));
        output != FileFormat::None) {
        ClickOutputOption(choices_.options, output);
    }
}

void MainWindowProcedures::RememberFormats() {
    settings_.WriteAll(kSettingsApplication, kSettingsSection,
                       {{kInputFormatKey, NameOfFormat(SelectedInput(choices_.options))},
                        {kOutputFormatKey, NameOfFormat(SelectedOutput(choices_.options))}});
}

// What a run chose that the next one starts from: the input folder once files were chosen,
// an output folder that was accepted, a projection that was picked.
void MainWindowProcedures::RememberRun() {
    SettingValues written;
    const auto remember = [&written](const char* key, std::string& kept, const std::string& value) {
        kept = value;
        written.emplace_back(key, value);
    };
    if (lastRun_.total == 0) {
        return;  // no files were chosen: the earlier choices stand
    }
    const RunPlan& plan = lastRun_.plan;
    remember(kInputFolderKey, choices_.rememberedInputFolder, plan.inputFolder);
    if (plan.outputFormat == FileFormat::GeoTIFF && !plan.outputFolder.empty() &&
        plan.outputFolder != plan.inputFolder && env_.fileSystem.FolderExists(plan.outputFolder)) {
        remember(kOutputFolderKey, choices_.rememberedOutputFolder, plan.outputFolder);
    }
    if (plan.outputFormat == FileFormat::TAB && plan.coordSysClause.rfind("CoordSys ", 0) == 0) {
        remember(kProjectionKey, choices_.rememberedProjection, plan.coordSysClause);
    }
    settings_.WriteAll(kSettingsApplication, kSettingsSection, written);
}

void MainWindowProcedures::ShowCaptions() {
    RunProcedure(env_.errorReport, Procedure::RefreshLanguage, ErrorLevel::Report, [&] {
        for (const CaptionAssignment& assignment : MainWindowCaptions(env_.texts)) {
            view_.SetControlText(assignment.control, assignment.property, assignment.text);
        }
        view_.ShowLanguage(env_.texts.Language());
    });
}

void MainWindowProcedures::SwitchLanguage(Procedure procedure, const char* language) {
    RunProcedure(env_.errorReport, procedure, ErrorLevel::Report, [&] {
        env_.texts.SetLanguage(language);
        settings_.Write(kSettingsApplication, kSettingsSection, kLanguageKey, language);
        ShowCaptions();
        view_.ShowStatus("");
    });
}

void MainWindowProcedures::SwitchToPolish() {
    SwitchLanguage(Procedure::SwitchToPolish, kPolish);
}

void MainWindowProcedures::SwitchToEnglish() {
    SwitchLanguage(Procedure::SwitchToEnglish, kEnglish);
}

void MainWindowProcedures::ClickInput(Procedure procedure, FileFormat format) {
    RunProcedure(env_.errorReport, procedure, ErrorLevel::Report, [&] {
        ClickInputOption(choices_.options, format);
        view_.ShowOptions(choices_.options);
        ShowInPlaceChoice();
        RememberFormats();
    });
}

void MainWindowProcedures::ChooseGeoTiffInput() {
    ClickInput(Procedure::ClickGeoTiffInput, FileFormat::GeoTIFF);
}

void MainWindowProcedures::ChooseTableInput() {
    ClickInput(Procedure::ClickTableInput, FileFormat::TAB);
}

void MainWindowProcedures::ChooseWorldFileInput() {
    ClickInput(Procedure::ClickWorldFileInput, FileFormat::TFW);
}

void MainWindowProcedures::ClickOutput(FileFormat format) {
    ClickOutputOption(choices_.options, format);
    view_.ShowOptions(choices_.options);
    ShowInPlaceChoice();
    RunProcedure(env_.errorReport, Procedure::ClickOutput, ErrorLevel::Report,
                 [&] { RememberFormats(); });
}

void MainWindowProcedures::ShowAbout() {
    RunProcedure(env_.errorReport, Procedure::OpenAbout, ErrorLevel::Report,
                 [&] { view_.ShowAboutWindow(); });
}

void MainWindowProcedures::OpenWebPage() {
    RunProcedure(env_.errorReport, Procedure::OpenWebPage, ErrorLevel::Report,
                 [&] { ui_.OpenUrl(kWebAddress); });
}

void MainWindowProcedures::StartConversion() {
    lastRun_ = RunByAsking(env_, ui_, choices_);
    choices_.files.reset();
    RunProcedure(env_.errorReport, Procedure::Convert, ErrorLevel::Report, [&] {
        RememberRun();
        view_.ShowStatus(RunStatusText(env_.texts, lastRun_));
        if (!lastRun_.files.empty()) {
            view_.ShowSummary(lastRun_);
        }
    });
}

void MainWindowProcedures::SetInPlace(bool inPlace) {
    choices_.inPlace = inPlace;
    ShowInPlaceChoice();
}

// The warning stands only while the images would be changed: GeoTIFF output, in place.
void MainWindowProcedures::ShowInPlaceChoice() {
    view_.ShowInPlace(choices_.inPlace,
                      choices_.inPlace && SelectedOutput(choices_.options) == FileFormat::GeoTIFF);
}

void MainWindowProcedures::SetKeepGoing(bool keepGoing) {
    RunProcedure(env_.errorReport, Procedure::SetKeepGoing, ErrorLevel::Report, [&] {
        choices_.keepGoing = keepGoing;
        settings_.Write(kSettingsApplication, kSettingsSection, kKeepGoingKey,
                        keepGoing ? "1" : "0");
    });
}

std::string MainWindowProcedures::SummaryForCopy() const {
    return SummaryText(env_.texts, lastRun_);
}

void MainWindowProcedures::SaveSummaryFile(Procedure procedure,
                                           const std::function<void()>& write) {
    RunProcedure(env_.errorReport, procedure, ErrorLevel::Report, [&] {
        try {
            write();
        } catch (const Refusal& refusal) {
            ui_.Show(refusal);
        }
    });
}

void MainWindowProcedures::SaveSummaryCsv(const std::string& path) {
    SaveSummaryFile(Procedure::SaveSummaryCsv, [&] {
        WriteRunFile(env_.texts, env_.fileSystem, lastRun_, path, SummaryCsv(lastRun_),
                     kSummaryCsvStart);
    });
}

void MainWindowProcedures::SaveFootprints(const std::string& path) {
    SaveSummaryFile(Procedure::SaveFootprints, [&] {
        if (const std::size_t leftOut = WriteFootprints(env_, env_.fileSystem, lastRun_, path)) {
            ui_.ShowMessage(env_.texts.CaptionCounting(caption::FootprintsLeftOut, leftOut),
                            MessageIcon::Information);
        }
    });
}

void MainWindowProcedures::OpenOutputFolder() {
    RunProcedure(env_.errorReport, Procedure::OpenOutputFolder, ErrorLevel::Report,
                 [&] { ui_.OpenUrl(FileUrl(lastRun_.plan.OutputFolder())); });
}

void MainWindowProcedures::TakeChosenFiles(ChosenFiles files) {
    if (files.names.empty()) {
        ui_.ShowMessage(env_.texts.Message(msg::NoFilesToConvert), MessageIcon::Information);
        return;
    }
    const std::string folder = files.folder.empty() ? "/" : files.folder;
    view_.ShowStatus(env_.texts.CaptionWith(caption::FilesSelected,
                                            {std::to_string(files.names.size()), folder}));
    choices_.files = std::move(files);
}

bool MainWindowProcedures::ChooseFiles(const std::vector<std::string>& paths) {
    bool chosen = false;
    RunProcedure(env_.errorReport, Procedure::ChooseFiles, ErrorLevel::Report, [&] {
        FileFormat kind = FileFormat::None;
        bool oneKind = true;
        for (const std::string& path : paths) {
            if (env_.fileSystem.FolderExists(path)) {
                continue;
            }
            const FileFormat format = FormatOfFileName(path);
            oneKind &= format != FileFormat::None && (kind == FileFormat::None || format == kind);
            kind = format;
        }
        if (paths.empty() || !oneKind) {
            ui_.ShowMessage(env_.texts.Message(msg::FilesNotOfOneKind), MessageIcon::Information);
            return;
        }
        if (kind != FileFormat::None) {
            ClickInputOption(choices_.options, kind);
            view_.ShowOptions(choices_.options);
            RememberFormats();
        }
        TakeChosenFiles(
            FilesNamed(env_.fileSystem, SelectedInput(choices_.options), paths, withSubfolders_));
        chosen = choices_.files.has_value();
    });
    return chosen;
}

void MainWindowProcedures::ChooseFolder() {
    RunProcedure(env_.errorReport, Procedure::ChooseFolder, ErrorLevel::Report, [&] {
        const std::string folder = ui_.BrowseForFolder(env_.texts.Caption(caption::ChooseFolder),
                                                       choices_.rememberedInputFolder);
        if (folder.empty()) {
            return;
        }
        TakeChosenFiles(FilesOfFolder(env_.fileSystem, folder, SelectedInput(choices_.options),
                                      withSubfolders_));
    });
}

}  // namespace marlo
