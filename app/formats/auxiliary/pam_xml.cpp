#include "formats/auxiliary/pam_xml.h"

#include <expat.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace marlo {

namespace {

// The blanks GDAL's parser skips before a token (C's isspace).
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// GDAL's parser reads a name as letters, digits, '-', '_', '.' and ':'; any other character
// (a letter outside ASCII, say) ends the name there and the parser reads something else.
bool IsNameGdalReadsWhole(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (const char* c = name; *c != '\0'; ++c) {
        if (!IsAsciiAlnum(*c) && *c != '-' && *c != '_' && *c != '.' && *c != ':') {
            return false;
        }
    }
    return true;
}

// GDAL finds a node by name without regard to ASCII letter case.
bool IsSrsName(std::string_view name) {
    constexpr std::string_view kSrs = "srs";
    if (name.size() != kSrs.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kSrs.size(); ++i) {
        const char c = name[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kSrs[i]) {
            return false;
        }
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The five predefined entities and character references, which are all a document without a
// document type can hold (expat has checked each one).
std::string Unescaped(std::string_view raw) {
    constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string plain;
    for (std::size_t at = 0; at < raw.size();) {
        if (raw[at] != '&') {
            plain += raw[at++];
            continue;
        }
        const std::size_t end = raw.find(';', at);
        const std::string_view reference = raw.substr(at, end + 1 - at);
        at = end + 1;
        if (reference.size() > 3 && reference[1] == '#') {
            const bool hex = reference[2] == 'x';
            const std::string digits(
                reference.substr(hex ? 3 : 2, reference.size() - (hex ? 4 : 3)));
            AppendUtf8(plain,
                       static_cast<std::uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10)));
            continue;
        }
        for (const auto& [entity, character] : kEntities) {
            if (reference == entity) {
                plain += character;
            }
        }
    }
    return plain;
}

// One node inside the SRS element, by the bytes it spans.
struct ChildSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool cdata = false;
};

// What GDAL makes of the SRS element's content: the text of its only child when that child is
// text, else nothing. Blanks before a piece of text are skipped, and blanks alone make no node.
std::string SrsValue(const std::string& text, std::size_t contentBegin, std::size_t contentEnd,
                     const std::vector<ChildSpan>& children) {
    constexpr std::size_t kCdataOpen = 9;   // "<![CDATA["
    constexpr std::size_t kCdataClose = 3;  // "]]>"
    std::vector<std::string> texts;
    std::size_t nodes = 0;
    const auto gap = [&](std::size_t from, std::size_t to) {
        while (from < to && IsBlank(text[from])) {
            ++from;
        }
        if (from < to) {
            ++nodes;
            texts.push_back(Unescaped(std::string_view(text).substr(from, to - from)));
        }
    };
    std::size_t at = contentBegin;
    for (const ChildSpan& child : children) {
        gap(at, child.begin);
        ++nodes;
        if (child.cdata) {
            texts.push_back(text.substr(child.begin + kCdataOpen,
                                        child.end - child.begin - kCdataOpen - kCdataClose));
        }
        at = child.end;
    }
    gap(at, contentEnd);
    return nodes == 1 && texts.size() == 1 ? texts.front() : std::string();
}

// Follows expat's events and notes where the root, its SRS and the SRS's children stand.
class PamScanner {
public:
    explicit PamScanner(const std::string& text)
        : text_(text), parser_(XML_ParserCreate("UTF-8")) {}
    PamScanner(const PamScanner&) = delete;
    PamScanner& operator=(const PamScanner&) = delete;
    ~PamScanner() { XML_ParserFree(parser_); }

    PamLayout Scan() {
        if (parser_ == nullptr || text_.size() > static_cast<std::size_t>(INT32_MAX)) {
            return Unclear();
        }
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &PamScanner::OnStart, &PamScanner::OnEnd);
        XML_SetCommentHandler(parser_, &PamScanner::OnComment);
        XML_SetCdataSectionHandler(parser_, &PamScanner::OnCdataStart, &PamScanner::OnCdataEnd);
        XML_SetProcessingInstructionHandler(parser_, &PamScanner::OnInstruction);
        XML_SetStartDoctypeDeclHandler(parser_, &PamScanner::OnDoctype);
        const bool parsed = XML_Parse(parser_, text_.data(), static_cast<int>(text_.size()),
                                      XML_TRUE) == XML_STATUS_OK;
        if (!parsed || unclear_) {
            return Unclear();
        }
        layout_.wellFormed = true;
        if (!layout_.rootFirst || srsState_ == SrsState::Looking) {
            return layout_;
        }
        const std::string value = SrsValue(text_, contentBegin_, contentEnd_, children_);
        if (!value.empty()) {
            layout_.srs = {PamSrs::Kind::System, value};
        }
        return layout_;
    }

