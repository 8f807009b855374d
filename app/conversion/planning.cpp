#include "conversion/planning.h"

#include <algorithm>
#include <set>

#include "conversion/conversion.h"
#include "conversion/file_selection.h"
#include "conversion/file_steps.h"
#include "conversion/input_survey.h"
#include "conversion/input_systems.h"
#include "files/folder_checks.h"
#include "projection/projection_choice.h"
#include "text/catalogue.h"
#include "values/format_options.h"
#include "values/paths.h"

namespace marlo {

namespace {

// The deepest folder that holds both.
std::string CommonFolder(const std::string& a, const std::string& b) {
    std::string common = a;
    while (!common.empty() && b != common && b.rfind(common + "/", 0) != 0) {
        common = FolderOfPath(common);
    }
    return common;
}

// Names the files from the chosen folder ("/" for a file at the root).
void NameFromFolder(ChosenFiles& chosen, const std::vector<std::string>& fullPaths) {
    const std::size_t folderPart = chosen.folder.size() + 1;
    if (chosen.folder.empty()) {
        chosen.folder.push_back('/');
    }
    for (const std::string& path : fullPaths) {
        chosen.names.push_back(path.substr(folderPart));
    }
}

// What the projection window is asked for the run.
ProjectionQuestion QuestionFor(const RunPlan& plan, const RunChoices& choices) {
    ProjectionQuestion question;
    question.offerOwnSystems = plan.offerOwnSystems;
    question.ownSystemsCoverEveryImage = plan.offerOwnSystems;
    for (const InputSystem& system : plan.inputSystems) {
        if (question.firstOwnClause.empty()) {
            question.firstOwnClause = system.clause;
        }
        // An input whose system no table holds states one all the same: it is refused, never
        // given the chosen projection.
        question.ownSystemsCoverEveryImage &= system.stated || system.unreadable;
    }
    question.rememberedProjection = choices.rememberedProjection;
    question.noSystemOffered = plan.outputFormat == FileFormat::GeoTIFF;
    return question;
}

// The user closed one of the run's dialogs: the run ends before its first file.
bool CancelledBeforeFiles(RunOutcome& outcome) {
    outcome.cancelled = true;
    return false;
}

// Asks once what to do with outputs that exist before the run, when the window leaves it to
// the user. False when the user cancels.
bool AskAboutExistingOutputs(Environment& env, UserInteraction& ui, RunOutcome& outcome) {
    RunPlan& plan = outcome.plan;
    plan.outputsTaken = OutputsTakenEarlier(plan);
    plan.existingOutputs = ExistingOutputsOf(env, plan);
    std::vector<std::string> existing;
    std::copy_if(plan.existingOutputs.begin(), plan.existingOutputs.end(),
                 std::back_inserter(existing), [](const std::string& o) { return !o.empty(); });
    plan.existing = ExistingOutputs::AsBefore;
    if (existing.empty()) {
        return true;
    }
    switch (ui.AskAboutExistingOutputs(existing.size(), plan.inputFiles.size(), existing.front())) {
        case ExistingAnswer::ReplaceAll:
            plan.existing = ExistingOutputs::Replace;
            return true;
        case ExistingAnswer::SkipExisting:
            plan.existing = ExistingOutputs::Skip;
            return true;
        default:
            return CancelledBeforeFiles(outcome);
    }
}

// Shows the report of an error that a step met and went on after, if it met one.
void ShowReport(Environment& env, const std::optional<RunTimeError>& error) {
    if (error) {
        env.errorReport.Show(*error);
    }
}

// The output folder the user picks for GeoTIFF output; false when the picker is closed.
// Refuses a folder that does not exist (message 5).
bool AskOutputFolder(Environment& env, UserInteraction& ui, const RunChoices& choices,
                     RunPlan& plan) {
    ReportedResult<std::string> picked = AskForFolder(
        ui, env.texts.Message(msg::SelectOutputDirectory),
        OutputPickerStart(env.fileSystem, choices.rememberedOutputFolder, plan.inputFolder));
    ShowReport(env, picked.error);
    plan.outputFolder = std::move(picked.value);
    if (plan.outputFolder.empty()) {
        return false;
    }
    if (!env.fileSystem.FolderExists(plan.outputFolder)) {
        throw Refusal(env.texts.Message(msg::OutputDirectoryMissing));
    }
    return true;
}

// The checks and questions before the first file, in the order the window has always asked
// them; they settle the plan in outcome.plan, as far as they get. False ends the run; a
// refusal ends it with its message.
bool PlanByAsking(Environment& env, UserInteraction& ui, const RunChoices& choices,
                  RunOutcome& outcome) {
    RunPlan& plan = outcome.plan;
    const auto files = AddFiles(env.texts, ui, choices);
    if (!files) {
        return CancelledBeforeFiles(outcome);
    }
    outcome.total = files->names.size();
    plan.inPlace = choices.inPlace && SelectedOutput(choices.options) == FileFormat::GeoTIFF;
    PlanInputs(env, *files, SelectedOutput(choices.options), plan);
    if (PlanNeedsProjection(plan)) {
        const ProjectionAnswer answer = AskForProjection(env, ui, QuestionFor(plan, choices));
        ShowReport(env, answer.error);
        if (answer.kind == ProjectionAnswer::Kind::Cancelled) {
            return CancelledBeforeFiles(outcome);
        }
        if (answer.kind == ProjectionAnswer::Kind::Failed) {
            return false;
        }
        plan.coordSysClause = answer.clause;
    }
    if (plan.CopiesImages() && !AskOutputFolder(env, ui, choices, plan)) {
        return CancelledBeforeFiles(outcome);
    }
    plan.keepGoing = choices.keepGoing;
    if (choices.existing == ExistingOutputs::Ask) {
        return AskAboutExistingOutputs(env, ui, outcome);
    }
    SettleExistingOutputs(env, choices.existing, plan);
    return true;
}

// Shows the progress of a conversion in the window, which may cancel it between files.
class ProgressShown final : public ConversionProgress {
public:
    explicit ProgressShown(UserInteraction& ui) : ui_(ui) {}
    bool BeforeFile(const RunProgress& progress) override { return ui_.ShowProgress(progress); }

private:
    UserInteraction& ui_;
};

// Shows what the conversion had to say, in order: "Done!" after its progress has gone.
void ShowMessages(Environment& env, UserInteraction& ui, const RunOutcome& outcome) {
    for (const RunMessage& message : outcome.messages) {
        const bool done = outcome.done && &message == &outcome.messages.back();
        if (done) {
            ui.EndProgress();
        }
        if (message.kind == RunMessage::Kind::ErrorReport) {
            env.errorReport.ShowText(message.text);
        } else {
            ui.ShowMessage(message.text, message.icon, message.title);
        }
    }
    if (!outcome.done) {
        ui.EndProgress();
    }
}

}  // namespace

ChosenFiles FilesOfFolder(const FileSystemService& files, const std::string& folder,
                          FileFormat format, bool withSubfolders) {
    ChosenFiles chosen{format, folder, {}};
    for (std::string& name : files.FilesInFolder(folder, withSubfolders)) {
        const std::string path = JoinPath(folder, name);
        // A name that is a world file's only by ending in "w" (photo.raw) counts when an image
        // it serves stands beside it.
        const bool unsure = format == FileFormat::TFW && !IsKnownWorldFileName(path);
        if (FormatOfFileName(path) == format && (!unsure || FindImageFor(files, path))) {
            chosen.names.push_back(std::move(name));
        }
    }
    return chosen;
}

ChosenFiles FilesFromPaths(FileFormat format, const std::vector<std::string>& fullPaths) {
    ChosenFiles chosen{format, {}, {}};
    if (fullPaths.empty()) {
        return chosen;
    }
    chosen.folder = FolderOfPath(fullPaths.front());
    for (const std::string& path : fullPaths) {
        chosen.folder = CommonFolder(chosen.folder, FolderOfPath(path));
    }
    NameFromFolder(chosen, fullPaths);
    return chosen;
}

ChosenFiles FilesNamed(const FileSystemService& files, FileFormat format,
                       const std::vector<std::string>& fullPaths, bool withSubfolders) {
    ChosenFiles chosen{format, {}, {}};
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < fullPaths.size(); ++i) {
        const std::string& path = fullPaths[i];
        const bool folder = files.FolderExists(path);
        const std::string holder = folder ? path : FolderOfPath(path);
        chosen.folder = i == 0 ? holder : CommonFolder(chosen.folder, holder);
        if (!folder) {
            paths.push_back(path);
            continue;
        }
        for (const std::string& name : FilesOfFolder(files, path, format, withSubfolders).names) {
            paths.push_back(JoinPath(path, name));
        }
    }
    std::set<std::string> taken;
    paths.erase(std::remove_if(paths.begin(), paths.end(),
                               [&taken](const std::string& p) { return !taken.insert(p).second; }),
                paths.end());
    NameFromFolder(chosen, paths);
    return chosen;
}

