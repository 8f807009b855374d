// Every input kept for the fuzz targets, the seed corpus and each failure a fuzz run found,
// goes through its target on every test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz_targets.h"

namespace marlo::fuzz {
namespace {

class FuzzInputsTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzInputsTest, EveryKeptInputIsHandled) {
    std::size_t inputs = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const std::filesystem::path folder =
            std::filesystem::path(MARLO_FUZZ_DIR) / kind / GetParam().name;
        if (!std::filesystem::is_directory(folder)) {
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
            SCOPED_TRACE(entry.path().string());
            GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0u) << "no kept inputs for " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputsTest, ::testing::ValuesIn(Targets()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace marlo::fuzz
