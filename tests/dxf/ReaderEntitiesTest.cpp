// The entity kinds: which codes each one keeps, its start values and its finishing.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

std::string Entities(const std::string& body) {
    return Dxf({"0", "SECTION", "2", "ENTITIES"}) + body + Dxf({"0", "ENDSEC", "0", "EOF"});
}

std::string LayerTable(const char* name, const char* color) {
    return Dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "0", "LAYER", "2", name,
                "62", color, "0", "ENDTAB", "0", "ENDSEC"});
}

TEST(ReaderEntities, LinesKeepPaperSpaceButNoExtrusion) {
    Drawing d = ReadText(Entities(
        Dxf({"0",  "LINE", "67", "1", "210", "0", "230", "-1", "10", "1",      "20", "2",
             "30", "3",    "11", "4", "21",  "5", "31",  "6",  "6",  "hidden", "0",  "LINE"})));
    ASSERT_EQ(d.LineAry.size(), 2u);
    const TAcadLineBlk& l = d.LineAry[0];
    EXPECT_EQ(l.code67, 1) << "a paper-space line must not be drawn over the model";
    EXPECT_EQ(l.code210.point().z, 1);
    EXPECT_EQ(l.st.z, 3);
    EXPECT_EQ(l.ed.x, 4);
    EXPECT_EQ(l.ed.z, 6);
    EXPECT_EQ(l.ltype, "HIDDEN");
    EXPECT_EQ(d.LineAry[1].layer, "0");
    EXPECT_EQ(d.LineAry[1].ltype, "BYLAYER");
    EXPECT_EQ(d.LineAry[1].color, 7);
}

TEST(ReaderEntities, CirclesArcsEllipsesAndFaces) {
    Drawing d = ReadText(Entities(
        Dxf({"0",  "CIRCLE",  "67",  "1",   "10", "1", "40", "2",   "230", "-1",               //
             "0",  "ARC",     "10",  "1",   "40", "3", "50", "350", "51",  "10",  "62", "5",   //
             "0",  "ELLIPSE", "10",  "1",   "11", "4", "21", "0",   "40",  "0.5", "41", "0.1", //
             "42", "3.0",     "220", "0.5",                                                    //
             "0",  "3DFACE",  "10",  "1",   "11", "2", "12", "3",   "70",  "5",                //
             "0",  "3DFACE",  "13",  "7",   "33", "8",                                         //
             "0",  "SOLID",   "10",  "1"})));
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_EQ(d.CircleAry[0].code67, 1);
    EXPECT_EQ(d.CircleAry[0].code210.point().z, -1);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    EXPECT_EQ(d.ArcAry[0].st, 350);
    EXPECT_EQ(d.ArcAry[0].ed, 10);
    EXPECT_EQ(d.ArcAry[0].color, 5);
    ASSERT_EQ(d.EllipseAry.size(), 1u);
    EXPECT_EQ(d.EllipseAry[0].endpoint.x, 4);
    EXPECT_EQ(d.EllipseAry[0].henpei, 0.5);
    EXPECT_EQ(d.EllipseAry[0].kaisi, 0.1);
    EXPECT_EQ(d.EllipseAry[0].owari, 3.0);
    EXPECT_EQ(d.EllipseAry[0].code210.y, 0.5);
    ASSERT_EQ(d.FaceAry.size(), 2u);
    EXPECT_EQ(d.FaceAry[0].count, 3);
    EXPECT_EQ(d.FaceAry[0].code70, 5);
    EXPECT_EQ(d.FaceAry[0].pt[2].x, 3);
    EXPECT_EQ(d.FaceAry[1].count, 4);
    EXPECT_EQ(d.FaceAry[1].pt[3].x, 7);
    EXPECT_EQ(d.FaceAry[1].pt[3].z, 8);
    EXPECT_TRUE(d.SolidAry.empty()) << "SOLIDs are kept only in block definitions";
}