void PlanInputs(Environment& env, const ChosenFiles& files, FileFormat outputFormat,
                RunPlan& plan) {
    plan.inputFormat = files.format;
    plan.inputFolder = files.folder;
    plan.inputFiles = files.names;
    plan.outputFormat = outputFormat;
    if (plan.outputFormat == FileFormat::None) {
        throw Refusal(env.texts.Message(msg::ErrorReadingOutputFormat));
    }
    if (plan.inputFormat == FileFormat::None) {
        throw Refusal(env.texts.Message(msg::ErrorReadingInputFormat));
    }
    if (plan.inputFormat == plan.outputFormat) {
        throw Refusal(env.texts.Message(msg::SameFormats));
    }
    // What the folders held when they were last listed may have changed since.
    env.fileSystem.ForgetLookups();
    plan.inputs = NoteInputIdentities(plan.inputFolder, plan.inputFiles);
    if (RunNeedsCodeList(plan)) {
        plan.codeList = CodeList(env);
    }
    SurveyInputs(env, plan);
    plan.offerOwnSystems = !plan.inputSystems.empty();
}

bool PlanNeedsProjection(const RunPlan& plan) {
    return plan.outputFormat == FileFormat::TAB ||
           (plan.outputFormat == FileFormat::GeoTIFF && plan.inputFormat == FileFormat::TFW);
}

