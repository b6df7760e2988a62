// The section walk, the layer and view tables and block definitions.
#include "dxf/LineSource.h"
#include "support/NormalisedDump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

std::string Layers(std::initializer_list<const char*> records) {
    std::string out = Dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "70", "9"});
    for (const char* r : records)
        out += r;
    return out + Dxf({"0", "ENDTAB", "0", "ENDSEC"});
}

TEST(ReaderSections, EmptyAndMissingFilesGiveJustLayerZero) {
    Drawing d = ReadText("");
    ASSERT_EQ(d.LayerAry.size(), 1u);
    EXPECT_EQ(d.LayerAry[0].Name, "0");
    EXPECT_EQ(d.LayerAry[0].color, 7);
    EXPECT_TRUE(d.LayerAry[0].visible);

    Drawing missing;
    missing.LineAry.emplace_back();
    ReadDxfFile(missing, "/nonexistent/folder/x.dxf", nullptr, TextEncoding::Cp932);
    EXPECT_TRUE(missing.LineAry.empty());
    EXPECT_EQ(missing.LayerAry.size(), 1u);
}

TEST(ReaderSections, OnlyTheExactCodeTwoNameStartsASection) {
    const std::string line = Dxf({"0", "LINE", "8", "A", "10", "1"});
    EXPECT_EQ(ReadText(Dxf({"0", "SECTION", "2", "ENTITIES "}) + line).LineAry.size(), 0u);
    EXPECT_EQ(ReadText(Dxf({"0", "SECTION", "2", "entities"}) + line).LineAry.size(), 0u);
    // Entities before the section and after its end are not kept.
    Drawing d = ReadText(line + Dxf({"0", "SECTION", "2", "ENTITIES"}) + line +
                         Dxf({"0", "ENDSEC", "0", "SECTION", "2", "OBJECTS"}) + line);
    ASSERT_EQ(d.LineAry.size(), 1u);
    EXPECT_EQ(d.LineAry[0].st.x, 1);
}

TEST(ReaderSections, TheSectionEndFinishesTheLastEntityWithItsLayerColour) {
    Drawing d = ReadText(Layers({Dxf({"0", "LAYER", "2", "A", "62", "4"}).c_str()}) +
                         Dxf({"0", "SECTION", "2", "ENTITIES", "0", "CIRCLE", "8", "A", "40", "2.5",
                              "0", "ENDSEC", "0", "EOF"}));
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_EQ(d.CircleAry[0].color, 4);
    EXPECT_EQ(d.CircleAry[0].hankei, 2.5);
}

TEST(ReaderSections, LayerRecords) {
    Drawing d = ReadText(Layers({
        Dxf({"0", "LAYER", "2", "Off", "62", "-5", "62", "3"}).c_str(),
        Dxf({"0", "LAYER", "2", "Plain", "330", "2", "290", "0"}).c_str(),
        Dxf({"0", "LAYER", "2", "Dash", "6", "dashed", "70", "4", "62", "1"}).c_str(),
        Dxf({"0", "LAYER", "2", "Dash", "62", "2"}).c_str(),
    }));
    ASSERT_EQ(d.LayerAry.size(), 4u);
    // A later positive colour does not switch the layer back on.
    EXPECT_EQ(d.LayerAry[0].color, 3);
    EXPECT_FALSE(d.LayerAry[0].visible);
    EXPECT_EQ(d.LayerAry[1].color, 7);
    EXPECT_EQ(d.LayerAry[1].ltype, "CONTINUOUS");
    EXPECT_EQ(d.LayerAry[2].ltype, "DASHED");
    EXPECT_EQ(d.LayerAry[2].code70, 4);
    // Two records of one name are both kept; lookups find the first.
    EXPECT_EQ(GetLayerColor(d, "Dash"), 1);
}

TEST(ReaderSections, EntitiesOnUnknownLayersAddThem) {
    Drawing d = ReadText(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "New", "0", "LINE",
                              "62", "3", "8", "Own", "0", "ENDSEC"}));
    // The second line has its own colour and so adds no layer; "0" is added only to a drawing
    // that ends without any layer.
    ASSERT_EQ(d.LayerAry.size(), 1u);
    EXPECT_EQ(d.LayerAry[0].Name, "New");
    EXPECT_EQ(d.LineAry[0].color, 7);
    EXPECT_EQ(d.LineAry[1].color, 3);
}

