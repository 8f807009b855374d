#pragma once

#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "platform/user_interaction.h"

namespace marlo {

// The files of the input format in a folder (and its subfolders, when asked), named from it.
ChosenFiles FilesOfFolder(const FileSystemService& files, const std::string& folder,
                          FileFormat format, bool withSubfolders);
// Files named one by one (full paths), named from the deepest folder that holds them all.
ChosenFiles FilesFromPaths(FileFormat format, const std::vector<std::string>& fullPaths);
// Files and folders named together (full paths, as on a command line or in a drop): each file
// as it is, each folder's files of the format (and its subfolders', when asked), named from the
// deepest folder that holds every one named; a file named twice is taken once.
ChosenFiles FilesNamed(const FileSystemService& files, FileFormat format,
                       const std::vector<std::string>& fullPaths, bool withSubfolders);

// The part of a plan that follows from its files and formats, the same however the plan is
// made: the formats checked (messages 2 to 4), the inputs noted, the code list read and what
// each input states of its coordinate system. The plan says beforehand whether GeoTIFF tags go
// into the images in place, which decides where the outputs are.
void PlanInputs(Environment& env, const ChosenFiles& files, FileFormat outputFormat, RunPlan& plan);
// Whether the plan needs a projection: tables always name a system, and GeoTIFFs made from
// world files may carry the chosen one.
bool PlanNeedsProjection(const RunPlan& plan);
// The outputs that exist before the run (one entry a file, "" for none), by the images the
// plan noted: no input is read again for it.
std::vector<std::string> ExistingOutputsOf(Environment& env, const RunPlan& plan);
// Settles a rule that needs no question (AsBefore, Replace, Skip, Stop) on the plan; refuses
// (message 16, naming the first) a run told to stop when an output exists. The plan's output
// folder is known by then: the outputs that two of its files would write are noted too.
void SettleExistingOutputs(Environment& env, ExistingOutputs rule, RunPlan& plan);

// The window's run: asks for what the plan needs (the files unless they were chosen, the
// projection, the output folder, what to do with existing outputs) in that order, converts
// with the progress shown, and shows the run's messages. The outcome says how far it got.
RunOutcome RunByAsking(Environment& env, UserInteraction& ui, const RunChoices& choices);

}  // namespace marlo
