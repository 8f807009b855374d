#include "platform/bound_libraries.h"

#include <memory>

namespace marlo {

SharedLibrary& LoadedLibrary(const std::string& fileName) {
    static std::map<std::string, std::unique_ptr<SharedLibrary>> libraries;
    auto& library = libraries[fileName];
    if (!library) {
        library = std::make_unique<SharedLibrary>(fileName);
    }
    return *library;
}

}  // namespace marlo
