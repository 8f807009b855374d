#include "cli/command_line.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/command_line_plan.h"
#include "conversion/conversion.h"
#include "conversion/footprints.h"
#include "conversion/run_summary.h"
#include "platform/program_folders.h"
#include "projection/projection_choice.h"
#include "projection/projection_list.h"
#include "text/catalogue.h"
#include "values/format_options.h"
#include "values/paths.h"

namespace marlo::cli {

namespace {

constexpr const char* kUsage =
    "Usage: marlo-convert --from FORMAT --to FORMAT [--output-dir DIR | --in-place]\n"
    "                     [--group GROUP --projection NAME] [--projection-file FILE]\n"
    "                     [--keep-going] [--existing replace|skip|stop]\n"
    "                     [--footprints FILE.geojson] [--summary-csv FILE] [--recursive]\n"
    "                     [--language polski|english] FILE|FOLDER...\n"
    "       marlo-convert --list-projections [TEXT]\n"
    "       marlo-convert --help | --version\n"
    "FORMAT: geotiff | tab | tfw\n"
    "\n"
    "Converts the georeference of the FILEs, and of every file of the input format in each\n"
    "FOLDER, from one form to another: GeoTIFF tags, a MapInfo raster table (.tab) or a world\n"
    "file (.tfw).\n"
    "  --recursive             takes the files in the FOLDERs' subfolders too\n"
    "  --output-dir DIR        folder for GeoTIFF output (must differ from the input folders);\n"
    "                          inputs in subfolders go to the same subfolders of DIR\n"
    "  --in-place              writes the GeoTIFF tags into the images themselves instead of\n"
    "                          copies (from tfw or tab only); crash-safe: an image keeps its\n"
    "                          old georeference or gets the new one, and its pixels stay\n"
    "  --group, --projection   the coordinate system for inputs that state none, as listed;\n"
    "                          --projection EPSG:CODE takes any system GDAL knows\n"
    "  --list-projections      prints the listed projections (group, name, EPSG code) whose\n"
    "                          name, group or code matches TEXT\n"
    "  --projection-file FILE  MapInfo's projection list (mapinfow.prj) to use\n"
    "  --keep-going            a file that fails is listed and the run goes on\n"
    "  --existing              outputs that exist before the run: replace them, skip their\n"
    "                          inputs, or stop before the first file; without it tables and\n"
    "                          world files are replaced and a GeoTIFF stops the run\n"
    "  --footprints FILE       writes where the converted sheets lie, one polygon a sheet in\n"
    "                          WGS 84 longitude and latitude (GeoJSON)\n"
    "  --summary-csv FILE      writes every file of the run with its result and reason (CSV)\n"
    "  --language              language of the messages (default english)\n"
    "A run that reaches its files prints its summary: the counts, where the outputs went, and\n"
    "each failed file with its reason.\n"
    "Exit status: 0 when the run ends with \"Done!\" and no file failed, 1 otherwise, 2 for a\n"
    "usage error.\n";

struct Options {
    std::string from;
    std::string to;
    std::string language = "english";
    std::string existing;
    std::string footprints;
    std::string projectionFile;
    RunArguments run;
    std::string summaryCsv;
};

struct UsageError {
    std::string text;
};

RunMessage MessageOf(const Refusal& refusal) {
    return {RunMessage::Kind::Box, refusal.text, refusal.icon, refusal.title};
}

ExistingOutputs ExistingRule(const std::string& name) {
    static const std::map<std::string, ExistingOutputs> rules = {
        {"", ExistingOutputs::AsBefore},
        {"replace", ExistingOutputs::Replace},
        {"skip", ExistingOutputs::Skip},
        {"stop", ExistingOutputs::Stop}};
    const auto rule = rules.find(name);
    if (rule == rules.end()) {
        throw UsageError{"--existing takes replace, skip or stop"};
    }
    return rule->second;
}

// A path as the dialogs give it: absolute, "." and ".." resolved.
std::string FullPath(const std::string& path) {
    std::string full = (path.empty() || path.front() == '/')
                           ? GetAbsolutePath("", path)
                           : GetAbsolutePath(std::filesystem::current_path().string() + "/", path);
    if (full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    return full;
}

Options Parse(const std::vector<std::string>& arguments) {
    Options options;
    const std::map<std::string, std::string*> valued = {
        {"--from", &options.from},
        {"--to", &options.to},
        {"--output-dir", &options.run.outputDirectory},
        {"--group", &options.run.group},
        {"--projection", &options.run.projection},
        {"--projection-file", &options.projectionFile},
        {"--language", &options.language},
        {"--existing", &options.existing},
        {"--footprints", &options.footprints},
        {"--summary-csv", &options.summaryCsv}};
    bool filesOnly = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!filesOnly && argument == "--") {
            filesOnly = true;
        } else if (!filesOnly && valued.count(argument) != 0) {
            if (i + 1 >= arguments.size()) {
                throw UsageError{argument + " needs a value"};
            }
            *valued.at(argument) = arguments[++i];
        } else if (!filesOnly && argument == "--keep-going") {
            options.run.keepGoing = true;
        } else if (!filesOnly && argument == "--in-place") {
            options.run.inPlace = true;
        } else if (!filesOnly && argument == "--recursive") {
            options.run.withSubfolders = true;
        } else if (!filesOnly && argument.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + argument};
        } else {
            options.run.inputs.push_back(FullPath(argument));
        }
    }
    return options;
}

