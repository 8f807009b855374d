#include "state/paths.h"

#include <vector>

namespace marlo {

std::string JoinPath(const std::string& folder, const std::string& fileName) {
    return folder + "/" + fileName;
}

std::string GetFilePath(const std::string& FileNamePath) {
    const auto slash = FileNamePath.rfind('/');
    return slash == std::string::npos ? std::string() : FileNamePath.substr(0, slash + 1);
}

std::string FolderOfPath(const std::string& path) {
    const std::string folder = GetFilePath(path);
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

std::string GetFileNameAndType(const std::string& FileNamePath) {
    const auto slash = FileNamePath.rfind('/');
    return slash == std::string::npos ? std::string() : FileNamePath.substr(slash + 1);
}

std::string GetAbsolutePath(const std::string& BasePath, const std::string& RelativePath) {
    // An absolute reference (a table may name its image so) must not be glued onto the base.
    const bool standsAlone = !RelativePath.empty() && RelativePath.front() == '/';
    const std::string joined = standsAlone ? RelativePath : BasePath + RelativePath;
    const bool absolute = !joined.empty() && joined.front() == '/';
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) {
            end = joined.size();
        }
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty() && segments.back() != "..") {
                segments.pop_back();
            } else if (!absolute) {
                segments.push_back(segment);
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        result += (i == 0 ? "" : "/") + segments[i];
    }
    const bool endsInFolder = !joined.empty() && joined.back() == '/' && !segments.empty();
    return endsInFolder ? result + "/" : result;
}

std::string ReplaceExtensionAtFirstDot(const std::string& path, const std::string& extension) {
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.find('.', nameStart);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + extension;
}

}  // namespace marlo
