#include <iostream>

#include "cli/command_line.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return marlo::cli::RunMarloConvert(arguments, std::cout, std::cerr);
}