// Tags written in place serve world files and tables made into GeoTIFFs, and need no folder.
void ValidateInPlace(const Options& options) {
    const FileFormat from = FormatNamed(options.from);
    if (FormatNamed(options.to) != FileFormat::GeoTIFF || from == FileFormat::GeoTIFF) {
        throw UsageError{"--in-place serves --from tfw or tab --to geotiff only"};
    }
    if (!options.run.outputDirectory.empty()) {
        throw UsageError{"--in-place writes into the images themselves: no --output-dir"};
    }
}

void Validate(const Options& options) {
    if (FormatNamed(options.from) == FileFormat::None ||
        FormatNamed(options.to) == FileFormat::None) {
        throw UsageError{"--from and --to take geotiff, tab or tfw"};
    }
    ExistingRule(options.existing);
    if (options.language != "polski" && options.language != "english") {
        throw UsageError{"--language takes polski or english"};
    }
    if (options.run.inputs.empty()) {
        throw UsageError{"no input files"};
    }
    if (options.run.inPlace) {
        ValidateInPlace(options);
        return;
    }
    if (FormatNamed(options.to) == FileFormat::GeoTIFF && options.run.outputDirectory.empty()) {
        throw UsageError{"--to geotiff needs --output-dir or --in-place"};
    }
    if (FormatNamed(options.to) != FileFormat::GeoTIFF && !options.run.outputDirectory.empty()) {
        throw UsageError{
            "--output-dir serves --to geotiff only: tables and world files are "
            "written beside their images"};
    }
}

// Refuses an input that is neither a file nor a folder.
void RequireInputsExist(const FileSystemService& files, const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        if (!files.FileExists(input) && !files.FolderExists(input)) {
            throw UsageError{"no such file or folder: " + input};
        }
    }
}

// The projection list in use, as the window would show it.
std::vector<std::string> ListInUse(const Environment& env, ConsoleReports& reports) {
    try {
        return CodeList(env);
    } catch (const Refusal& refusal) {
        reports.ShowMessage(MessageOf(refusal));
        return {};
    }
}

// Prints group, name and code of every match, and for a code the list lacks the system GDAL
// knows by it; false when nothing matches.
bool ListProjections(const std::string& text, std::ostream& out, std::ostream& errors) {
    ConsoleReports reports(errors);
    Environment env(reports);
    env.folders = {UserDataFolder(), ShippedProjectionFolder()};
    const std::vector<ListedProjection> found = MatchingProjections(ListInUse(env, reports), text);
    for (const ListedProjection& listed : found) {
        out << listed.group << '\t' << listed.entry.name << '\t'
            << (listed.entry.epsg != 0 ? "EPSG:" + std::to_string(listed.entry.epsg) : "") << '\n';
    }
    const auto code = EpsgCodeNamed(text);
    const bool listed = code && std::any_of(found.begin(), found.end(), [&code](const auto& p) {
                            return p.entry.epsg == *code;
                        });
    if (code && !listed) {
        try {
            if (const auto entry = EntryFromGdal(BridgeOf(env), *code)) {
                out << "GDAL\t" << entry->name << "\tEPSG:" << *code << '\n';
                return true;
            }
        } catch (const Refusal& refusal) {  // GDAL's bridge is not installed
            errors << "marlo-convert: " << refusal.text << '\n';
            return false;
        }
    }
    return !found.empty();
}

// The footprint index of the run, written whole to `path`; false, with the refusal, when it
// cannot be.
bool FootprintsWritten(Environment& env, const RunOutcome& outcome, const std::string& path,
                       ConsoleReports& reports, std::ostream& errors) {
    try {
        if (const std::size_t leftOut = WriteFootprints(env, env.fileSystem, outcome, path)) {
            errors << "marlo-convert: "
                   << env.texts.CaptionCounting(caption::FootprintsLeftOut, leftOut) << '\n';
        }
        return true;
    } catch (const Refusal& refusal) {
        reports.ShowMessage(MessageOf(refusal));
        return false;
    }
}

