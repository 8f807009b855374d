#include "platform/shared_library.h"

#include "platform/program_folders.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <vector>

namespace marlo {

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

void SharedLibrary::Load() {
    std::vector<std::string> candidates;
    const std::string folder = ProgramFolder();
    if (!folder.empty()) {
        candidates.push_back(folder + "/" + fileName_);
        candidates.push_back(folder + "/../lib/marlo/" + fileName_);
        candidates.push_back(folder + "/../lib/" + fileName_);
    }
    candidates.push_back(fileName_);  // the run path and the loader's own search
    for (const auto& candidate : candidates) {
        if (candidate.find('/') != std::string::npos && !std::filesystem::exists(candidate)) {
            continue;
        }
        handle_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            return;
        }
    }
    throw RunTimeError(err::FileNotFound, "File not found: " + fileName_);
}

void* SharedLibrary::Symbol(const std::string& name) {
    if (handle_ == nullptr) {
        Load();
    }
    void* symbol = dlsym(handle_, name.c_str());
    if (symbol == nullptr) {
        throw RunTimeError(err::EntryPointNotFound,
                           "Can't find DLL entry point " + name + " in " + fileName_);
    }
    return symbol;
}

}  // namespace marlo
