#include "values/paths.h"

#include <algorithm>
#include <vector>

#include "platform/name_lookup.h"

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
    for (const std::string& segment : SplitPathComponents(joined)) {
        if (segment == "..") {
            if (!segments.empty() && segments.back() != "..") {
                segments.pop_back();
            } else if (!absolute) {
                segments.push_back(segment);
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        result += (i == 0 ? "" : "/") + segments[i];
    }
    const bool endsInFolder = !joined.empty() && joined.back() == '/' && !segments.empty();
    return endsInFolder ? result + "/" : result;
}

namespace {

std::size_t NameStart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Where the file name's last "." stands, or npos when the name has none.
std::size_t ExtensionDot(const std::string& path) {
    const auto dot = path.rfind('.');
    return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

// The extension without its ".", or "" when the file name has none.
std::string ExtensionOf(const std::string& path) {
    const auto dot = ExtensionDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

}  // namespace

std::string ReplaceExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, ExtensionDot(path)) + extension;
}

std::string LowerCaseExtension(const std::string& path) {
    return LowerAscii(ExtensionOf(path));
}

std::string LowerCaseStem(const std::string& path) {
    return LowerAscii(ReplaceExtension(path.substr(NameStart(path)), ""));
}

bool IsTiffName(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    return extension == "tif" || extension == "tiff";
}

const std::vector<std::string>& WorldFileExtensions() {
    static const std::vector<std::string> extensions = {"tfw", "tifw", "jgw", "pgw",
                                                        "gfw", "bpw",  "wld"};
    return extensions;
}

bool IsWorldFileName(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    const auto& known = WorldFileExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end() ||
           (extension.size() >= 3 && extension.back() == 'w');
}

bool IsKnownWorldFileName(const std::string& path) {
    const std::string extension = LowerCaseExtension(path);
    const auto& known = WorldFileExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}

bool WorldFileServes(const std::string& worldFilePath, const std::string& imagePath) {
    const std::string world = LowerCaseExtension(worldFilePath);
    const std::string image = LowerCaseExtension(imagePath);
    if (image.size() < 2 || image == world || image == "tab") {
        return false;
    }
    // GDAL looks for an image's world file under its extension's first and last letters and
    // "w", its extension and "w", and ".wld"; a TIFF's is also ".tfw".
    const std::string shortForm = std::string(1, image.front()) + image.back() + "w";
    return world == "wld" || world == shortForm || world == image + "w" ||
           (world == "tfw" && IsTiffName(imagePath));
}

std::vector<std::string> ImageExtensionsFor(const std::string& worldFilePath) {
    static const std::vector<std::string> images = {"tif", "tiff", "jpg", "jpeg",
                                                    "png", "gif",  "bmp"};
    std::vector<std::string> found;
    for (const std::string& image : images) {
        if (WorldFileServes(worldFilePath, "image." + image)) {
            found.push_back(image);
        }
    }
    return found;
}

std::string WorldFileNameFor(const std::string& imagePath) {
    const std::string extension = ExtensionOf(imagePath);
    if (extension.size() < 2 || IsTiffName(imagePath)) {
        return ReplaceExtension(imagePath, ".tfw");
    }
    return ReplaceExtension(
        imagePath, LowerAscii(std::string(".") + extension.front() + extension.back() + "w"));
}

}  // namespace marlo
