// Fuzz targets that hold Marlo's readers against GDAL's own code.
#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_minixml.h>

#include <memory>
#include <optional>
#include <string>

#include "formats/auxiliary/aux_file.h"
#include "fuzz_targets.h"

namespace marlo::fuzz {

namespace {

struct TreeFree {
    void operator()(CPLXMLNode* node) const { CPLDestroyXMLNode(node); }
};
using Tree = std::unique_ptr<CPLXMLNode, TreeFree>;

Tree GdalTree(const std::string& text) {
    CPLPushErrorHandler(CPLQuietErrorHandler);
    Tree tree(CPLParseXMLString(text.c_str()));
    CPLPopErrorHandler();
    CPLErrorReset();
    return tree;
}

// What GDAL's PAM reads as the dataset's system: the first node of the document, its child
// "SRS" and that node's value ("" for none).
std::string GdalSrs(const std::string& text) {
    const Tree tree = GdalTree(text);
    const CPLXMLNode* srs = tree ? CPLGetXMLNode(tree.get(), "SRS") : nullptr;
    return srs ? CPLGetXMLValue(srs, nullptr, "") : "";
}

// The document as GDAL's parser reads it, without the node GDAL takes for the SRS.
std::optional<std::string> GdalTreeWithoutSrs(const std::string& text) {
    const Tree tree = GdalTree(text);
    if (!tree) {
        return std::nullopt;
    }
    if (CPLXMLNode* srs = CPLGetXMLNode(tree.get(), "SRS")) {
        CPLRemoveXMLChild(tree.get(), srs);
        CPLDestroyXMLNode(srs);
    }
    char* serialized = CPLSerializeXMLTree(tree.get());
    std::string kept = serialized != nullptr ? serialized : "";
    CPLFree(serialized);
    return kept;
}

}  // namespace

// Any auxiliary file: whenever Marlo says which system it states (or that it states none),
// GDAL reads the same; a system Marlo merges into it is the one GDAL then reads, and GDAL reads
// everything else in the file as before.
int AuxAgainstGdal(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const PamSrs marlo = AuxSystemIn(text);
    const std::string gdal = GdalSrs(text);
    if (marlo.kind == PamSrs::Kind::System && gdal != marlo.text) {
        Broken("Marlo reads the system [" + marlo.text + "], GDAL [" + gdal + "]");
    }
    if (marlo.kind == PamSrs::Kind::None && !gdal.empty()) {
        Broken("Marlo reads no system, GDAL [" + gdal + "]");
    }
    const AuxiliarySystem system{"PROJCS[\"a & <b>\"]", "1,2"};
    const auto merged = WithAuxSystem(text, system);
    if (!merged) {
        return 0;
    }
    if (GdalSrs(*merged) != system.wkt) {
        Broken("after the merge GDAL reads [" + GdalSrs(*merged) + "]");
    }
    // No text makes a new file, which has nothing else to keep.
    if (!text.empty() && GdalTreeWithoutSrs(*merged) != GdalTreeWithoutSrs(text)) {
        Broken("the merge changed what GDAL reads besides the SRS");
    }
    return 0;
}

}  // namespace marlo::fuzz
