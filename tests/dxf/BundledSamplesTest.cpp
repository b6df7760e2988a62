// The drawings in samples/, read as the browser reads them. tools/make_samples.py writes them;
// the counts below follow from what that script puts in each file, worked out entity by entity
// in the comments, so a change to either the script or the reader shows up here.
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

namespace orvanta {
namespace {

constexpr double Pi = 3.14159265358979323846;
// Bulges and other irrational values are written with eight decimals.
constexpr double Written = 1e-8;

struct Sample {
    std::string version;
    TextEncoding encoding = TextEncoding::Cp932;
    Drawing drawing;
};

// Reads a bundled sample as the browser does: the version first, then the whole file in the
// encoding that version calls for.
Sample ReadSample(const std::string& name) {
    const std::string path = test::SourcePath("samples/" + name).string();
    Sample sample;
    ReadDxfVersion(path, sample.version);
    sample.encoding = EncodingForFile(path, sample.version);
    ReadDxfFile(sample.drawing, path, nullptr, sample.encoding);
    return sample;
}

using Expected = std::vector<std::pair<std::string_view, std::size_t>>;

// The thirteen counts the browser shows, compared by name and in the order it shows them.
void ExpectCounts(const Drawing& drawing, const Expected& expected) {
    const auto counts = TableCounts(drawing);
    ASSERT_EQ(expected.size(), counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        EXPECT_EQ(counts[i].name, expected[i].first);
        EXPECT_EQ(counts[i].count, expected[i].second) << counts[i].name;
    }
}

template <typename Record> const Record* Find(const std::vector<Record>& table, auto predicate) {
    const auto found = std::find_if(table.begin(), table.end(), predicate);
    return found == table.end() ? nullptr : &*found;
}

const TTextBlk* FindText(const std::vector<TTextBlk>& texts, std::string_view str) {
    return Find(texts, [&](const TTextBlk& t) { return t.str == str; });
}

const TLayer* FindLayer(const Drawing& drawing, std::string_view name) {
    return Find(drawing.LayerAry, [&](const TLayer& l) { return l.Name == name; });
}

std::vector<std::string> ViewNames(const Drawing& drawing) {
    std::vector<std::string> names;
    for (const TViewTbl& view : drawing.ViewAry)
        names.push_back(view.name);
    return names;
}

std::vector<const TLwpEle*> VerticesOf(const std::vector<TLwpEle>& vertices, std::int32_t ihand) {
    std::vector<const TLwpEle*> out;
    for (const TLwpEle& v : vertices)
        if (v.ihand == ihand) out.push_back(&v);
    return out;
}

void ExpectPoint(const TAcadPoint& p, double x, double y, double z = 0) {
    EXPECT_NEAR(p.x, x, Written);
    EXPECT_NEAR(p.y, y, Written);
    EXPECT_NEAR(p.z, z, Written);
}

const std::vector<std::string> SampleNames = {
    "floor-plan.dxf",    "blocks-nested.dxf", "texts-only.dxf",     "japanese-sjis.dxf",
    "japanese-utf8.dxf", "all-entities.dxf",  "mesh-and-faces.dxf",
};

TEST(BundledSamples, FolderHoldsExactlyTheTestedDrawings) {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(test::SourcePath("samples")))
        if (entry.path().extension() == ".dxf") found.insert(entry.path().filename().string());
    EXPECT_EQ(found, std::set<std::string>(SampleNames.begin(), SampleNames.end()));
}

TEST(BundledSamples, EveryDrawingDecodesCleanlyAndSettlesItsColours) {
    for (const std::string& name : SampleNames) {
        SCOPED_TRACE(name);
        const Sample sample = ReadSample(name);
        const Drawing& d = sample.drawing;
        for (const auto* texts : {&d.TextAry, &d.BlkTextAry}) {
            for (const TTextBlk& t : *texts) {
                EXPECT_EQ(t.str.find("\xEF\xBF\xBD"), std::string::npos) << t.str;
                EXPECT_NE(t.color, ColorByLayer) << t.str;
            }
        }
        for (const TLayer& layer : d.LayerAry)
            EXPECT_EQ(layer.Name.find("\xEF\xBF\xBD"), std::string::npos) << layer.Name;
        for (const TAcadLineBlk& line : d.LineAry)
            EXPECT_NE(line.color, ColorByLayer);
        for (const TInsertBlk& insert : d.InsertAry)
            EXPECT_NE(insert.color, ColorByLayer);
        for (const TSolidBlk& solid : d.SolidAry)
            EXPECT_NE(solid.color, ColorByLayer);
    }
}

TEST(BundledSamples, FloorPlan) {
    const Sample sample = ReadSample("floor-plan.dxf");
    EXPECT_EQ(sample.version, "AC1015");
    EXPECT_EQ(sample.encoding, TextEncoding::Cp932);
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 13},   // "0" and twelve more in the LAYER table
                        {"Line", 47},    // walls 40 (exterior 10 + 10 + 6 + 2, two partitions
                                         // of 6), grid axes 5, wall units 2
                        {"Polyline", 4}, // eaves, bath tub, cistern, paper-space frame
                        {"Circle", 6},   // grid bubbles 5, dining table 1
                        {"Arc", 0},      // the door swings are in the door block
                        {"Text", 9},     // grid labels 5, room names 3, paper-space title 1
                        {"Ellipse", 3},  // terrace, wash basin, toilet
                        {"3DFace", 0},
                        {"Insert", 8}, // windows 4, doors 3, bed 1
                        {"Block", 7},  // model and paper space, DOOR-900, WINDOW, BED, *D1, *D2
                        {"Dimension", 2},
                        {"Leader", 0},
                        {"View", 3},
                    });

    const TLayer* furniture = FindLayer(d, "FURNITURE");
    ASSERT_NE(furniture, nullptr);
    EXPECT_EQ(furniture->color, -30);
    EXPECT_FALSE(furniture->visible);
    EXPECT_EQ(FindLayer(d, "GRID")->ltype, "CENTER");
    EXPECT_EQ(FindLayer(d, "ROOF")->ltype, "DASHED");
    EXPECT_EQ(FindLayer(d, "OVERHEAD")->ltype, "HIDDEN");
    // Written "Continuous" in the file; the reader upper-cases linetypes.
    EXPECT_EQ(FindLayer(d, "WALLS")->ltype, "CONTINUOUS");
    EXPECT_TRUE(FindLayer(d, "WALLS")->visible);

    EXPECT_EQ(ViewNames(d), (std::vector<std::string>{"WHOLE PLAN", "BEDROOM", "SHEET"}));
    EXPECT_EQ(d.ViewAry[0].code70, 0);
    EXPECT_EQ(d.ViewAry[1].code70, 0);
    EXPECT_EQ(d.ViewAry[2].code70, 1);
    ExpectPoint(d.ViewAry[0].center, 4500, 3000);
    EXPECT_EQ(d.ViewAry[0].height, 11000);
    EXPECT_EQ(d.ViewAry[0].width, 16000);

    // The bathroom door is the door block mirrored by a negative x scale.
    const TInsertBlk* mirrored =
        Find(d.InsertAry, [](const TInsertBlk& i) { return i.scale.x < 0; });
    ASSERT_NE(mirrored, nullptr);
    EXPECT_EQ(mirrored->name, "DOOR-900");
    ExpectPoint(mirrored->scale, -1, 1, 1);
    ExpectPoint(mirrored->base, 6900, 3550);
    EXPECT_EQ(mirrored->color, 3); // by layer: DOORS is green
    const TInsertBlk* rotated =
        Find(d.InsertAry, [](const TInsertBlk& i) { return i.rotate == 270; });
    ASSERT_NE(rotated, nullptr);
    EXPECT_EQ(rotated->name, "DOOR-900");

    // The swing arc is by block in the block definition: it takes layer 0's colour when read.
    ASSERT_EQ(d.BlkArcAry.size(), 1u);
    EXPECT_EQ(d.BlkArcAry[0].bname, "DOOR-900");
    EXPECT_EQ(d.BlkArcAry[0].color, 7);
    EXPECT_EQ(d.BlkArcAry[0].ltype, "BYBLOCK");

    // The terrace: half an ellipse whose end parameter is below its start.
    const TEllipseBlk& terrace = d.EllipseAry[0];
    EXPECT_EQ(terrace.layer, "ROOF");
    ExpectPoint(terrace.endpoint, -1500, 0);
    EXPECT_NEAR(terrace.kaisi, 1.5 * Pi, Written);
    EXPECT_NEAR(terrace.owari, 0.5 * Pi, Written);
    EXPECT_LT(terrace.owari, terrace.kaisi);

    // Paper space holds the sheet frame and the title.
    const TTextBlk* title = FindText(d.TextAry, "GROUND FLOOR PLAN 1:100");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->code67, 1);
    EXPECT_EQ(std::count_if(d.TextAry.begin(), d.TextAry.end(),
                            [](const TTextBlk& t) { return t.code67 == 1; }),
              1);
    EXPECT_EQ(d.LwpAry.back().code67, 1);
    EXPECT_EQ(d.LwpAry.back().color, 7);

    const TTextBlk* room = FindText(d.TextAry, "LIVING / DINING");
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->code72, 1);
    EXPECT_EQ(room->code73, 2);
    ExpectPoint(room->pt11, 2500, 2400);

    // Each dimension's picture is its anonymous block: lines, two SOLID arrowheads, the text.
    ASSERT_EQ(d.DimensionAry.size(), 2u);
    EXPECT_EQ(d.DimensionAry[0].dimblkName, "*D1");
    EXPECT_EQ(d.DimensionAry[1].dimblkName, "*D2");
    EXPECT_EQ(d.DimensionAry[1].code50, 90);
    ExpectPoint(d.DimensionAry[0].p3, 0, 0);
    ExpectPoint(d.DimensionAry[0].p4, 9000, 0);
    EXPECT_EQ(d.SolidAry.size(), 4u);
    EXPECT_NE(FindText(d.BlkTextAry, "9000"), nullptr);
    EXPECT_NE(FindText(d.BlkTextAry, "6000"), nullptr);
}

