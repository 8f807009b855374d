#pragma once

#include <cstddef>
#include <string>

namespace marlo {

// Where an auxiliary file (.aux.xml) holds its coordinate system, as GDAL finds it. GDAL parses
// the file with its own lenient XML parser, takes the first node of the document as the
// dataset and reads the text of that node's first child called "SRS" in any letter case (an
// attribute or a comment of that name counts too). Marlo parses strictly (expat) and answers
// only where both parsers see the same tree; anything else is unclear, never a guess.
struct PamSrs {
    enum class Kind {
        // GDAL reads no system from the file: no SRS, an empty one, or a document whose first
        // node is not the dataset (an XML declaration or a comment before it).
        None,
        // GDAL reads `text`.
        System,
        // The two parsers could read the file differently: it is not well-formed XML, declares a
        // document type, holds a processing instruction or a name GDAL's parser splits, or its
        // SRS is an attribute or a comment.
        Unclear,
    };
    Kind kind = Kind::None;
    std::string text;
};

// Where the root element and its SRS element stand, for a merge that keeps every other byte.
struct PamLayout {
    bool wellFormed = false;
    // The document's first node is its root element (only blanks and a byte order mark before
    // it), so GDAL reads the dataset from it.
    bool rootFirst = false;
    std::string rootName;
    bool rootSelfClosing = false;
    // One past the root's start tag.
    std::size_t rootStartTagEnd = 0;
    // The SRS element GDAL reads, when it is an element: its first byte and one past its last.
    bool srsElement = false;
    std::size_t srsBegin = 0;
    std::size_t srsEnd = 0;
    PamSrs srs;
};

PamLayout ScanPam(const std::string& text);

}  // namespace marlo
