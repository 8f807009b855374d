// Replays every input the fuzzer ever failed on: each must be handled without a crash, and a
// refused write must leave it as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "test_helpers.h"

namespace pelcor_test {
namespace {

using marlo::test::ReadBytes;
using marlo::test::TempFolder;

TEST(PelcorRegressionTest, EveryKeptFuzzerInputIsHandled) {
    TempFolder folder;
    for (const auto& input : std::filesystem::directory_iterator(PELCOR_REGRESSIONS_DIR)) {
        SCOPED_TRACE(input.path().string());
        const std::string bytes = ReadBytes(input.path().string());
        for (const World& world : {kNorthUp, kRotated}) {
            const std::string path = folder.Write("input.tif", bytes);
            ReadWorld(path);
            if (!WriteWorld(path, world)) {
                EXPECT_EQ(ReadBytes(path), bytes);
            }
            ReadWorld(path);
        }
    }
}

}  // namespace
}  // namespace pelcor_test