TEST(ReaderEntities, LightweightPolylines) {
    Drawing d = ReadText(
        Entities(Dxf({"0",          "LWPOLYLINE", "8",  "P",   "90", "3",  "70",        "1",  "38",
                      "5",          "20",         "99", "10",  "0",  "20", "0",         "10", "1",
                      "20",         "2",          "42", "0.5", "10", "3",  "20",        "4",  "0",
                      "LWPOLYLINE", "10",         "7",  "20",  "8",  "0",  "LWPOLYLINE"})));
    ASSERT_EQ(d.LwpAry.size(), 3u);
    EXPECT_EQ(d.LwpAry[0].code70, 1);
    EXPECT_EQ(d.LwpAry[0].ihand, 0);
    EXPECT_EQ(d.LwpAry[1].ihand, 1);
    EXPECT_EQ(d.LwpAry[0].color, 7);
    EXPECT_EQ(d.LwpAry[2].color, ColorByLayer) << "no vertex, so no colour was settled";
    ASSERT_EQ(d.LwpEleAry.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.LwpEleAry[i].ihand, 0);
        EXPECT_EQ(d.LwpEleAry[i].code10.z, 5);
    }
    // The stray 20 before the first vertex belongs to no vertex.
    EXPECT_EQ(d.LwpEleAry[0].code10.y, 0);
    EXPECT_EQ(d.LwpEleAry[1].code10.y, 2);
    EXPECT_EQ(d.LwpEleAry[1].code42, 0.5);
    EXPECT_EQ(d.LwpEleAry[3].ihand, 1);
    EXPECT_EQ(d.LwpEleAry[3].code10.x, 7);
}

TEST(ReaderEntities, PolylinesWithVertexEntities) {
    const std::string polyline =
        Dxf({"0",  "POLYLINE", "66", "1",      "70", "8",      "10", "0",      "20", "0",
             "30", "9",        "0",  "VERTEX", "8",  "X",      "10", "1",      "20", "2",
             "30", "3",        "42", "0.25",   "70", "32",     "0",  "VERTEX", "10", "4",
             "20", "5",        "30", "6",      "0",  "SEQEND", "0",  "LINE",   "10", "7"});
    Drawing d = ReadText(Entities(polyline));
    ASSERT_EQ(d.LwpAry.size(), 1u);
    EXPECT_EQ(d.LwpAry[0].code70, 8);
    ASSERT_EQ(d.LwpEleAry.size(), 2u);
    EXPECT_EQ(d.LwpEleAry[0].code10.z, 3);
    EXPECT_EQ(d.LwpEleAry[0].code42, 0.25);
    EXPECT_EQ(d.LwpEleAry[1].code10.x, 4);
    ASSERT_EQ(d.LineAry.size(), 1u) << "SEQEND ends the vertices";
    EXPECT_EQ(d.LineAry[0].st.x, 7);

    Drawing b = ReadText(Dxf({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "B", "0"}) +
                         polyline.substr(2) + Dxf({"0", "ENDBLK", "0", "ENDSEC"}));
    ASSERT_EQ(b.BlkLwpAry.size(), 1u);
    EXPECT_EQ(b.BlkLwpAry[0].bname, "B");
    EXPECT_EQ(b.BlkLwpEleAry.size(), 2u);
    EXPECT_TRUE(b.LwpEleAry.empty());
}

TEST(ReaderEntities, PolylineWidths) {
    // LWPOLYLINE: a constant width, and a vertex of its own widths.
    Drawing d = ReadText(Entities(Dxf({"0", "LWPOLYLINE", "43", "2", "10", "0", "20", "0", "40",
                                       "1", "41", "3", "10", "5", "20", "0"})));
    EXPECT_EQ(d.LwpAry[0].startWidth, 2);
    EXPECT_EQ(d.LwpAry[0].endWidth, 2);
    EXPECT_EQ(d.LwpEleAry[0].startWidth, 1);
    EXPECT_EQ(d.LwpEleAry[0].endWidth, 3);
    EXPECT_LT(d.LwpEleAry[1].startWidth, 0) << "none given: the header's holds";
    // POLYLINE: default widths on the header, and a vertex's own.
    d = ReadText(Entities(Dxf({"0", "POLYLINE", "66", "1", "40", "4", "41", "-1",
                               "0", "VERTEX",   "10", "0", "20", "0", "40", "0.5",
                               "0", "VERTEX",   "10", "1", "20", "0", "0",  "SEQEND"})));
    EXPECT_EQ(d.LwpAry[0].startWidth, 4);
    EXPECT_EQ(d.LwpAry[0].endWidth, 0) << "a negative width is none";
    EXPECT_EQ(d.LwpEleAry[0].startWidth, 0.5);
    EXPECT_LT(d.LwpEleAry[1].startWidth, 0);
}

