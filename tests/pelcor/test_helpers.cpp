#include "test_helpers.h"

#include "pelcor/pelcor.h"

namespace pelcor {

std::ostream& operator<<(std::ostream& out, const WorldParams& w) {
    return out << "{" << w.pixelSizeX << ", " << w.rotationY << ", " << w.rotationX << ", "
               << w.pixelSizeY << ", " << w.originX << ", " << w.originY << "}";
}

}  // namespace pelcor

namespace pelcor_test {

std::optional<World> ReadWorld(const std::string& path) {
    World w;
    if (tiffHdrReadDbl(path.c_str(), &w.pixelSizeX, &w.rotationY, &w.rotationX, &w.pixelSizeY,
                       &w.originX, &w.originY) != 1) {
        return std::nullopt;
    }
    return w;
}

bool WriteWorld(const std::string& path, const World& w) {
    return tiffHdrWriteDbl(path.c_str(), w.pixelSizeX, w.rotationY, w.rotationX, w.pixelSizeY,
                           w.originX, w.originY) == 1;
}

}  // namespace pelcor_test
