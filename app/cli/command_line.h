#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace marlo::cli {

// Exit statuses of marlo-convert.
constexpr int kExitDone = 0;
constexpr int kExitNotDone = 1;
constexpr int kExitUsage = 2;

// Runs marlo-convert with its arguments (without the program name): the same conversion run as
// the window's start button, every question answered from the arguments.
int RunMarloConvert(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& errors);

}  // namespace marlo::cli