TEST(ReaderEntities, Texts) {
    Drawing d = ReadText(Entities(
        Dxf({"0",  "MTEXT",  "8", "T", "3",  "first ", "3",  "second ", "1",  "last", "71", "5", //
             "0",  "TEXT",   "1", "",  "8",  "Gone",                                             //
             "0",  "TEXT",   "1", " ", "10", "1",      "40", "2.5",                              //
             "0",  "ATTRIB", "1", "v", "2",  "TAG",    "70", "1",       "73", "0",    "74", "2",
             "7",  "STD", //
             "0",  "TEXT",   "1", "a", "72", "1",      "11", "3",       "21", "4",    "50", "30",
             "41", "0.8"})));
    ASSERT_EQ(d.TextAry.size(), 4u);
    EXPECT_EQ(d.TextAry[0].str, "first second last");
    EXPECT_TRUE(d.TextAry[0].mtflag);
    EXPECT_EQ(d.TextAry[0].code71, 5);
    EXPECT_EQ(d.TextAry[0].code41, 1.0);
    EXPECT_EQ(d.TextAry[1].str, " ") << "a blank text is kept, an empty one dropped";
    EXPECT_FALSE(d.TextAry[1].mtflag);
    EXPECT_EQ(d.TextAry[1].code40, 2.5);
    EXPECT_EQ(d.TextAry[2].code70, 1);
    EXPECT_EQ(d.TextAry[2].code73, 2) << "74 follows 73 in an ATTRIB and wins";
    EXPECT_EQ(d.TextAry[3].code72, 1);
    EXPECT_EQ(d.TextAry[3].pt11.y, 4);
    EXPECT_EQ(d.TextAry[3].code50, 30);
    EXPECT_EQ(d.TextAry[3].code41, 0.8);
    // The dropped text's layer is never looked up.
    for (const TLayer& layer : d.LayerAry)
        EXPECT_NE(layer.Name, "Gone");

    Drawing empty = ReadText(Entities(Dxf({"0", "TEXT", "1", ""})));
    EXPECT_TRUE(empty.TextAry.empty());
}

TEST(ReaderEntities, TextsTakeWhatTheirStyleSetsUnlessTheySetItThemselves) {
    const std::string styles =
        Dxf({"0", "SECTION", "2",  "TABLES", "0",  "TABLE", "2",  "STYLE", "0", "STYLE", //
             "2", "narrow",  "41", "0.7",    "50", "15",    "71", "2",     "0", "ENDTAB",
             "0", "ENDSEC"});
    Drawing d = ReadText(
        styles + Entities(Dxf({"0",  "TEXT",  "1",  "a",  "7",  "NARROW",               //
                               "0",  "TEXT",  "1",  "b",  "7",  "NARROW", "41",  "1",   //
                               "51", "0",     "71", "0",                                //
                               "0",  "MTEXT", "1",  "c",  "7",  "NARROW", "44",  "1.5", //
                               "90", "17",    "63", "4",  "45", "1.2",    "101", "Embedded Object",
                               "71", "2",     "72", "3",  "44", "20",     "45",  "1",
                               "41", "30",    "46", "12", "46", "9"})));
    ASSERT_EQ(d.TextAry.size(), 3u);
    const TTextBlk& a = d.TextAry[0];
    EXPECT_EQ(a.code41, 0.7);
    EXPECT_EQ(a.code51, 15);
    EXPECT_EQ(a.code71, 2);
    const TTextBlk& b = d.TextAry[1];
    EXPECT_EQ(b.code41, 1);
    EXPECT_EQ(b.code51, 0);
    EXPECT_EQ(b.code71, 0);
    // An MTEXT takes its style's width and slant, keeps its reference width, and reads its
    // columns from its embedded object.
    const TTextBlk& c = d.TextAry[2];
    EXPECT_EQ(c.styleWidth, 0.7);
    EXPECT_EQ(c.code51, 15);
    EXPECT_EQ(c.code41, 1.0);
    EXPECT_EQ(c.code44, 1.5);
    EXPECT_EQ(c.code90, 17);
    EXPECT_EQ(c.code63, 4);
    EXPECT_EQ(c.code45, 1.2);
    EXPECT_EQ(c.columnType, 2);
    EXPECT_EQ(c.columnCount, 3);
    EXPECT_EQ(c.columnWidth, 20);
    EXPECT_EQ(c.columnGutter, 1);
    EXPECT_EQ(c.code46, 12) << "the first column's height, over the defined height";
}