TEST(ReaderSections, ViewRecordsSurviveTheTablesThatFollow) {
    Drawing d =
        ReadText(Dxf({"0",  "SECTION", "2",  "TABLES", "0",  "TABLE",  "2",  "VIEW",  "0",  "VIEW",
                      "2",  "Front",   "10", "5",      "20", "6",      "30", "99",    "40", "10",
                      "41", "20",      "70", "0",      "0",  "VIEW",   "2",  "Side",  "70", "1",
                      "0",  "ENDTAB",  "0",  "TABLE",  "2",  "UCS",    "0",  "UCS",   "2",  "U",
                      "10", "1",       "40", "3",      "0",  "ENDTAB", "0",  "ENDSEC"}));
    ASSERT_EQ(d.ViewAry.size(), 2u);
    EXPECT_EQ(d.ViewAry[0].name, "Front");
    EXPECT_EQ(d.ViewAry[0].center.x, 5);
    EXPECT_EQ(d.ViewAry[0].center.y, 6);
    EXPECT_EQ(d.ViewAry[0].center.z, 0);
    EXPECT_EQ(d.ViewAry[0].height, 10);
    EXPECT_EQ(d.ViewAry[0].width, 20);
    EXPECT_EQ(d.ViewAry[1].name, "Side");
    EXPECT_EQ(d.ViewAry[1].code70, 1);
}

std::string Blocks(const std::string& body) {
    return Dxf({"0", "SECTION", "2", "BLOCKS"}) + body + Dxf({"0", "ENDSEC"});
}

TEST(ReaderSections, BlockDefinitionsRouteTheirEntities) {
    Drawing d = ReadText(
        Layers({Dxf({"0", "LAYER", "2", "0", "62", "5"}).c_str(),
                Dxf({"0", "LAYER", "2", "W", "62", "2"}).c_str()}) +
        Blocks(Dxf({"0",  "BLOCK",   "8",  "0",      "2",  "Door",   "70", "0",      "10", "1",
                    "20", "2",       "30", "3",      "0",  "LINE",   "8",  "0",      "62", "1",
                    "0",  "CIRCLE",  "8",  "W",      "62", "0",      "0",  "INSERT", "2",  "Knob",
                    "0",  "3DFACE",  "8",  "W",      "0",  "SOLID",  "8",  "W",      "62", "1",
                    "0",  "ELLIPSE", "0",  "LEADER", "0",  "ENDBLK", "0",  "BLOCK",  "2",  "Empty",
                    "0",  "ENDBLK",  "8",  "0"})));
    ASSERT_EQ(d.BlockAry.size(), 2u);
    EXPECT_EQ(d.BlockAry[0].name, "Door");
    EXPECT_EQ(d.BlockAry[0].base.z, 3);
    EXPECT_EQ(d.BlockAry[1].name, "Empty");
    ASSERT_EQ(d.BlkLineAry.size(), 1u);
    EXPECT_EQ(d.BlkLineAry[0].bname, "Door");
    EXPECT_EQ(d.BlkLineAry[0].color, 5) << "layer 0 in a block takes the layer's colour";
    ASSERT_EQ(d.BlkCircleAry.size(), 1u);
    EXPECT_EQ(d.BlkCircleAry[0].color, 2) << "by-block takes its own layer's colour";
    ASSERT_EQ(d.BlkInsertAry.size(), 1u);
    EXPECT_EQ(d.BlkInsertAry[0].bname, "Door");
    ASSERT_EQ(d.SolidAry.size(), 1u);
    EXPECT_EQ(d.SolidAry[0].color, 1);
    EXPECT_TRUE(d.FaceAry.empty());
    EXPECT_TRUE(d.EllipseAry.empty());
    EXPECT_TRUE(d.LeaderAry.empty());
    EXPECT_TRUE(d.LineAry.empty());
}

TEST(ReaderSections, TheFirstEntityMayFollowTheHeaderDirectly) {
    Drawing d = ReadText(
        Blocks(Dxf({"0", "BLOCK", "2", "B", "0", "ARC", "40", "1", "0", "ENDBLK", "0", "LINE"})));
    ASSERT_EQ(d.BlkArcAry.size(), 1u);
    EXPECT_EQ(d.BlkArcAry[0].bname, "B");
    // After ENDBLK nothing is a block entity any more.
    EXPECT_TRUE(d.BlkLineAry.empty());
}

