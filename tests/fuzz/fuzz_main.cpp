// libFuzzer's entry for the target named by FUZZ_TARGET at compile time.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return marlo::fuzz::FUZZ_TARGET(data, size);
}
