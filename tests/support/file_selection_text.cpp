#include "support/file_selection_text.h"

namespace marlo::test {

namespace {

constexpr char kSeparator = '\0';

// A file directly in "/" keeps "/" as its folder: "" would be no folder at all.
FileSelection SplitFullPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", {path}};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), {path.substr(slash + 1)}};
}

}  // namespace

std::string EncodeFileSelection(const std::vector<std::string>& fullPaths) {
    if (fullPaths.size() <= 1) {
        return fullPaths.empty() ? std::string() : fullPaths.front();
    }
    std::vector<std::string> names;
    for (const std::string& path : fullPaths) {
        names.push_back(SplitFullPath(path).names.front());
    }
    return EncodeFileSelection(SplitFullPath(fullPaths.front()).folder, names);
}

std::string EncodeFileSelection(const std::string& folder, const std::vector<std::string>& names) {
    std::string selection = folder;
    for (const std::string& name : names) {
        selection += kSeparator;
        selection += name;
    }
    return selection;
}

FileSelection DecodeFileSelection(const std::string& selection) {
    const auto first = selection.find(kSeparator);
    if (first == std::string::npos) {
        return SplitFullPath(selection);
    }
    FileSelection decoded{selection.substr(0, first), {}};
    std::size_t start = first + 1;
    while (start <= selection.size()) {
        auto end = selection.find(kSeparator, start);
        if (end == std::string::npos) {
            end = selection.size();
        }
        decoded.names.push_back(selection.substr(start, end - start));
        start = end + 1;
    }
    return decoded;
}

}  // namespace marlo::test
