// The texts of a loaded drawing as the folder search indexes them: every text the picture shows
// (TEXT, MTEXT as plain text, attribute values with their tags, dimension and multileader texts)
// and the names a user looks for (the blocks, the layers and the file itself), each with where
// it stands.
#pragma once

#include "load/LoadDrawing.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// What an indexed text is. The numbers are stored in the search index: never renumber them.
enum class IndexedTextKind : std::uint8_t {
    FileName = 0,
    Text = 1,      // TEXT, and a constant attribute definition of a block
    MText = 2,     // MTEXT, without its formatting codes
    Attribute = 3, // an ATTRIB's value; `tag` is its tag
    Dimension = 4, // a dimension's text
    MLeader = 5,   // a multileader's text
    BlockName = 6,
    LayerName = 7,
};

struct IndexedText {
    IndexedTextKind kind = IndexedTextKind::Text;
    std::string text;   // as the picture shows it, UTF-8; MTEXT paragraphs joined by "\n"
    std::string tag;    // an attribute's tag, else empty
    std::string layout; // the layout's name; empty for the model and for names
    std::string layer;  // empty for names
    double x = 0;       // the insertion point in the space's world coordinates
    double y = 0;
    double height = 0;
    // Its index in TextAry of the drawing as loaded, so that the detail view can mark it; -1
    // for names.
    std::int64_t textIndex = -1;
};

// The texts of a drawing loaded by LoadDrawingFile, whose file is named `fileName` (without its
// folder): the file name first, then the texts in TextAry order, then the names of its blocks
// and layers. Texts without a visible character are left out.
std::vector<IndexedText> CollectDrawingTexts(const LoadedDrawing& loaded,
                                             const std::string& fileName);

} // namespace orvanta