TEST(BundledSamples, BlocksNested) {
    const Sample sample = ReadSample("blocks-nested.dxf");
    EXPECT_EQ(sample.version, "AC1018");
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 5},
                        {"Line", 0},
                        {"Polyline", 3}, // two wall faces and the dashed zone
                        {"Circle", 0},
                        {"Arc", 0},
                        {"Text", 7}, // three attributes on each of two workstations, title
                        {"Ellipse", 0},
                        {"3DFace", 0},
                        {"Insert", 5}, // pods 2, workstations 2, north arrow 1
                        {"Block", 7},  // model and paper space, CHAIR, DESK, WORKSTATION,
                                       // POD, NORTH
                        {"Dimension", 0},
                        {"Leader", 0},
                        {"View", 0},
                    });

    // Two levels of nesting below the model: POD places WORKSTATION, which places DESK and
    // CHAIR. Attribute definitions are not read, so the inserts are all a block holds of texts.
    std::vector<std::pair<std::string, std::string>> nesting;
    for (const TInsertBlk& insert : d.BlkInsertAry)
        nesting.emplace_back(insert.bname, insert.name);
    EXPECT_EQ(nesting, (std::vector<std::pair<std::string, std::string>>{
                           {"WORKSTATION", "DESK"},
                           {"WORKSTATION", "CHAIR"},
                           {"POD", "WORKSTATION"},
                           {"POD", "WORKSTATION"},
                       }));
    EXPECT_EQ(d.BlkInsertAry[1].rotate, 180);
    ExpectPoint(d.BlkInsertAry[3].scale, 1, -1, 1);
    ExpectPoint(d.BlkInsertAry[3].base, 0, 1400);
    EXPECT_EQ(d.InsertAry[0].name, "POD");
    EXPECT_EQ(d.InsertAry[0].bname, "");
    EXPECT_EQ(d.InsertAry[1].color, 1);

    // The loose workstations carry their attributes as texts of the model.
    const TInsertBlk& station = d.InsertAry[2];
    EXPECT_EQ(station.name, "WORKSTATION");
    EXPECT_EQ(station.code66, 1);
    const TTextBlk* seat = FindText(d.TextAry, "W-01");
    const TTextBlk* user = FindText(d.TextAry, "TANAKA");
    const TTextBlk* asset = FindText(d.TextAry, "A-1001");
    ASSERT_TRUE(seat && user && asset);
    EXPECT_EQ(seat->layer, "ANNOTATION");
    EXPECT_EQ(seat->color, 2);
    ExpectPoint(seat->pt10, 8050, 1650);
    EXPECT_EQ(user->code72, 1);
    EXPECT_EQ(user->code73, 2); // from code 74, which follows the field length in code 73
    ExpectPoint(user->pt11, 8700, 1450);
    EXPECT_EQ(asset->code70, 1); // invisible
    EXPECT_NE(FindText(d.TextAry, "SUZUKI"), nullptr);

    // The chair is drawn by block; in its definition it takes layer 0's colour when read.
    ASSERT_EQ(d.BlkArcAry.size(), 1u);
    EXPECT_EQ(d.BlkArcAry[0].bname, "CHAIR");
    EXPECT_EQ(d.BlkArcAry[0].color, 7);
    const TLwpBlk* seatOutline =
        Find(d.BlkLwpAry, [](const TLwpBlk& p) { return p.bname == "CHAIR"; });
    ASSERT_NE(seatOutline, nullptr);
    EXPECT_EQ(seatOutline->code70, 1);
    const auto seatVertices = VerticesOf(d.BlkLwpEleAry, seatOutline->ihand);
    ASSERT_EQ(seatVertices.size(), 4u);
    EXPECT_EQ(seatVertices[1]->code42, 0.2);

    ASSERT_EQ(d.SolidAry.size(), 1u);
    EXPECT_EQ(d.SolidAry[0].bname, "NORTH");
    ExpectPoint(d.SolidAry[0].p1, 0, 450);
    ExpectPoint(d.SolidAry[0].p4, -200, -350);
    ASSERT_EQ(d.BlkTextAry.size(), 1u);
    EXPECT_EQ(d.BlkTextAry[0].str, "N");
}

