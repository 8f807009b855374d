#include "formats/auxiliary/aux_file.h"

#include <filesystem>

#include "platform/failures.h"
#include "state/paths.h"

namespace marlo {

namespace {

constexpr std::string_view kRootOpen = "<PAMDataset";
constexpr std::string_view kRootClose = "</PAMDataset>";
constexpr std::string_view kSrsOpen = "<SRS";
constexpr std::string_view kSrsClose = "</SRS>";

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::optional<std::string> ReadIfPresent(const FileSystemService& files, const std::string& path) {
    if (!IsRegularFile(path)) {
        return std::nullopt;
    }
    return files.ReadTextBytes(path);
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

std::string Unescaped(const std::string& text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&quot;", '"'}, {"&apos;", '\''}, {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}};
    std::string plain;
    for (std::size_t at = 0; at < text.size();) {
        bool replaced = false;
        for (const auto& [entity, character] : kEntities) {
            if (text.compare(at, entity.size(), entity) == 0) {
                plain += character;
                at += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            plain += text[at++];
        }
    }
    return plain;
}

// Where the SRS element stands: from its "<SRS" to past its "</SRS>" (or its "/>"). An element
// that opens and never closes is malformed: nothing may be read from or written into it.
struct ElementSpan {
    bool found = false;
    bool malformed = false;
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t contentBegin = 0;
    std::size_t contentEnd = 0;
};

bool EndsElementName(char c) {
    return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

ElementSpan FindSrs(const std::string& text) {
    for (std::size_t at = text.find(kSrsOpen); at != std::string::npos;
         at = text.find(kSrsOpen, at + 1)) {
        const std::size_t after = at + kSrsOpen.size();
        // "<SRSName" or the like is another element.
        if (after < text.size() && !EndsElementName(text[after])) {
            continue;
        }
        const std::size_t tagEnd = text.find('>', after);
        if (tagEnd == std::string::npos) {
            return {true, true};
        }
        if (text[tagEnd - 1] == '/') {
            return {true, false, at, tagEnd + 1, tagEnd + 1, tagEnd + 1};
        }
        const std::size_t close = text.find(kSrsClose, tagEnd);
        if (close == std::string::npos) {
            return {true, true};
        }
        return {true, false, at, close + kSrsClose.size(), tagEnd + 1, close};
    }
    return {};
}

std::string SrsElement(const AuxiliarySystem& system) {
    std::string element = "<SRS";
    if (!system.axisMapping.empty()) {
        element += " dataAxisToSRSAxisMapping=\"" + system.axisMapping + "\"";
    }
    return element + ">" + Escaped(system.wkt) + "</SRS>";
}

}  // namespace

std::string AuxFilePath(const std::string& imagePath) {
    return imagePath + ".aux.xml";
}

std::string PrjFilePath(const std::string& imagePath) {
    return ReplaceExtension(imagePath, ".prj");
}

std::optional<std::string> AuxSystemIn(const std::string& text) {
    const ElementSpan srs = FindSrs(text);
    if (!srs.found || srs.malformed || srs.contentBegin == srs.contentEnd) {
        return std::nullopt;
    }
    return Unescaped(text.substr(srs.contentBegin, srs.contentEnd - srs.contentBegin));
}

std::optional<std::string> ReadAuxSystem(const FileSystemService& files,
                                         const std::string& imagePath) {
    const auto text = ReadIfPresent(files, AuxFilePath(imagePath));
    return text ? AuxSystemIn(*text) : std::nullopt;
}

std::optional<std::string> ReadPrjText(const FileSystemService& files,
                                       const std::string& imagePath) {
    return ReadIfPresent(files, PrjFilePath(imagePath));
}

std::optional<std::string> WithAuxSystem(const std::string& existing,
                                         const AuxiliarySystem& system) {
    const std::string element = SrsElement(system);
    if (existing.empty()) {
        return std::string(kRootOpen) + ">\n  " + element + "\n" + std::string(kRootClose) + "\n";
    }
    const std::size_t root = existing.find(kRootOpen);
    const std::size_t rootClose = existing.rfind(kRootClose);
    if (root == std::string::npos || rootClose == std::string::npos || rootClose < root) {
        return std::nullopt;
    }
    const ElementSpan srs = FindSrs(existing);
    if (srs.malformed || (srs.found && (srs.begin < root || srs.end > rootClose))) {
        return std::nullopt;
    }
    if (srs.found) {
        return existing.substr(0, srs.begin) + element + existing.substr(srs.end);
    }
    return existing.substr(0, rootClose) + "  " + element + "\n" + existing.substr(rootClose);
}

std::optional<std::string> AuxTextWithSystem(const FileSystemService& files,
                                             const std::string& imagePath,
                                             const AuxiliarySystem& system) {
    try {
        return WithAuxSystem(ReadIfPresent(files, AuxFilePath(imagePath)).value_or(""), system);
    } catch (const RunTimeError&) {
        return std::nullopt;
    }
}

}  // namespace marlo
