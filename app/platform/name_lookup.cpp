#include "platform/name_lookup.h"

#include <filesystem>

#include "platform/entry_probes.h"
#include "platform/utf8.h"

namespace marlo {

namespace fs = std::filesystem;

std::vector<std::string> SplitPathComponents(const std::string& path) {
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        components.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return components;
}

std::u32string ComparableName(std::string_view name) {
    return utf8::CaseFolded(name.substr(0, name.find_last_not_of(" .") + 1));
}

const std::vector<std::string>& NameLookup::Listing(const std::string& folder) {
    auto found = listings_.find(folder);
    if (found == listings_.end()) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            names.push_back(it->path().filename().string());
        }
        found = listings_.emplace(folder, std::move(names)).first;
    }
    return found->second;
}

std::optional<std::string> NameLookup::Find(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    if (EntryKindAt(path) != EntryKind::Nothing) {
        return path;
    }
    std::string resolved;
    const std::vector<std::string> components = SplitPathComponents(path);
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        const std::string folder = i == 0 ? "." : (resolved.empty() ? "/" : resolved);
        if (i > 0) {
            resolved += '/';
        }
        const bool special = component.empty() || component == "." || component == "..";
        if (special || EntryKindAt(resolved + component) != EntryKind::Nothing) {
            resolved += component;
            continue;
        }
        const std::u32string key = ComparableName(component);
        std::optional<std::string> match;
        for (const std::string& name : Listing(folder)) {
            if (!key.empty() && ComparableName(name) == key) {
                if (match) {
                    return std::nullopt;  // two candidates: neither is the one meant
                }
                match = name;
            }
        }
        if (!match) {
            return std::nullopt;
        }
        resolved += *match;
    }
    return resolved;
}

}  // namespace marlo
