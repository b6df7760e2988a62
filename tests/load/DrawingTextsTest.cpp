#include "load/DrawingTexts.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

const IndexedText* Find(const std::vector<IndexedText>& texts, const std::string& text) {
    for (const IndexedText& t : texts)
        if (t.text == text) return &t;
    return nullptr;
}

// One drawing holding each kind the index tells apart: a TEXT with a special code, an MTEXT with
// formatting and two paragraphs, a block with a tag-named attribute inserted into the model, a
// dimension's text and a text on a layout's sheet.
TEST(CollectDrawingTexts, GivesEveryKindWithWhereItStands) {
    test::TempDir dir;
    const std::string path = dir.write("plan.dxf", test::Dxf({"0",  "SECTION",
                                                              "2",  "TABLES",
                                                              "0",  "TABLE",
                                                              "2",  "LAYER",
                                                              "0",  "LAYER",
                                                              "2",  "ROOMS",
                                                              "70", "0",
                                                              "62", "3",
                                                              "0",  "ENDTAB",
                                                              "0",  "ENDSEC",
                                                              "0",  "SECTION",
                                                              "2",  "BLOCKS",
                                                              "0",  "BLOCK",
                                                              "2",  "TITLE",
                                                              "70", "2",
                                                              "10", "0",
                                                              "20", "0",
                                                              "0",  "ENDBLK",
                                                              "0",  "BLOCK",
                                                              "2",  "*D1",
                                                              "70", "1",
                                                              "10", "0",
                                                              "20", "0",
                                                              "0",  "MTEXT",
                                                              "8",  "0",
                                                              "10", "5",
                                                              "20", "1",
                                                              "40", "2.5",
                                                              "1",  "1200",
                                                              "0",  "ENDBLK",
                                                              "0",  "ENDSEC",
                                                              "0",  "SECTION",
                                                              "2",  "ENTITIES",
                                                              "0",  "TEXT",
                                                              "8",  "ROOMS",
                                                              "10", "3",
                                                              "20", "4",
                                                              "40", "2",
                                                              "1",  "%%c50 会議室",
                                                              "0",  "MTEXT",
                                                              "8",  "0",
                                                              "10", "0",
                                                              "20", "0",
                                                              "40", "1",
                                                              "1",  "{\\fArial;A-1023}\\Pline 2",
                                                              "0",  "INSERT",
                                                              "2",  "TITLE",
                                                              "10", "100",
                                                              "20", "0",
                                                              "66", "1",
                                                              "0",  "ATTRIB",
                                                              "8",  "0",
                                                              "10", "101",
                                                              "20", "1",
                                                              "40", "3",
                                                              "1",  "No.7",
                                                              "2",  "DWGNO",
                                                              "0",  "SEQEND",
                                                              "0",  "DIMENSION",
                                                              "8",  "0",
                                                              "2",  "*D1",
                                                              "10", "0",
                                                              "20", "0",
                                                              "70", "0",
                                                              "0",  "TEXT",
                                                              "67", "1",
                                                              "8",  "0",
                                                              "10", "7",
                                                              "20", "8",
                                                              "40", "1",
                                                              "1",  "on the sheet",
                                                              "0",  "ENDSEC",
                                                              "0",  "EOF"}));
    const LoadedDrawing loaded = LoadDrawingFile(path);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    const std::vector<IndexedText> texts = CollectDrawingTexts(loaded, "plan.dxf");

    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].kind, IndexedTextKind::FileName);
    EXPECT_EQ(texts[0].text, "plan.dxf");

    const IndexedText* room = Find(texts, "Φ50 会議室");
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->kind, IndexedTextKind::Text);
    EXPECT_EQ(room->layer, "ROOMS");
    EXPECT_EQ(room->x, 3);
    EXPECT_EQ(room->height, 2);
    EXPECT_EQ(loaded.drawing.TextAry.at(room->textIndex).str, "%%c50 会議室");

    const IndexedText* note = Find(texts, "A-1023\nline 2");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->kind, IndexedTextKind::MText);

    const IndexedText* number = Find(texts, "No.7");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->kind, IndexedTextKind::Attribute);
    EXPECT_EQ(number->tag, "DWGNO");

    const IndexedText* dimension = Find(texts, "1200");
    ASSERT_NE(dimension, nullptr);
    EXPECT_EQ(dimension->kind, IndexedTextKind::Dimension);

    const IndexedText* sheet = Find(texts, "on the sheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->layout.empty());

    const IndexedText* block = Find(texts, "TITLE");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->kind, IndexedTextKind::BlockName);
    EXPECT_EQ(Find(texts, "*D1"), nullptr);
    const IndexedText* layer = Find(texts, "ROOMS");
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->kind, IndexedTextKind::LayerName);
}

} // namespace
} // namespace orvanta