TEST(BundledSamples, TextsOnly) {
    const Sample sample = ReadSample("texts-only.dxf");
    EXPECT_EQ(sample.version, "AC1021");
    EXPECT_EQ(sample.encoding, TextEncoding::Cp932);
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 4},
                        {"Line", 0},
                        {"Polyline", 0},
                        {"Circle", 0},
                        {"Arc", 0},
                        {"Text", 26}, // title, notes, chart 12 + left + aligned + fit,
                                      // 8 style samples, turned MTEXT
                        {"Ellipse", 0},
                        {"3DFace", 0},
                        {"Insert", 0},
                        {"Block", 2},
                        {"Dimension", 0},
                        {"Leader", 0},
                        {"View", 0},
                    });

    // The notes: 842 characters in three code-3 chunks of 250 and a code-1 rest, joined whole.
    const TTextBlk& notes = d.TextAry[1];
    EXPECT_TRUE(notes.mtflag);
    EXPECT_EQ(notes.str.size(), 842u);
    EXPECT_EQ(notes.str.rfind("{\\fArial|b1|i0|c0|p34;GENERAL NOTES}\\P1.", 0), 0u);
    EXPECT_TRUE(notes.str.ends_with("Y THE REST UNDER GROUP CODE 1."));
    for (const char* seam :
         {"INUOUS, UNLESS NOTED.\\P3", ".\\~FINISHES: {\\fTimes Ne", "N 250 CHARACTERS IS STOR"})
        EXPECT_NE(notes.str.find(seam), std::string::npos) << seam;
    EXPECT_NE(notes.str.find("1.5\\U+00B0 OR LESS"), std::string::npos);
    EXPECT_EQ(notes.code71, 1);
    EXPECT_EQ(notes.code41, 257);

    const TTextBlk* middle = FindText(d.TextAry, "MIDDLE CENTER");
    ASSERT_NE(middle, nullptr);
    EXPECT_FALSE(middle->mtflag);
    EXPECT_EQ(middle->code72, 1);
    EXPECT_EQ(middle->code73, 2);
    ExpectPoint(middle->pt11, 80, 105);
    const TTextBlk* top = FindText(d.TextAry, "TOP RIGHT");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->code72, 2);
    EXPECT_EQ(top->code73, 3);
    const TTextBlk* fit = FindText(d.TextAry, "FIT BETWEEN TWO POINTS");
    ASSERT_NE(fit, nullptr);
    EXPECT_EQ(fit->code72, 5);
    ExpectPoint(fit->pt10, 20, 57);
    ExpectPoint(fit->pt11, 140, 57);
    EXPECT_EQ(FindText(d.TextAry, "MIDDLE")->code72, 4);

    EXPECT_EQ(FindText(d.TextAry, "ROTATED 30%%d")->code50, 30);
    EXPECT_EQ(FindText(d.TextAry, "VERTICAL 90%%d")->code50, 90);
    EXPECT_EQ(FindText(d.TextAry, "NARROW WIDTH 0.7")->code41, 0.7);
    EXPECT_EQ(FindText(d.TextAry, "WIDE WIDTH 1.5")->code41, 1.5);
    EXPECT_EQ(FindText(d.TextAry, "LEFT")->code41, 1.0);
    // Control codes stay in the text for the text renderer to replace.
    EXPECT_NE(FindText(d.TextAry, "HOLE %%c12 H7"), nullptr);
    EXPECT_NE(FindText(d.TextAry, "TOLERANCE %%p0.05"), nullptr);
    EXPECT_NE(FindText(d.TextAry, "%%uUNDERLINED%%u, %%oOVERLINED%%o, 100%%%"), nullptr);

    const TTextBlk& turned = d.TextAry.back();
    EXPECT_TRUE(turned.mtflag);
    EXPECT_EQ(turned.str, "MTEXT TURNED 45\\U+00B0\\PBY ITS DIRECTION VECTOR");
    EXPECT_EQ(turned.code71, 5);
    ExpectPoint(turned.pt11, std::sqrt(0.5), std::sqrt(0.5));
}

