#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "environment/environment.h"

namespace marlo::cli {

// What the command line says a run is: everything its plan is made from.
struct RunArguments {
    FileFormat from = FileFormat::None;
    FileFormat to = FileFormat::None;
    // Full paths: files, and folders whose files of the input format are taken.
    std::vector<std::string> inputs;
    bool withSubfolders = false;
    std::string outputDirectory;
    std::string group;
    std::string projection;
    bool keepGoing = false;
    ExistingOutputs existing = ExistingOutputs::AsBefore;
    // GeoTIFF tags go into the input images themselves (--in-place).
    bool inPlace = false;
};

// Prints the messages and error reports of marlo-convert to the error stream.
class ConsoleReports final : public ErrorReportViewer {
public:
    explicit ConsoleReports(std::ostream& errors) : errors_(errors) {}
    void ShowErrorReport(const std::string& report) override;
    void ShowMessage(const RunMessage& message);

private:
    std::ostream& errors_;
};

// The plan of a run as the arguments make it, asking nobody; nothing, with the reason printed
// to the error stream, when the arguments do not make a whole plan. A refusal (messages 2 to 5,
// a damaged list, an existing output with --existing stop) goes on to the caller.
std::optional<RunPlan> PlanFromArguments(Environment& env, const RunArguments& arguments,
                                         std::ostream& errors);

}  // namespace marlo::cli