std::vector<std::string> ExistingOutputsOf(Environment& env, const RunPlan& plan) {
    std::vector<std::string> outputs(plan.inputFiles.size());
    for (std::size_t file = 0; file < plan.inputFiles.size(); ++file) {
        if (auto output = ExistingOutputOf(env, FileJob{plan, file, plan.InputPath(file)})) {
            outputs[file] = std::move(*output);
        }
    }
    return outputs;
}

void SettleExistingOutputs(Environment& env, ExistingOutputs rule, RunPlan& plan) {
    plan.outputsTaken = OutputsTakenEarlier(plan);
    plan.existing = rule == ExistingOutputs::Replace ? rule : ExistingOutputs::AsBefore;
    if (rule != ExistingOutputs::Skip && rule != ExistingOutputs::Stop) {
        return;
    }
    plan.existingOutputs = ExistingOutputsOf(env, plan);
    const auto first = std::find_if(plan.existingOutputs.begin(), plan.existingOutputs.end(),
                                    [](const std::string& output) { return !output.empty(); });
    if (first == plan.existingOutputs.end()) {
        return;
    }
    if (rule == ExistingOutputs::Stop) {
        throw Refusal(env.texts.MessageWithPath(msg::OutputFileExists, *first, kCr));
    }
    plan.existing = rule;
}

RunOutcome RunByAsking(Environment& env, UserInteraction& ui, const RunChoices& choices) {
    RunOutcome outcome;
    bool planned = false;
    RunProcedure(env.errorReport, Procedure::Convert, ErrorLevel::Report, [&] {
        try {
            planned = PlanByAsking(env, ui, choices, outcome);
        } catch (const Refusal& refusal) {
            ui.Show(refusal);
            outcome.reason = refusal.text;
        }
    });
    if (!planned) {
        return outcome;
    }
    ProgressShown progress(ui);
    RunOutcome converted = Convert(env, outcome.plan, progress);
    ShowMessages(env, ui, converted);
    return converted;
}

}  // namespace marlo
