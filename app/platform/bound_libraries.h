#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/shared_library.h"

namespace marlo {

// The libraries the program loads by file name stay loaded, and their functions stay bound,
// for the rest of the process: each is looked for once, on the first call that needs it.
SharedLibrary& LoadedLibrary(const std::string& fileName);

// The function `functionName` of the library `libraryFileName`, bound on its first call.
template <class Signature>
LazyFunction<Signature>& BoundFunction(const std::string& libraryFileName,
                                       const std::string& functionName) {
    static std::map<std::string, LazyFunction<Signature>> functions;
    const std::string key = libraryFileName + '\n' + functionName;
    auto found = functions.find(key);
    if (found == functions.end()) {
        found = functions.try_emplace(key, LoadedLibrary(libraryFileName), functionName).first;
    }
    return found->second;
}

}  // namespace marlo

// A library's function bound by name, with the type its header declares: the program never
// links these libraries, so only the declaration's type is taken, and a header that changes
// changes every call with it.
#define MARLO_BOUND(libraryFileName, function) \
    ::marlo::BoundFunction<decltype(::function)>(libraryFileName, #function)