TEST(ReaderSections, LineEndsAndByteOrderMark) {
    const std::string lf =
        Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "4", "0", "ENDSEC", "0", "EOF"});
    std::string crlf, cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {lf, crlf, cr, "\xEF\xBB\xBF" + lf}) {
        Drawing d = ReadText(text, TextEncoding::Utf8);
        ASSERT_EQ(d.LineAry.size(), 1u);
        EXPECT_EQ(d.LineAry[0].st.x, 4);
    }
}

// A file larger than one block of the reader, with the boundary between the first two blocks
// inside a CR LF, inside a group-code line and inside a value line: each reads to the records of
// the same drawing read in one block.
TEST(ReaderSections, LinesRunAcrossTheReadersBlockBoundary) {
    std::string body;
    for (char c : Dxf({"0",  "LINE",   "8",  "WALLS", "10", "12.5", "20", "-3.25",
                       "11", "7",      "21", "8",     "0",  "TEXT", "8",  "WALLS",
                       "10", "1",      "20", "2",     "40", "2.5",  "1",  "across the boundary",
                       "0",  "ENDSEC", "0",  "EOF"}))
        body += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string head = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
    // A comment pair of `padding` bytes puts the body where the test wants it.
    const auto file = [&](std::size_t padding) {
        return head + "999\r\n" + std::string(padding, 'x') + "\r\n" + body;
    };
    const auto records = [](const std::string& text) {
        try {
            return test::DumpNormalised(ReadText(text));
        } catch (const DxfReadError& e) {
            return std::string(e.what());
        }
    };
    const std::string expected = records(file(1));
    ASSERT_NE(expected.find("across the boundary"), std::string::npos);

    // Where in the body the second block starts: just after a CR, after the first digit of the
    // code "20", after "12" of the value "12.5" and inside the text.
    for (const std::size_t split : {body.find("\r\n") + 1, body.find("20\r\n") + 1,
                                    body.find("12.5") + 2, body.find("the boundary")}) {
        SCOPED_TRACE("block boundary before body byte " + std::to_string(split));
        const std::size_t padding = LineSource::BlockSize - split - head.size() - 7;
        const std::string text = file(padding);
        ASSERT_EQ(text.substr(LineSource::BlockSize - split, 4), body.substr(0, 4));
        EXPECT_EQ(records(text), expected);
    }
}

TEST(ReaderSections, BlankLinesAfterTheLastPairEndTheRead) {
    const std::string body =
        Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "0", "ENDSEC", "0", "EOF"});
    EXPECT_EQ(ReadText(body + "\n").LineAry.size(), 1u);
    EXPECT_EQ(ReadText(body + "\n\n  \n\r\n").LineAry.size(), 1u);
}

TEST(ReaderSections, TheReadEndsAtTheEofPair) {
    const std::string body =
        Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "0", "ENDSEC", "0", "EOF"});
    const Drawing trailed = ReadText(body + "ignore\ninvalid\ndata beyond EOF");
    EXPECT_EQ(trailed.LineAry.size(), 1u);
    EXPECT_TRUE(trailed.ReachedEof);
    EXPECT_FALSE(ReadText(body.substr(0, body.size() - 6)).ReachedEof) << "cut off";
}

class CountingProgress : public ProgressSink {
  public:
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override {
        if (p > highest) highest = p;
        current = p;
    }
    int position() const override { return current; }
    int maximum = 0, current = 0, highest = 0;
};

TEST(ReaderSections, ProgressTicksEveryStepPairs) {
    test::TempDir dir;
    // 1024 bytes: an estimate of 65 pairs and a step of 2; 64 pairs give 32 ticks.
    std::string text;
    for (int i = 0; i < 63; ++i)
        text += "999\n" + std::string(10, 'x') + "\n";
    text += "999\n" + std::string(1024 - text.size() - 5, 'x') + "\n";
    ASSERT_EQ(text.size(), 1024u);
    CountingProgress progress;
    Drawing d;
    ReadDxfFile(d, dir.write("p.dxf", text), &progress, TextEncoding::Cp932);
    EXPECT_EQ(progress.maximum, 50);
    EXPECT_EQ(progress.highest, 32);
    EXPECT_EQ(progress.current, 0) << "the position goes back to 0 at the end";
}

} // namespace
} // namespace orvanta