// The two Japanese files hold the same drawing; only the release, the encoding and the line
// ends differ.
class JapaneseSample : public ::testing::TestWithParam<const char*> {};

TEST_P(JapaneseSample, DecodesLayersTextsBlocksAndViews) {
    const Sample sample = ReadSample(GetParam());
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 10},   // "0" and nine more in the LAYER table
                        {"Line", 41},    // walls 36 (exterior 10 + 6 + 6 + 2, partitions 10
                                         // and 2), grid axes 5
                        {"Polyline", 1}, // the sofa
                        {"Circle", 7},   // grid bubbles 5, drain, fan
                        {"Arc", 0},
                        {"Text", 19}, // grid labels 5, room and note texts 7, leader note,
                                      // sofa, long note, title, three attributes
                        {"Ellipse", 0},
                        {"3DFace", 0},
                        {"Insert", 7}, // windows 3, doors 3, title block 1
                        {"Block", 8},  // model and paper space, three named, *D1 to *D3
                        {"Dimension", 3},
                        {"Leader", 1},
                        {"View", 2},
                    });

    EXPECT_EQ(d.LayerAry[1].Name, "壁");
    EXPECT_EQ(FindLayer(d, "通り芯")->ltype, "CENTER");
    const TLayer* furniture = FindLayer(d, "家具");
    ASSERT_NE(furniture, nullptr);
    EXPECT_EQ(furniture->color, -4);
    EXPECT_FALSE(furniture->visible);
    EXPECT_EQ(furniture->ltype, "DASHED");

    for (const char* str : {"居間・食堂", "洋室①", "寸法 1500", "FL±0", "%%c75 排水口 床勾配 1.1°",
                            "ソファ", "平面図 S=1/100", "平面図", "2024年4月1日"})
        EXPECT_NE(FindText(d.TextAry, str), nullptr) << str;
    const TTextBlk* fanNote = FindText(d.TextAry, "Φ100 換気扇");
    ASSERT_NE(fanNote, nullptr);
    EXPECT_TRUE(fanNote->mtflag);
    EXPECT_EQ(FindText(d.TextAry, "寸法 1500")->layer, "文字");
    EXPECT_EQ(FindText(d.TextAry, "ソファ")->color, -4);

    // The long note: a code-3 chunk of 250 characters and the rest, joined. 表 and ソ end in the
    // byte 0x5C in Shift-JIS.
    const TTextBlk* note =
        Find(d.TextAry, [](const TTextBlk& t) { return t.str.rfind("{\\fＭＳ ゴシック", 0) == 0; });
    ASSERT_NE(note, nullptr);
    EXPECT_NE(note->str.find("注記}\\P１．壁厚は外壁 150"), std::string::npos);
    EXPECT_NE(note->str.find("別紙仕上表による"), std::string::npos);
    EXPECT_NE(note->str.find("をとる。\\P６．ソファ等の家具"), std::string::npos); // the seam
    EXPECT_TRUE(note->str.ends_with("部分に分けて書かれている。"));

    std::vector<std::string> blocks;
    for (const TBlockBlk& block : d.BlockAry)
        blocks.push_back(block.name);
    EXPECT_EQ(blocks, (std::vector<std::string>{"*Model_Space", "*Paper_Space", "片開き戸",
                                                "引違い窓", "図枠", "*D1", "*D2", "*D3"}));
    const TInsertBlk* frame =
        Find(d.InsertAry, [](const TInsertBlk& i) { return i.name == "図枠"; });
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->code66, 1);
    const TInsertBlk* mirrored =
        Find(d.InsertAry, [](const TInsertBlk& i) { return i.scale.y < 0; });
    ASSERT_NE(mirrored, nullptr);
    EXPECT_EQ(mirrored->name, "片開き戸");
    EXPECT_EQ(mirrored->rotate, 90);

    EXPECT_EQ(ViewNames(d), (std::vector<std::string>{"平面図", "浴室詳細"}));

    ASSERT_EQ(d.LeaderAry.size(), 1u);
    const TLeaderBlk& leader = d.LeaderAry[0];
    EXPECT_EQ(leader.code76, 3);
    ExpectPoint(leader.p1, 6035, 2035);
    ExpectPoint(leader.p3, 6700, 2400);
    EXPECT_EQ(leader.color, 7);
}

