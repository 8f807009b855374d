#include "cli/command_line.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "cli/console_user.h"
#include "conversion/conversion_run.h"
#include "conversion/footprints.h"
#include "platform/program_folders.h"
#include "projection/projection_choice.h"
#include "projection/projection_list.h"
#include "state/format_options.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo::cli {

namespace {

constexpr const char* kUsage =
    "Usage: marlo-convert --from FORMAT --to FORMAT [--output-dir DIR]\n"
    "                     [--group GROUP --projection NAME] [--projection-file FILE]\n"
    "                     [--keep-going] [--existing replace|skip|stop]\n"
    "                     [--footprints FILE.geojson]\n"
    "                     [--language polski|english] FILE...\n"
    "       marlo-convert --list-projections [TEXT]\n"
    "FORMAT: geotiff | tab | tfw\n"
    "\n"
    "Converts the georeference of the FILEs (all in one folder) from one form to another:\n"
    "GeoTIFF tags, a MapInfo raster table (.tab) or a world file (.tfw).\n"
    "  --output-dir DIR        folder for GeoTIFF output (must differ from the input folder)\n"
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
    bool keepGoing = false;
    Answers answers;
};

struct UsageError {
    std::string text;
};

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
        {"--output-dir", &options.answers.outputDirectory},
        {"--group", &options.answers.group},
        {"--projection", &options.answers.projection},
        {"--projection-file", &options.answers.projectionFile},
        {"--language", &options.language},
        {"--existing", &options.existing},
        {"--footprints", &options.footprints}};
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
            options.keepGoing = true;
            options.answers.keepGoing = true;
        } else if (!filesOnly && argument.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + argument};
        } else {
            options.answers.files.push_back(FullPath(argument));
        }
    }
    return options;
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
    if (options.answers.files.empty()) {
        throw UsageError{"no input files"};
    }
    if (FormatNamed(options.to) == FileFormat::GeoTIFF && options.answers.outputDirectory.empty()) {
        throw UsageError{"--to geotiff needs --output-dir"};
    }
    const std::string folder = GetFilePath(options.answers.files.front());
    for (const std::string& file : options.answers.files) {
        if (GetFilePath(file) != folder) {
            throw UsageError{"all input files must be in one folder"};
        }
        if (!FileSystemService().FileExists(file)) {
            throw UsageError{"no such file: " + file};
        }
    }
}

// The projection list in use, as the window would show it.
std::vector<std::string> ListInUse(std::ostream& errors) {
    ConsoleUser user(Answers{}, errors);
    Environment env(user);
    env.folders = {UserDataFolder(), ShippedProjectionFolder()};
    try {
        return CodeList(env);
    } catch (const Refusal& refusal) {
        user.Show(refusal);
        return {};
    }
}

// Prints group, name and code of every match, and for a code the list lacks the system GDAL
// knows by it; false when nothing matches.
bool ListProjections(const std::string& text, std::ostream& out, std::ostream& errors) {
    const std::vector<ListedProjection> found = MatchingProjections(ListInUse(errors), text);
    for (const ListedProjection& listed : found) {
        out << listed.group << '\t' << listed.entry.name << '\t'
            << (listed.entry.epsg != 0 ? "EPSG:" + std::to_string(listed.entry.epsg) : "") << '\n';
    }
    const auto code = EpsgCodeNamed(text);
    const bool listed = code && std::any_of(found.begin(), found.end(), [&code](const auto& p) {
                            return p.entry.epsg == *code;
                        });
    if (code && !listed) {
        if (const auto entry = EntryFromGdal(*code)) {
            out << "GDAL\t" << entry->name << "\tEPSG:" << *code << '\n';
            return true;
        }
    }
    return !found.empty();
}

// The footprint index of the run, written whole to `path`; false, with the refusal, when it
// cannot be.
bool FootprintsWritten(Environment& env, const RunOutcome& outcome, const std::string& path,
                       std::ostream& errors) {
    try {
        if (const std::size_t leftOut = WriteFootprints(env.fileSystem, outcome, path)) {
            errors << "marlo-convert: "
                   << CaptionWith(caption::FootprintsLeftOut, {std::to_string(leftOut)}) << '\n';
        }
        return true;
    } catch (const Refusal& refusal) {
        env.ui.Show(refusal);
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
    if (!options.answers.outputDirectory.empty()) {
        options.answers.outputDirectory = FullPath(options.answers.outputDirectory);
    }
    if (!options.answers.projectionFile.empty()) {
        options.answers.projectionFile = FullPath(options.answers.projectionFile);
    }
    if (!options.footprints.empty()) {
        options.footprints = FullPath(options.footprints);
    }

    currentLanguage = options.language;
    ConsoleUser user(options.answers, errors);
    Environment env(user);
    env.folders = {UserDataFolder(), ShippedProjectionFolder()};
    RunChoices choices;
    SelectFormats(choices.options, FormatNamed(options.from), FormatNamed(options.to));
    choices.keepGoing = options.keepGoing;
    // The list serves this run from its first step: its codes, and the window's groups.
    if (!options.answers.projectionFile.empty()) {
        try {
            UseProjectionList(env, options.answers.projectionFile);
        } catch (const Refusal& refusal) {
            user.Show(refusal);
            return kExitNotDone;
        } catch (const RunTimeError& error) {
            errors << "marlo-convert: " << error.description() << '\n';
            return kExitNotDone;
        }
    }
    choices.existing = ExistingRule(options.existing);
    const RunOutcome outcome = cmbOK_Click(env, choices);
    if (const std::string note = WithoutSystemText(outcome); !note.empty()) {
        errors << "marlo-convert: " << note << '\n';
    }
    if (!outcome.files.empty()) {
        out << SummaryText(outcome);
    }
    const bool footprintsWritten = options.footprints.empty() || outcome.files.empty() ||
                                   FootprintsWritten(env, outcome, options.footprints, errors);
    const bool anyFailed = CountOf(outcome, FileResult::Failed) > 0;
    return outcome.done && !anyFailed && footprintsWritten ? kExitDone : kExitNotDone;
}

}  // namespace marlo::cli
