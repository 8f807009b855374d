#pragma once

#include <cstdint>
#include <optional>

#include "platform/failures.h"

namespace marlo::test {

// The refusal `step` ends with; nothing when it finishes.
template <class Step>
std::optional<Refusal> RefusalOf(Step&& step) {
    try {
        step();
    } catch (const Refusal& refusal) {
        return refusal;
    }
    return std::nullopt;
}

// The number of the run-time error `step` raises; 0 when it raises none.
template <class Step>
std::int32_t ErrorNumberOf(Step&& step) {
    try {
        step();
    } catch (const RunTimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace marlo::test
