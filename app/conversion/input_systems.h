#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "conversion/run_plan.h"
#include "environment/environment.h"
#include "values/georeference.h"

namespace marlo {

// The coordinate systems a run carries. An output carries its input's system or none, never
// another: the chosen projection serves only inputs that state none.

// Whether a run looks codes up in the projection list: for table and GeoTIFF output, and for
// table input.
bool RunNeedsCodeList(const RunPlan& plan);

// Whether the plan notes what each input states of its system: for table output, and for
// GeoTIFFs made from world files.
bool RunNotesInputSystems(const RunPlan& plan);
// What one input states of its system; a side file that cannot be read is refused.
InputSystem StatedSystemOf(const Environment& env, const RunPlan& plan, const std::string& path);
// An input whose side files could not be read: it counts as stating a system, so that no
// chosen projection is ever meant for it, and its turn is refused with `why`.
InputSystem SideFilesRefused(const std::string& why);

// The system of one file's output: `clause` for a table, `geotiff` for a GeoTIFF. `lost` when
// the input states a system GDAL cannot write into the GeoTIFF, which then carries none.
struct OutputSystem {
    std::string clause;
    GeoTiffSystem geotiff;
    bool lost = false;
};
// `tableCoordSys` is the CoordSys line of the table just read ("" for other inputs).
OutputSystem OwnOutputSystem(const Environment& env, const RunPlan& plan, std::size_t file,
                             const std::string& tableCoordSys);

// Refuses an input whose side files could not be read while planning (with the message found
// then), and (message 34) an input whose system no table can hold.
void RequireOwnSystemWritable(const Texts& texts, const RunPlan& plan, std::size_t file);

// A table's system for the world file written beside an image: what the image's .aux.xml gets,
// as text ready to be written ("" when the image keeps its own keys or the table states none),
// and whether the system was lost because no .aux.xml can hold it. Refuses an auxiliary file
// that cannot take it, before anything is written.
struct AuxText {
    std::string text;
    bool lost = false;
};
AuxText AuxTextForWorldFile(const Environment& env, const RunPlan& plan,
                            const std::string& tableCoordSys, const std::string& imagePath);

}  // namespace marlo