INSTANTIATE_TEST_SUITE_P(BundledSamples, JapaneseSample,
                         ::testing::Values("japanese-sjis.dxf", "japanese-utf8.dxf"));

TEST(BundledSamples, JapaneseFilesAgreeAcrossEncodings) {
    const Sample sjis = ReadSample("japanese-sjis.dxf");
    const Sample utf8 = ReadSample("japanese-utf8.dxf");
    EXPECT_EQ(sjis.version, "AC1015");
    EXPECT_EQ(sjis.encoding, TextEncoding::Cp932);
    EXPECT_EQ(utf8.version, "AC1027");
    EXPECT_EQ(utf8.encoding, TextEncoding::Utf8);

    const auto texts = [](const Drawing& d) {
        std::vector<std::string> out;
        for (const auto* table : {&d.TextAry, &d.BlkTextAry})
            for (const TTextBlk& t : *table)
                out.push_back(t.layer.str() + "|" + t.bname.str() + "|" + t.str);
        return out;
    };
    EXPECT_EQ(texts(sjis.drawing), texts(utf8.drawing));
    const auto layers = [](const Drawing& d) {
        std::vector<std::string> out;
        for (const TLayer& l : d.LayerAry)
            out.push_back(l.Name + "|" + l.ltype);
        return out;
    };
    EXPECT_EQ(layers(sjis.drawing), layers(utf8.drawing));
}