TEST(ReaderEntities, MultiLineAttributesAreTheMTextTheyEmbed) {
    // The value of a multi-line attribute is the text of its embedded MTEXT (code 101); its own
    // code 1 is empty, or its first line. Such an attribute was dropped as empty.
    Drawing d = ReadText(
        Entities(Dxf({"0",  "ATTRIB",   "10", "4",     "20", "1",  "40",  "2",               //
                      "1",  "",         "11", "4",     "21", "3",  "2",   "NOTE",            //
                      "70", "0",        "74", "3",     "71", "2",  "101", "Embedded Object", //
                      "10", "4",        "20", "3",     "40", "2",  "41",  "0",               //
                      "46", "0",        "72", "5",     "73", "1",  "1",   "two\\Plines",     //
                      "0",  "ATTRIB",   "1",  "first", "50", "30", "101", "Embedded Object", //
                      "3",  "first\\P", "1",  "second"})));
    ASSERT_EQ(d.TextAry.size(), 2u);
    const TTextBlk& a = d.TextAry[0];
    EXPECT_EQ(a.str, "two\\Plines");
    EXPECT_TRUE(a.mtflag);
    EXPECT_EQ(a.pt10.y, 3) << "placed where the MTEXT is";
    EXPECT_EQ(a.pt11.y, 0) << "the alignment point is no direction";
    EXPECT_EQ(a.code71, 0) << "71 = 2 flags a multi-line attribute: no mirroring, no attachment";
    EXPECT_EQ(a.code41, 0) << "no reference width: the lines break where the text breaks them";
    const TTextBlk& b = d.TextAry[1];
    EXPECT_EQ(b.str, "first\\Psecond") << "the whole value, not the own first line";
    EXPECT_EQ(b.code50, 30);
}

TEST(ReaderEntities, NamesInEntitiesStartNoTableReader) {
    // Inserts named like tables, after the tables have ended, must not be read as text styles.
    const std::string tables =
        Dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "STYLE", "0", "STYLE", "2", "NARROW",
             "41", "0.7", "0", "ENDTAB", "0", "ENDSEC"});
    Drawing d =
        ReadText(tables + Entities(Dxf({"0", "INSERT", "2", "STYLE", "0", "INSERT", "2", "NARROW",
                                        "41", "5", "0", "TEXT", "7", "NARROW", "1", "a"})));
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_EQ(d.TextAry[0].code41, 0.7);
}

