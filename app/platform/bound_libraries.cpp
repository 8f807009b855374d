#include "platform/bound_libraries.h"

namespace marlo {

void* BoundLibrary::Function(const std::string& name) {
    const auto found = functions_.find(name);
    if (found != functions_.end()) {
        return found->second;
    }
    void* function = library_.Symbol(name);
    functions_.emplace(name, function);
    return function;
}

BoundLibrary& BoundLibraries::Library(const std::string& fileName) const {
    auto& library = libraries_[fileName];
    if (!library) {
        library = std::make_unique<BoundLibrary>(fileName);
    }
    return *library;
}

}  // namespace marlo