// The plan the arguments make; nothing when they make none (the reason printed). A refusal is
// printed; an unexpected error is reported as the run's own.
std::optional<RunPlan> PlannedRun(Environment& env, const Options& options, ConsoleReports& reports,
                                  std::ostream& errors) {
    std::optional<RunPlan> plan;
    RunProcedure(env.errorReport, Procedure::Convert, ErrorLevel::Report, [&] {
        try {
            if (!options.projectionFile.empty()) {
                // The list serves this run from its first step: its codes and its groups.
                UseProjectionList(env, options.projectionFile);
            }
            plan = PlanFromArguments(env, options.run, errors);
        } catch (const Refusal& refusal) {
            reports.ShowMessage(MessageOf(refusal));
        }
    });
    return plan;
}

// Whether the files named for the run's summary and footprints may be written once it ends:
// checked before the first file, so that a wrong name (an input, an output, another file)
// costs nothing.
bool RunFilesReplaceable(const Environment& env, const RunPlan& plan, const Options& options,
                         ConsoleReports& reports) {
    try {
        for (const auto& [path, start] : {std::pair{options.footprints, kFootprintsStart},
                                          std::pair{options.summaryCsv, kSummaryCsvStart}}) {
            if (!path.empty()) {
                RequireReplaceableRunFile(env.texts, env.fileSystem, plan, path, start);
            }
        }
        return true;
    } catch (const Refusal& refusal) {
        reports.ShowMessage(MessageOf(refusal));
        return false;
    }
}

// The run's summary as CSV, written whole to `path` (the window's "Save as CSV..."); false,
// with the refusal, when it cannot be.
bool SummaryCsvWritten(Environment& env, const RunOutcome& outcome, const std::string& path,
                       ConsoleReports& reports) {
    try {
        WriteRunFile(env.texts, env.fileSystem, outcome, path, SummaryCsv(outcome),
                     kSummaryCsvStart);
        return true;
    } catch (const Refusal& refusal) {
        reports.ShowMessage(MessageOf(refusal));
        return false;
    }
}

}  // namespace

int RunMarloConvert(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& errors) {
    // After "--" every argument is a file name, "-h" too.
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kExitDone;
        }
        if (argument == "--version") {
            out << "marlo-convert " << MARLO_VERSION_TEXT << '\n';
            return kExitDone;
        }
        if (argument == "--list-projections") {
            const auto next = std::find(arguments.begin(), arguments.end(), argument) + 1;
            const std::string text =
                next != arguments.end() && next->rfind("--", 0) != 0 ? *next : std::string();
            return ListProjections(text, out, errors) ? kExitDone : kExitNotDone;
        }
    }
    Options options;
    try {
        options = Parse(arguments);
        Validate(options);
    } catch (const UsageError& usage) {
        errors << "marlo-convert: " << usage.text << "\n\n" << kUsage;
        return kExitUsage;
    }
    if (!options.run.outputDirectory.empty()) {
        options.run.outputDirectory = FullPath(options.run.outputDirectory);
    }
    if (!options.projectionFile.empty()) {
        options.projectionFile = FullPath(options.projectionFile);
    }
    for (std::string* named : {&options.footprints, &options.summaryCsv}) {
        if (!named->empty()) {
            *named = FullPath(*named);
        }
    }
    options.run.from = FormatNamed(options.from);
    options.run.to = FormatNamed(options.to);
    options.run.existing = ExistingRule(options.existing);

    ConsoleReports reports(errors);
    Environment env(reports);
    env.texts.SetLanguage(options.language);
    env.folders = {UserDataFolder(), ShippedProjectionFolder()};
    try {
        RequireInputsExist(env.fileSystem, options.run.inputs);
    } catch (const UsageError& usage) {
        errors << "marlo-convert: " << usage.text << "\n\n" << kUsage;
        return kExitUsage;
    }
    const std::optional<RunPlan> plan = PlannedRun(env, options, reports, errors);
    if (!plan || !RunFilesReplaceable(env, *plan, options, reports)) {
        return kExitNotDone;
    }
    UnwatchedProgress progress;
    const RunOutcome outcome = Convert(env, *plan, progress);
    for (const RunMessage& message : outcome.messages) {
        reports.ShowMessage(message);
    }
    if (const std::string note = WithoutSystemText(env.texts, outcome); !note.empty()) {
        errors << "marlo-convert: " << note << '\n';
    }
    out << SummaryText(env.texts, outcome);
    const bool footprintsWritten =
        options.footprints.empty() ||
        FootprintsWritten(env, outcome, options.footprints, reports, errors);
    const bool summaryWritten =
        options.summaryCsv.empty() || SummaryCsvWritten(env, outcome, options.summaryCsv, reports);
    const bool anyFailed = CountOf(outcome, FileResult::Failed) > 0;
    return outcome.done && !anyFailed && footprintsWritten && summaryWritten ? kExitDone
                                                                             : kExitNotDone;
}

}  // namespace marlo::cli