TEST(ReaderEntities, TextsFromBothEncodings) {
    // "壁" in CP932 is 95 C7; "寸法" is 90 A1 96 40.
    Drawing sjis =
        ReadText(Entities(Dxf({"0", "TEXT", "8", "\x95\xC7", "1", "\x90\xA1", "3", "\x96\x40"})),
                 TextEncoding::Cp932);
    ASSERT_EQ(sjis.TextAry.size(), 1u);
    EXPECT_EQ(sjis.TextAry[0].layer, "壁");
    // A writer may split a long text inside a character; the chunks are joined first.
    Drawing split = ReadText(Entities(Dxf({"0", "MTEXT", "3", "\x90", "1", "\xA1\x96\x40"})),
                             TextEncoding::Cp932);
    EXPECT_EQ(split.TextAry[0].str, "寸法");
    Drawing utf8 = ReadText(Entities(Dxf({"0", "TEXT", "8", "壁", "1", "寸法 ①"})));
    EXPECT_EQ(utf8.TextAry[0].layer, "壁");
    EXPECT_EQ(utf8.TextAry[0].str, "寸法 ①");
}

TEST(ReaderEntities, InsertsWithAttributes) {
    Drawing d =
        ReadText(LayerTable("L", "4") +
                 Entities(Dxf({"0", "INSERT", "8", "L",   "2",  "Door",   "66",     "1",     "10",
                               "5", "210",    "0", "230", "-1", "0",      "ATTRIB", "1",     "A1",
                               "0", "ATTRIB", "1", "A2",  "0",  "SEQEND", "0",      "INSERT"})));
    ASSERT_EQ(d.InsertAry.size(), 2u);
    const TInsertBlk& i = d.InsertAry[0];
    EXPECT_EQ(i.name, "Door");
    EXPECT_EQ(i.code66, 1);
    EXPECT_EQ(i.color, 4);
    EXPECT_EQ(i.base.x, 5);
    EXPECT_EQ(i.code210.z, -1);
    EXPECT_TRUE(i.bname.empty());
    EXPECT_EQ(d.InsertAry[1].scale.y, 1);
    EXPECT_EQ(d.InsertAry[1].rotate, 0);
    ASSERT_EQ(d.TextAry.size(), 2u);
    EXPECT_EQ(d.TextAry[1].str, "A2");
}

TEST(ReaderEntities, TablesAreKeptAsTheInsertOfTheirBlock) {
    Drawing d = ReadText(Entities(Dxf({"0",   "ACAD_TABLE", "100", "AcDbBlockReference",
                                       "2",   "*T1",        "10",  "5",
                                       "20",  "6",          "41",  "2",
                                       "100", "AcDbTable",  "40",  "0.06",
                                       "41",  "0.03",       "141", "3"})));
    ASSERT_EQ(d.InsertAry.size(), 1u);
    EXPECT_EQ(d.InsertAry[0].name, "*T1");
    EXPECT_EQ(d.InsertAry[0].base.y, 6);
    EXPECT_EQ(d.InsertAry[0].scale.x, 2) << "the table's own code 41 is no scale";
}

TEST(ReaderEntities, Dimensions) {
    Drawing d = ReadText(
        Entities(Dxf({"0",  "DIMENSION", "2",  "*D1", "10", "1",  "16", "7",  "36", "8",
                      "40", "0.5",       "50", "45",  "51", "90", "70", "33", "67", "1"})));
    ASSERT_EQ(d.DimensionAry.size(), 1u);
    const TDimensionBlk& dim = d.DimensionAry[0];
    EXPECT_EQ(dim.dimblkName, "*D1");
    EXPECT_EQ(dim.P6.x, 7);
    EXPECT_EQ(dim.P6.z, 8);
    EXPECT_EQ(dim.code40, 0.5);
    EXPECT_EQ(dim.code50, 45);
    EXPECT_EQ(dim.code51, 90);
    EXPECT_EQ(dim.dimtype, 33);
    EXPECT_EQ(dim.code67, 1);
}

