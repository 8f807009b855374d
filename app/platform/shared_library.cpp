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

namespace {

// Where a library is looked for, in order: beside the program, then the run path and the
// loader's own search (the bare file name).
std::vector<std::string> LibraryCandidates(const std::string& fileName) {
    std::vector<std::string> candidates;
    const std::string folder = ProgramFolder();
    if (!folder.empty()) {
        candidates.push_back(folder + "/" + fileName);
        candidates.push_back(folder + "/../lib/marlo/" + fileName);
        candidates.push_back(folder + "/../lib/" + fileName);
    }
    candidates.push_back(fileName);
    return candidates;
}

bool Absent(const std::string& candidate) {
    return candidate.find('/') != std::string::npos && !std::filesystem::exists(candidate);
}

}  // namespace

std::string LibraryFileToLoad(const std::string& fileName) {
    for (const auto& candidate : LibraryCandidates(fileName)) {
        if (!Absent(candidate)) {
            return candidate;
        }
    }
    return fileName;
}

bool SharedLibrary::Load() {
    for (const auto& candidate : LibraryCandidates(fileName_)) {
        if (Absent(candidate)) {
            continue;
        }
        handle_ = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            return true;
        }
    }
    return false;
}

ReportedResult<void*> SharedLibrary::FindSymbol(const std::string& name) {
    if (handle_ == nullptr && !Load()) {
        return {nullptr, RunTimeError(err::FileNotFound, "File not found: " + fileName_)};
    }
    void* symbol = dlsym(handle_, name.c_str());
    if (symbol == nullptr) {
        return {nullptr, RunTimeError(err::EntryPointNotFound,
                                      "Can't find DLL entry point " + name + " in " + fileName_)};
    }
    return {symbol, std::nullopt};
}

}  // namespace marlo
