#include "load/DrawingTexts.h"

#include "geometry/Layouts.h"
#include "geometry/TextCodes.h"

namespace orvanta {

namespace {

// An MTEXT string as plain text: its paragraphs ("\P" breaks; "\\" is a backslash, not the start
// of a code) without their formatting codes, joined by line feeds.
std::string PlainMText(const std::string& text) {
    std::string plain, line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == 'P') {
                if (!plain.empty()) plain += '\n';
                plain += MTextToPlain(line);
                line.clear();
                ++i;
                continue;
            }
            line += text[i];
            line += text[++i];
            continue;
        }
        line += text[i];
    }
    if (!plain.empty()) plain += '\n';
    plain += MTextToPlain(line);
    return plain;
}

IndexedTextKind KindOf(const TTextBlk& text) {
    switch (text.kind) {
    case TextKind::MText:
        return IndexedTextKind::MText;
    case TextKind::Attribute:
        return IndexedTextKind::Attribute;
    case TextKind::Dimension:
        return IndexedTextKind::Dimension;
    case TextKind::MLeader:
        return IndexedTextKind::MLeader;
    case TextKind::Text:
    case TextKind::AttributeDefinition:
        break;
    }
    return text.mtflag ? IndexedTextKind::MText : IndexedTextKind::Text;
}

bool HasVisibleCharacter(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") != std::string::npos;
}

} // namespace

std::vector<IndexedText> CollectDrawingTexts(const LoadedDrawing& loaded,
                                             const std::string& fileName) {
    const Drawing& drawing = loaded.drawing;
    std::vector<IndexedText> texts;
    texts.reserve(drawing.TextAry.size() + loaded.blockNames.size() + drawing.LayerAry.size() + 1);
    if (!fileName.empty()) texts.push_back({IndexedTextKind::FileName, fileName});

    for (std::size_t i = 0; i < drawing.TextAry.size(); ++i) {
        const TTextBlk& t = drawing.TextAry[i];
        // Records marked below the model's space are neither drawn nor measured.
        if (t.code67 < 0) continue;
        IndexedText& out = texts.emplace_back();
        out.kind = KindOf(t);
        // A multi-line attribute is drawn as the MTEXT it embeds.
        out.text = RewriteSpecialCodes(t.mtflag ? PlainMText(t.str) : t.str);
        if (!HasVisibleCharacter(out.text)) {
            texts.pop_back();
            continue;
        }
        if (t.tag != 0 && t.tag < drawing.TagAry.size()) out.tag = drawing.TagAry[t.tag].str();
        if (t.code67 > 0) {
            const int layout = LayoutOfSpace(drawing, t.code67);
            if (layout >= 0) out.layout = drawing.LayoutAry[layout].name;
        }
        out.layer = t.layer.str();
        out.x = t.pt10.x;
        out.y = t.pt10.y;
        out.height = t.code40;
        out.textIndex = static_cast<std::int64_t>(i);
    }

    for (const std::string& name : loaded.blockNames)
        texts.push_back({IndexedTextKind::BlockName, name});
    for (const TLayer& layer : drawing.LayerAry)
        if (!layer.Name.empty()) texts.push_back({IndexedTextKind::LayerName, layer.Name});
    return texts;
}

} // namespace orvanta