TEST(BundledSamples, AllEntities) {
    const Sample sample = ReadSample("all-entities.dxf");
    EXPECT_EQ(sample.version, "AC1024");
    EXPECT_EQ(sample.encoding, TextEncoding::Utf8);
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 9},
                        {"Line", 19},    // hole marks 8, main centre lines 2, side view
                                         // hidden 6 and centre 1, isometric silhouettes 2
                        {"Polyline", 5}, // outline, boss, slot, side view, sheet frame
                        {"Circle", 5},   // bore, four tap drills
                        {"Arc", 4},      // threads
                        {"Text", 10},    // four labels, notes, leader note, four attributes
                        {"Ellipse", 4},  // oval hole; isometric boss, bore and boss root
                        {"3DFace", 3},
                        {"Insert", 4}, // surface marks 2, revision table, title block
                        {"Block", 9},  // model and paper space, TITLE-A4, ROUGHNESS,
                                       // *D1 to *D4, *T1
                        {"Dimension", 4},
                        {"Leader", 1},
                        {"View", 1},
                    });

    const double quarter = std::tan(Pi / 8); // bulge of a 90-degree corner
    const TLwpBlk& outline = d.LwpAry[0];
    EXPECT_EQ(outline.code70, 1);
    const auto corners = VerticesOf(d.LwpEleAry, outline.ihand);
    ASSERT_EQ(corners.size(), 8u);
    for (std::size_t i = 0; i < corners.size(); ++i)
        EXPECT_NEAR(corners[i]->code42, i % 2 ? quarter : 0.0, Written) << i;

    // The boss: a closed LWPOLYLINE of two half circles at elevation 20.
    const TLwpBlk& boss = d.LwpAry[1];
    EXPECT_EQ(boss.code38, 20);
    EXPECT_EQ(boss.code70, 1);
    const auto bossVertices = VerticesOf(d.LwpEleAry, boss.ihand);
    ASSERT_EQ(bossVertices.size(), 2u);
    ExpectPoint(bossVertices[0]->code10, 75, 110, 20);
    ExpectPoint(bossVertices[1]->code10, 125, 110, 20);
    EXPECT_EQ(bossVertices[0]->code42, 1.0);
    EXPECT_EQ(bossVertices[1]->code42, 1.0);

    // The side view: a 2D POLYLINE of ten VERTEX entities with two fillet bulges.
    const TLwpBlk& side = d.LwpAry[3];
    EXPECT_EQ(side.code70, 1);
    const auto sideVertices = VerticesOf(d.LwpEleAry, side.ihand);
    ASSERT_EQ(sideVertices.size(), 10u);
    EXPECT_NEAR(sideVertices[2]->code42, -quarter, Written);
    EXPECT_NEAR(sideVertices[6]->code42, -quarter, Written);
    ExpectPoint(sideVertices[4]->code10, 205, 85);

    const TEllipseBlk& root = d.EllipseAry[3];
    EXPECT_NEAR(root.kaisi, Pi, Written);
    EXPECT_NEAR(root.owari, 2 * Pi, Written);
    EXPECT_NEAR(root.henpei, 1 / std::sqrt(3.0), Written);
    EXPECT_EQ(d.EllipseAry[0].kaisi, 0);
    EXPECT_EQ(d.EllipseAry[0].henpei, 0.4);

    for (const TFaceBlk& face : d.FaceAry)
        EXPECT_EQ(face.count, 4);
    ASSERT_EQ(d.ArcAry.size(), 4u);
    EXPECT_EQ(d.ArcAry[0].st, 100);
    EXPECT_EQ(d.ArcAry[0].ed, 10);

    // The revision table is kept as the insert of its block; its own table data is not read.
    const TInsertBlk* table =
        Find(d.InsertAry, [](const TInsertBlk& i) { return i.name == "*T1"; });
    ASSERT_NE(table, nullptr);
    ExpectPoint(table->base, 200, 197);
    ExpectPoint(table->scale, 1, 1, 1);
    EXPECT_EQ(table->rotate, 0);
    EXPECT_NE(FindText(d.BlkTextAry, "BORE WAS %%c38"), nullptr);

    const TInsertBlk* mark = Find(d.InsertAry, [](const TInsertBlk& i) { return i.rotate != 0; });
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->name, "ROUGHNESS");
    EXPECT_EQ(mark->rotate, 270);
    ExpectPoint(mark->scale, 0.8, 0.8, 0.8);

    ASSERT_EQ(d.DimensionAry.size(), 4u);
    EXPECT_EQ(d.DimensionAry[0].dimblkName, "*D1");
    EXPECT_EQ(d.DimensionAry[0].dimtype, 32);
    ExpectPoint(d.DimensionAry[0].p3, 30, 65);
    ExpectPoint(d.DimensionAry[0].p4, 170, 65);
    EXPECT_EQ(d.DimensionAry[1].code50, 90);
    EXPECT_EQ(d.DimensionAry[3].dimblkName, "*D4");
    EXPECT_EQ(d.DimensionAry[3].dimtype, 35);
    EXPECT_EQ(d.DimensionAry[3].layer, "DIMENSIONS");
    EXPECT_EQ(d.DimensionAry[3].color, 3);
    EXPECT_NE(FindText(d.BlkTextAry, "%%c40 H7"), nullptr);
    EXPECT_EQ(d.SolidAry.size(), 8u); // two arrowheads in each dimension block

    ASSERT_EQ(d.LeaderAry.size(), 1u);
    EXPECT_EQ(d.LeaderAry[0].code76, 3);
    ExpectPoint(d.LeaderAry[0].p1, 45 - 5 * std::sqrt(0.5), 140 + 5 * std::sqrt(0.5));
    ExpectPoint(d.LeaderAry[0].p2, 50, 168);
    ExpectPoint(d.LeaderAry[0].p3, 60, 168);
    EXPECT_EQ(d.LeaderAry[0].color, 2);
    EXPECT_NE(FindText(d.TextAry, "4-M10 THRU\\P%%c8.5 TAP DRILL"), nullptr);

    const TTextBlk* datum = FindText(d.TextAry, "DATUM A");
    ASSERT_NE(datum, nullptr);
    EXPECT_EQ(datum->code50, 90);
    EXPECT_EQ(datum->code41, 0.8);
    EXPECT_NE(FindText(d.TextAry, "FLANGE PLATE"), nullptr);
    EXPECT_EQ(ViewNames(d), std::vector<std::string>{"BOSS DETAIL"});
}

