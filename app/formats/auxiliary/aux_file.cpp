#include "formats/auxiliary/aux_file.h"

#include <filesystem>
#include <vector>

#include "platform/failures.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kRootName = "PAMDataset";

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool IsLink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(path, ec);
}

// A side file's bytes, when it is there: one too large to read, or one that cannot be read,
// refuses its image, which must not be converted as if the file said nothing.
std::optional<std::string> ReadSideFile(const Texts& texts, const FileSystemService& files,
                                        const std::string& path) {
    if (!IsRegularFile(path)) {
        return std::nullopt;
    }
    std::error_code ec;
    if (fs::file_size(path, ec) > kMaxSideFileSize && !ec) {
        throw Refusal(texts.MessageWithPath(msg::SideFileTooLarge, path));
    }
    ReportedResult<std::string> read = files.CheckedTextBytes(path);
    if (read.error) {
        throw Refusal(texts.Message(msg::UnableToOpen) + path);
    }
    return std::move(read.value);
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string SrsElement(const AuxiliarySystem& system) {
    std::string element = "<SRS";
    if (!system.axisMapping.empty()) {
        element += " dataAxisToSRSAxisMapping=\"" + system.axisMapping + "\"";
    }
    return element + ">" + Escaped(system.wkt) + "</SRS>";
}

// The names GDAL tries for a side file on a file system that tells letter cases apart.
std::vector<std::string> CaseVariants(const std::string& path) {
    const std::string folder = path.substr(0, path.rfind('/') + 1);
    const std::string name = path.substr(folder.size());
    std::string upperExtension = ReplaceExtension(name, ".PRJ");
    std::string upper = name;
    std::string lower = name;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return {path, folder + upperExtension, folder + upper, folder + lower};
}

}  // namespace

std::string AuxFilePath(const std::string& imagePath) {
    return imagePath + ".aux.xml";
}

std::optional<std::string> FindPrjFile(const std::string& imagePath) {
    for (const std::string& candidate : CaseVariants(ReplaceExtension(imagePath, ".prj"))) {
        if (IsRegularFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

PamSrs AuxSystemIn(const std::string& text) {
    return ScanPam(text).srs;
}

std::optional<std::string> ReadAuxSystem(const Texts& texts, const FileSystemService& files,
                                         const std::string& imagePath) {
    const std::string path = AuxFilePath(imagePath);
    const auto text = ReadSideFile(texts, files, path);
    if (!text) {
        return std::nullopt;
    }
    PamSrs srs = AuxSystemIn(*text);
    if (srs.kind == PamSrs::Kind::Unclear) {
        throw Refusal(texts.MessageWithPath(msg::AuxFileUnclear, path));
    }
    return srs.kind == PamSrs::Kind::System ? std::optional(std::move(srs.text)) : std::nullopt;
}

std::optional<std::string> ReadPrjText(const Texts& texts, const FileSystemService& files,
                                       const std::string& imagePath) {
    const auto path = FindPrjFile(imagePath);
    return path ? ReadSideFile(texts, files, *path) : std::nullopt;
}

std::optional<std::string> WithAuxSystem(const std::string& existing,
                                         const AuxiliarySystem& system) {
    const std::string element = SrsElement(system);
    if (existing.empty()) {
        return std::string("<") + std::string(kRootName) + ">\n  " + element + "\n</" +
               std::string(kRootName) + ">\n";
    }
    const PamLayout pam = ScanPam(existing);
    if (!pam.wellFormed || !pam.rootFirst || pam.rootName != kRootName || pam.rootSelfClosing) {
        return std::nullopt;
    }
    if (pam.srsElement) {
        return existing.substr(0, pam.srsBegin) + element + existing.substr(pam.srsEnd);
    }
    // First in the root, where GDAL writes it: blanks before it follow markup, so they join
    // no text GDAL reads.
    return existing.substr(0, pam.rootStartTagEnd) + "\n  " + element +
           existing.substr(pam.rootStartTagEnd);
}

std::optional<std::string> AuxTextWithSystem(const Texts& texts, const FileSystemService& files,
                                             const std::string& imagePath,
                                             const AuxiliarySystem& system) {
    const std::string path = AuxFilePath(imagePath);
    if (IsLink(path)) {
        throw Refusal(texts.MessageWithPath(msg::AuxFileIsALink, path));
    }
    return WithAuxSystem(ReadSideFile(texts, files, path).value_or(""), system);
}

}  // namespace marlo
