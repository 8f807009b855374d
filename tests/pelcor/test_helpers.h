#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "georeference.h"
#include "support/tiff_builder.h"

namespace pelcor {
std::ostream& operator<<(std::ostream& out, const WorldParams& world);
}

namespace pelcor_test {

using namespace marlo::test;  // the shared TIFF builder

// The six parameters in world-file order: A, D, B, E, X0, Y0.
using World = pelcor::WorldParams;

inline constexpr World kNorthUp{2, 0, 0, -3, 1001, 4998.5};
inline constexpr World kRotated{2, 0.5, 0.25, -3, 1001, 4998.5};

std::optional<World> ReadWorld(const std::string& path);
bool WriteWorld(const std::string& path, const World& world);

}  // namespace pelcor_test
