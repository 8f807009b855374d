// The scale bar's unit: the projection list answers for the systems it holds, without GDAL, and
// its answer must be the one GDAL gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/footprints.h"
#include "platform/file_system.h"
#include "projection/projection_list.h"
#include "support/scripted_user.h"

namespace marlo {
namespace {

TEST(SystemUnit, TheListNamesEveryListedSystemsUnitAsGdalDoes) {
    test::ScriptedUser user;
    const Environment env{user};
    const std::vector<std::string> list =
        ReadProjectionLines(FileSystemService(), MARLO_DATA_SOURCE_DIR "/projections/mapinfow.prj");
    int compared = 0;
    for (const std::string& line : list) {
        const auto entry = ParseProjectionLine(line);
        if (!entry || entry->epsg == 0) {
            continue;
        }
        for (const std::string& system : {"EPSG:" + std::to_string(entry->epsg),
                                          "CoordSys Earth Projection " + entry->parameters}) {
            EXPECT_EQ(SystemUnit(env, system, list), SystemUnit(env, system, {})) << system;
            ++compared;
        }
    }
    EXPECT_GT(compared, 100);
    EXPECT_EQ(SystemUnit(env, "EPSG:2180", list), "m");
    EXPECT_EQ(SystemUnit(env, "EPSG:4326", list), "°");
    EXPECT_EQ(SystemUnit(env, "", list), "");
}

}  // namespace
}  // namespace marlo