TEST(BundledSamples, MeshAndFaces) {
    const Sample sample = ReadSample("mesh-and-faces.dxf");
    EXPECT_EQ(sample.version, "AC1009");
    EXPECT_EQ(sample.encoding, TextEncoding::Cp932);
    const Drawing& d = sample.drawing;
    ExpectCounts(d, {
                        {"Layer", 8},
                        {"Line", 0},
                        {"Polyline", 5}, // terrain, tank, house, fence, boundary
                        {"Circle", 0},
                        {"Arc", 0},
                        {"Text", 3},
                        {"Ellipse", 0},
                        {"3DFace", 7}, // roof 4, deck 1, steps 1, paved corner 1
                        {"Insert", 3}, // trees
                        {"Block", 1},  // TREE; release 12 has no model or paper space block
                        {"Dimension", 0},
                        {"Leader", 0},
                        {"View", 2},
                    });

    // Flags, mesh sizes and vertex records of the five polylines. Every VERTEX with a code 10
    // is a record: the polyface mesh gives its 10 positions and its 9 face records.
    struct Polyline {
        std::int16_t code70, code71, code72;
        std::size_t vertices;
    };
    const std::vector<Polyline> expected = {
        {16, 4, 5, 20}, {48, 2, 12, 24}, {64, 10, 9, 10}, {8, 0, 0, 5}, {1, 0, 0, 5}};
    ASSERT_EQ(d.LwpAry.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.LwpAry[i].code70, expected[i].code70);
        EXPECT_EQ(d.LwpAry[i].code71, expected[i].code71);
        EXPECT_EQ(d.LwpAry[i].code72, expected[i].code72);
        EXPECT_EQ(VerticesOf(d.LwpEleAry, d.LwpAry[i].ihand).size(), expected[i].vertices);
    }
    EXPECT_EQ(d.LwpEleAry.size(), 64u);
    // The polyface mesh's nine face records are no positions.
    EXPECT_EQ(d.PolyfaceAry.size(), 9u);
    const auto fence = VerticesOf(d.LwpEleAry, d.LwpAry[3].ihand);
    EXPECT_GT(fence.back()->code10.z, fence.front()->code10.z); // it climbs the slope
    const auto boundary = VerticesOf(d.LwpEleAry, d.LwpAry[4].ihand);
    EXPECT_NEAR(boundary[3]->code42, std::tan(Pi / 8), Written);

    // Roof triangles repeat their third corner and so count four; the paved corner is written
    // with three corners and keeps a zero fourth.
    ASSERT_EQ(d.FaceAry.size(), 7u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(d.FaceAry[i].count, 4);
        EXPECT_EQ(d.FaceAry[i].pt[3].z, d.FaceAry[i].pt[2].z);
        EXPECT_EQ(d.FaceAry[i].layer, "ROOFS");
    }
    EXPECT_EQ(d.FaceAry[5].code70, 4);
    const TFaceBlk& paved = d.FaceAry[6];
    EXPECT_EQ(paved.count, 3);
    ExpectPoint(paved.pt[3], 0, 0, 0);
    EXPECT_EQ(paved.pt[1].x, 6);

    EXPECT_EQ(d.InsertAry[1].name, "TREE");
    ExpectPoint(d.InsertAry[1].scale, 1.3, 1.3, 1.3);
    EXPECT_EQ(ViewNames(d), (std::vector<std::string>{"PLAN", "SOUTH-EAST ISO"}));
}

} // namespace
} // namespace orvanta
