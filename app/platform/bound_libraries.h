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

// The exports of Pelcor and Vantrel as the program calls them.
using TiffHdrReadDbl = std::int32_t(const char*, double*, double*, double*, double*, double*,
                                    double*);
using TiffHdrWriteDbl = std::int32_t(const char*, double, double, double, double, double, double);
using TiffHdrWriteKeyedDbl = std::int32_t(const char*, double, double, double, double, double,
                                          double, std::int32_t, std::int32_t);
using TiffHdrReadKeysInt = std::int32_t(const char*, std::int32_t*, std::int32_t*, std::int32_t*);
using CheckTiffResolutionFunction = std::int32_t(const char*);
using TiffSizeFunction = std::int32_t();

}  // namespace marlo
