#pragma once

#include <optional>
#include <string>
#include <vector>

#include "environment/environment.h"
#include "platform/user_interaction.h"
#include "projection/projection_window.h"

namespace marlo {

// The answer of the projection window: a CoordSys clause ("" when the inputs need none or a
// GeoTIFF gets none); no choice, the window or the locate dialog closed without one; or a
// failure: a list cut short chosen in the window (its message shown there), or an unexpected
// error, which comes back in `error` for the caller to report.
struct ProjectionAnswer {
    enum class Kind { Chosen, Cancelled, Failed };
    Kind kind = Kind::Failed;
    std::string clause;
    std::optional<RunTimeError> error = {};
};

// The CoordSys clause for a run's tables (or GeoTIFFs made from world files), chosen by the
// user in the projection window. Refuses a projection list that is missing or not whole.
ProjectionAnswer AskForProjection(Environment& env, UserInteraction& ui,
                                  const ProjectionQuestion& question);

// Makes the list at `path` the one in use from now on, as the window's "another list" does:
// copied into the per-user folder. Refuses a list that is gone or not whole.
void UseProjectionList(Environment& env, const std::string& path);

// The projection list that codes are looked up in: the located one, else the one shipped with
// the program; no lines when there is neither. Refuses (message 38) a list that is not whole.
std::vector<std::string> CodeList(const Environment& env);

// The folder of the projection list shipped with the program: installed beside the program
// (<program folder>/../share/marlo/projections), in the source tree of a build, or in the
// installation's data folder; "" when none of them holds the list.
std::string ShippedProjectionFolder();

}  // namespace marlo