TEST(ReaderEntities, Leaders) {
    const auto leader = [](const char* count, std::initializer_list<const char*> tail) {
        std::string text =
            Dxf({"0", "LEADER", "8", "L", "62", "1", "71", "1", "41", "2.5", "76", count});
        for (int v = 1; v <= 5; ++v) {
            const std::string n = std::to_string(v);
            text += "10\n" + n + "\n20\n" + n + "0\n30\n0\n";
        }
        for (const char* line : tail)
            text += std::string(line) + "\n";
        return text;
    };
    Drawing d =
        ReadText(LayerTable("L", "4") + Entities(leader("3", {"8", "Late"}) + leader("5", {}) +
                                                 leader("2", {"340", "1F"})));
    ASSERT_EQ(d.LeaderAry.size(), 3u);
    const TLeaderBlk& three = d.LeaderAry[0];
    EXPECT_EQ(three.color, 4) << "a leader takes its layer's colour";
    EXPECT_EQ(three.code41, 2.5);
    EXPECT_EQ(three.p1.x, 1);
    EXPECT_EQ(three.p3.y, 30);
    // After its third vertex the fourth's code 10 finishes it; nothing later is read.
    EXPECT_EQ(three.layer, "L");
    EXPECT_EQ(d.LeaderAry[1].p3.x, 3);
    EXPECT_EQ(d.LeaderAry[2].p2.x, 2);
    EXPECT_EQ(d.LeaderAry[2].p3.x, 0);
}

// The same common pairs on every kind: each keeps those its record has, the linetype upper-cased.
TEST(ReaderEntities, EveryKindKeepsItsLinetypeColourSpaceAndExtrusion) {
    const std::initializer_list<const char*> common = {
        "8", "L", "6", "dashed", "62", "3", "67", "1", "210", "0", "220", "0", "230", "-1"};
    std::string body;
    for (const char* kind : {"CIRCLE", "ARC", "ELLIPSE", "3DFACE", "INSERT", "DIMENSION", "LEADER",
                             "TEXT", "POLYLINE"})
        body += Dxf({"0", kind, "1", "T"}) + Dxf(common);
    Drawing d = ReadText(
        Dxf({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "B", "0", "SOLID"}) + Dxf(common) +
        Dxf({"0", "ENDBLK", "0", "ENDSEC"}) + Entities(body + Dxf({"0", "SEQEND"})));
    ASSERT_EQ(d.CircleAry.size(), 1u);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    ASSERT_EQ(d.EllipseAry.size(), 1u);
    ASSERT_EQ(d.FaceAry.size(), 1u);
    ASSERT_EQ(d.InsertAry.size(), 1u);
    ASSERT_EQ(d.DimensionAry.size(), 1u);
    ASSERT_EQ(d.LeaderAry.size(), 1u);
    ASSERT_EQ(d.TextAry.size(), 1u);
    ASSERT_EQ(d.LwpAry.size(), 1u);
    ASSERT_EQ(d.SolidAry.size(), 1u);
    const auto expect = [](const auto& r, const char* kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(r.layer, "L");
        if constexpr (requires { r.ltype; }) EXPECT_EQ(r.ltype, "DASHED");
        if constexpr (requires { r.code67; }) EXPECT_EQ(r.code67, 1);
    };
    expect(d.CircleAry[0], "circle");
    expect(d.ArcAry[0], "arc");
    expect(d.EllipseAry[0], "ellipse");
    expect(d.FaceAry[0], "3dface");
    expect(d.InsertAry[0], "insert");
    expect(d.DimensionAry[0], "dimension");
    expect(d.LeaderAry[0], "leader");
    expect(d.TextAry[0], "text");
    expect(d.LwpAry[0], "polyline");
    expect(d.SolidAry[0], "solid");
    for (const double z : {d.CircleAry[0].code210.point().z, d.ArcAry[0].code210.point().z,
                           d.EllipseAry[0].code210.z, d.DimensionAry[0].code210.z,
                           d.TextAry[0].code210.z, d.LwpAry[0].code210.z})
        EXPECT_EQ(z, -1);
    // Every kind but the SOLID and the LEADER reads a colour of its own.
    for (const std::int16_t colour :
         {d.CircleAry[0].color, d.ArcAry[0].color, d.EllipseAry[0].color, d.FaceAry[0].color,
          d.InsertAry[0].color, d.DimensionAry[0].color, d.TextAry[0].color, d.LwpAry[0].color})
        EXPECT_EQ(colour, 3);
}

} // namespace
} // namespace orvanta