private:
    enum class SrsState { Looking, Inside, Done };

    PamLayout Unclear() {
        PamLayout layout;
        layout.srs.kind = PamSrs::Kind::Unclear;
        return layout;
    }

    std::size_t Here() const { return static_cast<std::size_t>(XML_GetCurrentByteIndex(parser_)); }
    std::size_t PastHere() const {
        return Here() + static_cast<std::size_t>(XML_GetCurrentByteCount(parser_));
    }

    void MarkUnclear() {
        unclear_ = true;
        XML_StopParser(parser_, XML_FALSE);
    }

    // GDAL's first node is the root when only blanks, after a byte order mark, stand before it.
    bool RootIsFirst(std::size_t rootBegin) const {
        std::size_t at = text_.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        while (at < rootBegin && IsBlank(text_[at])) {
            ++at;
        }
        return at == rootBegin;
    }

    void Start(const char* name, const char** attributes) {
        const int level = depth_++;
        bool namesWhole = IsNameGdalReadsWhole(name);
        bool srsAttribute = false;
        for (const char** attribute = attributes; *attribute != nullptr; attribute += 2) {
            namesWhole = namesWhole && IsNameGdalReadsWhole(*attribute);
            srsAttribute = srsAttribute || IsSrsName(*attribute);
        }
        if (!namesWhole || (level == 0 && srsAttribute)) {
            MarkUnclear();
            return;
        }
        if (level == 0) {
            layout_.rootName = name;
            layout_.rootFirst = RootIsFirst(Here());
            layout_.rootStartTagEnd = PastHere();
        } else if (level == 1 && srsState_ == SrsState::Looking && IsSrsName(name)) {
            srsState_ = SrsState::Inside;
            layout_.srsElement = true;
            layout_.srsBegin = Here();
            contentBegin_ = PastHere();
        } else if (level == 2 && srsState_ == SrsState::Inside) {
            childBegin_ = Here();
            childStartTagEnd_ = PastHere();
        }
    }

    void End() {
        const int level = --depth_;
        // An empty-element tag ("<a/>") ends where it starts, with no bytes of its own.
        const bool selfClosed = XML_GetCurrentByteCount(parser_) == 0;
        if (level == 0) {
            layout_.rootSelfClosing = selfClosed;
        } else if (level == 1 && srsState_ == SrsState::Inside) {
            srsState_ = SrsState::Done;
            contentEnd_ = selfClosed ? contentBegin_ : Here();
            layout_.srsEnd = selfClosed ? contentBegin_ : PastHere();
        } else if (level == 2 && srsState_ == SrsState::Inside) {
            // An empty child element spans its start tag alone.
            children_.push_back({childBegin_, selfClosed ? childStartTagEnd_ : PastHere(), false});
        }
    }

    void Comment(const char* data) {
        if (depth_ == 1 && srsState_ == SrsState::Looking && IsSrsName(data)) {
            // GDAL would take this comment for the SRS.
            MarkUnclear();
        } else if (depth_ == 2 && srsState_ == SrsState::Inside) {
            children_.push_back({Here(), PastHere(), false});
        }
    }

    void CdataStart() {
        if (depth_ == 2 && srsState_ == SrsState::Inside) {
            childBegin_ = Here();
        }
    }

    void CdataEnd() {
        if (depth_ == 2 && srsState_ == SrsState::Inside) {
            children_.push_back({childBegin_, PastHere(), true});
        }
    }

    static PamScanner& Of(void* data) { return *static_cast<PamScanner*>(data); }
    static void OnStart(void* data, const char* name, const char** attributes) {
        Of(data).Start(name, attributes);
    }
    static void OnEnd(void* data, const char*) { Of(data).End(); }
    static void OnComment(void* data, const char* text) { Of(data).Comment(text); }
    static void OnCdataStart(void* data) { Of(data).CdataStart(); }
    static void OnCdataEnd(void* data) { Of(data).CdataEnd(); }
    // GDAL's parser reads an instruction's text as attributes, a document type as an opaque
    // node, and expat expands what a document type declares: neither can be held to the other.
    static void OnInstruction(void* data, const char*, const char*) { Of(data).MarkUnclear(); }
    static void OnDoctype(void* data, const char*, const char*, const char*, int) {
        Of(data).MarkUnclear();
    }

    const std::string& text_;
    XML_Parser parser_;
    PamLayout layout_;
    int depth_ = 0;
    bool unclear_ = false;
    SrsState srsState_ = SrsState::Looking;
    std::size_t contentBegin_ = 0;
    std::size_t contentEnd_ = 0;
    std::size_t childBegin_ = 0;
    std::size_t childStartTagEnd_ = 0;
    std::vector<ChildSpan> children_;
};

}  // namespace

PamLayout ScanPam(const std::string& text) {
    return PamScanner(text).Scan();
}

}  // namespace marlo
