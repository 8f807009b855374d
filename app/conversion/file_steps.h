#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "conversion/input_systems.h"
#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "errors/error_report.h"
#include "formats/tab/tab_reader.h"
#include "values/georeference.h"

namespace marlo {

// What writing an output gives back: the output, the image it places and the image's size
// when the writer measured it (0 otherwise), and the name of an image whose .aux.xml could not
// take the table's coordinate system ("" when nothing was lost).
struct OutputWritten {
    std::string output;
    std::string image;
    ImageSize size;
    std::string withoutSystem;
};

// One file on its way: the run it belongs to, and which of its files it is. The steps note
// the errors they report themselves and go on after in `reported`, which the run reports.
struct FileJob {
    const RunPlan& plan;
    std::size_t file;
    std::string inputPath;
    mutable ReportedErrors reported = {};
};

// The result of a check that reports its own unexpected error, the error noted for the run.
template <class T>
T Noted(const FileJob& job, ReportedResult<T> result) {
    if (result.error) {
        job.reported.push_back(std::move(*result.error));
    }
    return std::move(result.value);
}

using InputReader = InputRead (*)(const Environment&, const FileJob&);
using OutputWriter = OutputWritten (*)(Environment&, const FileJob&, const InputRead&,
                                       const OutputSystem&);

// A step as the error report names it, and whether the step reports an unexpected error
// itself or hands it on to the run.
struct ErrorFrame {
    Procedure procedure;
    ErrorLevel level;
};

// How one format is read and written.
struct FormatSteps {
    FileFormat format;
    InputReader read;
    ErrorFrame readFrame;
    OutputWriter write;
    ErrorFrame writeFrame;
};

// The steps of a format (GeoTIFF, TAB or TFW).
const FormatSteps& StepsOf(FileFormat format);

// The output of a file that exists before the run writes it; nothing for a file whose output
// does not exist yet, or whose output cannot be known before it is read.
std::optional<std::string> ExistingOutputOf(Environment& env, const FileJob& job);

// The image a file's output is about, as its steps find it, from the image its input names
// (`named`: the image a table's reader found, else the input itself): for a GeoTIFF copied
// from a world file's image, that image; "" when it cannot be found.
std::string OutputImageOf(const FileSystemService& files, const FileJob& job,
                          const std::string& named);

// The file's input as planning read it; the failure reading it met is raised here instead, in
// the file's turn.
const InputRead& PlannedReadOf(const FileJob& job);

// Refuses a file the user names for the run to write besides its outputs (its summary, its
// footprint index) when it is one of the run's own files: an input (message 35) or the output
// of an input, a world file's .aux.xml included (message 46). Outputs count whether or not
// the run got to write them.
void RequireApartFromRunFiles(const Texts& texts, const RunPlan& plan, const std::string& path);
// What each file of the run writes (its output, and a world file's .aux.xml), from the images
// the plan noted; nothing for a file whose outputs cannot be known before it is read.
std::vector<std::vector<std::string>> PlannedOutputsOf(const RunPlan& plan);
// For each file, the output an earlier file of the run writes too ("" for none). The output
// folder must be in the plan: the outputs are named by where they go.
std::vector<std::string> OutputsTakenEarlier(const RunPlan& plan);

// The pixel width and height of the image at `path`: a TIFF's as Vantrel measures it, another
// image's as its header states it; zero for what is no readable image. A library that cannot
// be bound gives no size, and the error a call would raise with it.
ReportedResult<ImageSize> MeasuredImage(const Environment& env, const std::string& path);
// The same, for a table: the error comes back for the run to report, with this procedure noted.
ReportedResult<ImageSize> GetTiffInfo(const Environment& env, const std::string& path);

// Moves the origin from the reference point of one side to that of another: the world file
// and the GeoTIFF side (as Pelcor gives and takes it) hold the centre of the first pixel, a
// table its outer corner. Raises run-time error 6 when the result is not a finite number.
Georeference MoveOrigin(Georeference georeference, FileFormat from, FileFormat to);

}  // namespace marlo
