#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace pelcor_test {

// The six parameters in world-file order: A, D, B, E, X0, Y0.
struct World {
    double pixelSizeX = 0;
    double rotationY = 0;
    double rotationX = 0;
    double pixelSizeY = 0;
    double originX = 0;
    double originY = 0;
    bool operator==(const World&) const = default;
};
std::ostream& operator<<(std::ostream& out, const World& world);

inline constexpr World kNorthUp{2, 0, 0, -3, 1001, 4998.5};
inline constexpr World kRotated{2, 0.5, 0.25, -3, 1001, 4998.5};

std::optional<World> ReadWorld(const std::string& path);
bool WriteWorld(const std::string& path, const World& world);

}  // namespace pelcor_test
