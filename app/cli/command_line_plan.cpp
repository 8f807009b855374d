#include "cli/command_line_plan.h"

#include "conversion/input_systems.h"
#include "conversion/planning.h"
#include "projection/projection_list.h"
#include "text/catalogue.h"
#include "text/line_breaks.h"
#include "text/trimmed.h"

namespace marlo::cli {

namespace {

// The same name: spelled exactly, or equal once the blanks around both are left aside
// ("--group ' Poland '").
bool SameName(const std::string& listed, const std::string& wanted) {
    return listed == wanted || Trimmed(listed) == Trimmed(wanted);
}

// The entry named `name` in the group named `group`: an exact spelling wins over one that
// differs only in the blanks around it.
std::optional<ProjectionEntry> EntryNamed(const std::vector<std::string>& lines,
                                          const std::string& group, const std::string& name,
                                          std::ostream& errors) {
    std::optional<std::size_t> header;
    for (std::size_t line = 0; line < lines.size(); ++line) {
        const auto listed = GroupName(lines[line]);
        if (listed && (Trimmed(*listed) == group || (!header && SameName(*listed, group)))) {
            header = line;
            if (Trimmed(*listed) == group) {
                break;
            }
        }
    }
    if (group.empty() || !header) {
        errors << "marlo-convert: no projection group \"" << group
               << "\" in the projection list (--group)\n";
        return std::nullopt;
    }
    std::optional<ProjectionEntry> found;
    for (std::size_t line : GroupProjectionLines(lines, *header)) {
        const auto entry = ParseProjectionLine(lines[line]);
        if (entry && (entry->name == name || (!found && SameName(entry->name, name)))) {
            found = entry;
            if (entry->name == name) {
                break;
            }
        }
    }
    if (!found || name.empty()) {
        errors << "marlo-convert: no projection \"" << name << "\" in group \"" << group
               << "\" (--projection)\n";
        return std::nullopt;
    }
    return found;
}

// The entry --projection EPSG:CODE names: the list's, else the system GDAL knows by the code.
std::optional<ProjectionEntry> EntryCoded(const GdalBridge& bridge,
                                          const std::vector<std::string>& lines, std::int32_t code,
                                          const std::string& named, std::ostream& errors) {
    if (auto entry = EntryForCode(lines, code)) {
        return entry;
    }
    if (auto entry = EntryFromGdal(bridge, code)) {
        return entry;
    }
    errors << "marlo-convert: " << named
           << " is neither in the projection list nor a system GDAL knows and a table can hold "
              "(--projection)\n";
    return std::nullopt;
}

// Whether every input states a system of its own (or will be refused for giving none).
bool OwnSystemsCoverEveryInput(const RunPlan& plan) {
    if (!plan.offerOwnSystems) {
        return false;
    }
    for (const InputSystem& system : plan.inputSystems) {
        if (!system.stated && !system.unreadable) {
            return false;
        }
    }
    return true;
}

// The CoordSys clause for the inputs that state no system: the one --projection names, or ""
// where none is needed; nothing when one is needed and none can be had.
std::optional<std::string> ChosenClause(const GdalBridge& bridge, const RunArguments& arguments,
                                        const RunPlan& plan, std::ostream& errors) {
    const bool named = !arguments.group.empty() || !arguments.projection.empty();
    if (!named) {
        // Under --keep-going an input without a system of its own fails alone, named.
        if (plan.outputFormat == FileFormat::GeoTIFF || OwnSystemsCoverEveryInput(plan) ||
            (arguments.keepGoing && plan.offerOwnSystems)) {
            return "";
        }
        errors << "marlo-convert: an input states no coordinate system of its own: name one "
                  "with --projection EPSG:CODE, or with --group and --projection as listed "
                  "(--list-projections)\n";
        return std::nullopt;
    }
    const bool byCode = WithoutEpsgPrefix(arguments.projection) != Trimmed(arguments.projection);
    const auto code = EpsgCodeNamed(arguments.projection);
    const auto entry =
        byCode && code && arguments.group.empty()
            ? EntryCoded(bridge, plan.codeList, *code, arguments.projection, errors)
            : EntryNamed(plan.codeList, arguments.group, arguments.projection, errors);
    if (!entry) {
        return std::nullopt;
    }
    return CoordSysClause(*entry);
}

}  // namespace

void ConsoleReports::ShowErrorReport(const std::string& report) {
    errors_ << WithLineFeeds(report) << '\n';
}

void ConsoleReports::ShowMessage(const RunMessage& message) {
    if (message.kind == RunMessage::Kind::ErrorReport) {
        ShowErrorReport(message.text);
        return;
    }
    if (!message.title.empty()) {
        errors_ << message.title << ":\n";
    }
    errors_ << WithLineFeeds(message.text) << '\n';
}

std::optional<RunPlan> PlanFromArguments(Environment& env, const RunArguments& arguments,
                                         std::ostream& errors) {
    RunPlan plan;
    const ChosenFiles files =
        FilesNamed(env.fileSystem, arguments.from, arguments.inputs, arguments.withSubfolders);
    if (files.names.empty()) {
        errors << "marlo-convert: the folders named hold no files to convert\n";
        return std::nullopt;
    }
    plan.inPlace = arguments.inPlace;
    PlanInputs(env, files, arguments.to, plan);
    if (PlanNeedsProjection(plan)) {
        const auto clause = ChosenClause(BridgeOf(env), arguments, plan, errors);
        if (!clause) {
            return std::nullopt;
        }
        plan.coordSysClause = *clause;
    }
    if (plan.CopiesImages()) {
        plan.outputFolder = arguments.outputDirectory;
        if (!env.fileSystem.FolderExists(plan.outputFolder)) {
            throw Refusal(env.texts.Message(msg::OutputDirectoryMissing));
        }
    }
    plan.keepGoing = arguments.keepGoing;
    SettleExistingOutputs(env, arguments.existing, plan);
    return plan;
}

}  // namespace marlo::cli
