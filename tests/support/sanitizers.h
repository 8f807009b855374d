#pragma once

namespace marlo::test {

// Whether this build runs under AddressSanitizer and UndefinedBehaviorSanitizer (MARLO_SANITIZE).
#ifdef MARLO_TESTS_SANITIZED
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace marlo::test

// For tests of runs killed at random moments: a killed run reports nothing to the sanitizers, and
// their slower runs only move where the kills land, so these tests run in the optimised build.
#define SKIP_KILLED_RUNS_WHEN_SANITIZED() \
    if (::marlo::test::kSanitized)        \
    GTEST_SKIP() << "killed runs are tested in the optimised build"
