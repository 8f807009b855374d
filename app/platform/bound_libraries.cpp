#include "platform/bound_libraries.h"

namespace marlo {

void* BoundLibrary::Function(const std::string& name) {
    return ValueOrRaise(FindFunction(name));
}

ReportedResult<void*> BoundLibrary::FindFunction(const std::string& name) {
    if (const auto kept = functions_.find(name); kept != functions_.end()) {
        return {kept->second, std::nullopt};
    }
    ReportedResult<void*> found = library_.FindSymbol(name);
    if (!found.error) {
        functions_.emplace(name, found.value);
    }
    return found;
}

BoundLibrary& BoundLibraries::Library(const std::string& fileName) const {
    auto& library = libraries_[fileName];
    if (!library) {
        library = std::make_unique<BoundLibrary>(fileName);
    }
    return *library;
}

}  // namespace marlo
