#pragma once

#include <string>

namespace marlo {

// The per-user data folder that takes the place of the program's own folder for files the
// program keeps: $XDG_DATA_HOME/Marlo, by default ~/.local/share/Marlo. Not created here.
std::string UserDataFolder();

// The folder that holds the running program.
std::string ProgramFolder();

}  // namespace marlo
