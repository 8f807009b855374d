#include "platform/name_lookup.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/utf8.h"

namespace marlo {

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> SplitComponents(const std::string& path) {
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

// The entry of `folder` that Windows would open for `wanted`: among the entries whose names
// compare equal, one spelled exactly as `wanted` without its trailing blanks and dots, else
// the first in byte order, so that the choice does not depend on the folder's listing order.
// One pass over the folder.
std::optional<std::string> MatchInFolder(const std::string& folder, std::string_view wanted) {
    const std::u32string key = ComparableName(wanted);
    if (key.empty()) {
        return std::nullopt;
    }
    const std::string_view trimmed = wanted.substr(0, wanted.find_last_not_of(" .") + 1);
    std::optional<std::string> best;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (ComparableName(name) != key) {
            continue;
        }
        if (name == trimmed) {
            return name;
        }
        if (!best || name < *best) {
            best = std::move(name);
        }
    }
    return best;
}

}  // namespace

std::u32string ComparableName(std::string_view name) {
    return utf8::CaseFolded(name.substr(0, name.find_last_not_of(" .") + 1));
}

std::string LookUpWindowsStyle(const std::string& path) {
    if (path.empty() || Exists(path)) {
        return path;
    }
    std::string resolved;
    bool lookingUp = true;
    const std::vector<std::string> components = SplitComponents(path);
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        const std::string folder = i == 0 ? "." : (resolved.empty() ? "/" : resolved);
        if (i > 0) {
            resolved += '/';
        }
        const bool special = component.empty() || component == "." || component == "..";
        if (lookingUp && !special && !Exists(resolved + component)) {
            const auto match = MatchInFolder(folder, component);
            // Past a missing component the rest keeps the spelling the program gave it.
            lookingUp = match.has_value();
            resolved += lookingUp ? *match : component;
        } else {
            resolved += component;
        }
    }
    return resolved;
}

}  // namespace marlo
