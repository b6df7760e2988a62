#include "load/LoadDrawing.h"
#include "dxf/PairSource.h"
#include "geometry/ArcFlattening.h"
#include "geometry/BlockExpansion.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/Extents.h"
#include "geometry/FaceExplosion.h"
#include "geometry/LeaderExplosion.h"
#include "geometry/PolylineExplosion.h"
#include "geometry/Primitives.h"
#include "geometry/WorldCoordinates.h"
#include "render/Colors.h"
#include "tests/support/TestNames.h"

#include "geometry/Builders.h"
#include "support/NormalisedDump.h"
#include "support/TestFiles.h"

namespace orvanta {
namespace {

using test::Dxf;
using test::P;
using test::ReadText;

std::size_t Drawable(const Drawing& d) {
    const DrawableCounts c = CountDrawable(d);
    return c.lines + c.circles + c.arcs + c.texts;
}

TEST(NormaliseDrawing, EmptiesEverySourceTableAndSetsTheExtents) {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.BlockAry.push_back(test::Block("B"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "B"));
    d.BlkInsertAry.push_back(test::Insert("B", P(0, 0), P(1, 1, 1), 0, "Nowhere"));
    d.InsertAry.push_back(test::Insert("B", P(20, 0)));
    TLwpBlk& h = d.LwpAry.emplace_back();
    h.code70 = 1;
    d.LwpEleAry = {{0, P(0, 0), 0}, {0, P(1, 0), 0}, {0, P(1, 1), 0}};
    TLwpBlk& bh = d.BlkLwpAry.emplace_back();
    bh.bname = test::N("B");
    d.BlkLwpEleAry = {{0, P(0, 0), 0}, {0, P(0, 1), 0}};
    TEllipseBlk e;
    e.endpoint = P(1, 0);
    e.henpei = 1;
    e.owari = TwoPi;
    d.EllipseAry.push_back(e);
    d.FaceAry.emplace_back().pt[1] = P(-5, -5);
    TLeaderBlk leader;
    leader.code76 = 2;
    leader.p2 = P(0, 30);
    d.LeaderAry.push_back(leader);

    NormaliseDrawing(d);
    EXPECT_TRUE(d.LwpAry.empty());
    EXPECT_TRUE(d.LwpEleAry.empty());
    EXPECT_TRUE(d.BlkLwpAry.empty());
    EXPECT_TRUE(d.BlkLwpEleAry.empty());
    EXPECT_TRUE(d.EllipseAry.empty());
    EXPECT_TRUE(d.InsertAry.empty());
    EXPECT_TRUE(d.BlockAry.empty());
    EXPECT_TRUE(d.BlkInsertAry.empty());
    EXPECT_TRUE(d.FaceAry.empty());
    EXPECT_TRUE(d.LeaderAry.empty());
    // 3 polyline sides + 36 ellipse chords + 2 block pieces + 3 face edges + 1 leader segment.
    EXPECT_EQ(d.LineAry.size(), 45u);
    EXPECT_POINT_NEAR(d.ExtMin, -5, -5, 1e-12);
    EXPECT_POINT_NEAR(d.ExtMax, 21, 30, 1e-12);
}

// A drawing with one block "W" (a line and an arc), inserted mirrored; a circle in a mirrored
// object coordinate system; a reversed elliptical arc; and an ACAD_TABLE of block "*T1".
// clang-format off
const std::string MixedDrawing = Dxf({
    "0", "SECTION", "2", "BLOCKS",
    "0", "BLOCK", "8", "0", "2", "W", "70", "0", "10", "0", "20", "0", "30", "0",
    "0", "LINE", "8", "0", "10", "0", "20", "0", "30", "0", "11", "10", "21", "0", "31", "0",
    "0", "ARC", "8", "0", "10", "0", "20", "0", "30", "0", "40", "2", "50", "0", "51", "90",
    "0", "ENDBLK",
    "0", "BLOCK", "8", "0", "2", "*T1", "70", "1", "10", "0", "20", "0", "30", "0",
    "0", "LINE", "8", "0", "10", "0", "20", "0", "30", "0", "11", "4", "21", "0", "31", "0",
    "0", "ENDBLK",
    "0", "ENDSEC",
    "0", "SECTION", "2", "ENTITIES",
    "0", "INSERT", "8", "DOORS", "2", "W", "10", "100", "20", "0", "30", "0", "41", "-1",
    "0", "CIRCLE", "8", "0", "10", "5", "20", "0", "30", "0", "40", "1",
    "210", "0", "220", "0", "230", "-1",
    "0", "ELLIPSE", "8", "0", "10", "0", "20", "-50", "30", "0", "11", "2", "21", "0", "31", "0",
    "40", "0.5", "41", "5.0", "42", "1.0",
    "0", "ACAD_TABLE", "8", "0", "2", "*T1", "10", "0", "20", "40", "30", "0",
    "100", "AcDbTable", "10", "1", "20", "0", "30", "0", "41", "99",
    "0", "ENDSEC",
    "0", "EOF",
});
// clang-format on

TEST(NormaliseDrawing, ReadDrawingEndToEnd) {
    Drawing d = ReadText(MixedDrawing);
    ASSERT_EQ(d.InsertAry.size(), 2u);
    NormaliseDrawing(d);

    // The mirrored block: its line runs left from (100, 0), its arc bulges to the left.
    ASSERT_EQ(d.ArcAry.size(), 1u);
    EXPECT_POINT_NEAR(d.ArcAry[0].center, 100, 0, 0);
    EXPECT_DOUBLE_EQ(d.ArcAry[0].st, 90);
    EXPECT_DOUBLE_EQ(d.ArcAry[0].ed, 180);
    EXPECT_EQ(d.ArcAry[0].layer, "DOORS");
    bool mirroredLine = false, tableLine = false;
    for (const TAcadLineBlk& line : d.LineAry) {
        if (line.st.x == 100 && line.ed.x == 90) mirroredLine = true;
        if (line.st.y == 40 && line.ed.x == 4 && line.ed.y == 40) tableLine = true;
    }
    EXPECT_TRUE(mirroredLine);
    EXPECT_TRUE(tableLine);

    // The circle is replaced by chords about (-5, 0).
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_EQ(d.CircleAry[0].code67, -1);
    // Chords: 36 of the circle and 14 of the elliptical arc through 0, plus 2 block lines.
    EXPECT_EQ(d.LineAry.size(), 52u);
    EXPECT_EQ(Drawable(d), 53u);
    EXPECT_NEAR(d.ExtMin.x, -6, 1e-9);
    EXPECT_NEAR(d.ExtMax.x, 100, 1e-9);
    EXPECT_NEAR(d.ExtMax.y, 40, 1e-9);
    EXPECT_LT(d.ExtMin.y, -50);
}

TEST(NormaliseDrawing, DimensionsInsideBlocksFollowEveryPlacement) {
    // Block P holds a DIMENSION whose picture is *D1 (a line from (1,0) to (2,0), in P's
    // coordinates); P is inserted twice. The dimension's own points and angles do not move it.
    // clang-format off
    Drawing d = ReadText(Dxf({
        "0", "SECTION", "2", "BLOCKS",
        "0", "BLOCK", "8", "0", "2", "P", "70", "0", "10", "0", "20", "0", "30", "0",
        "0", "DIMENSION", "8", "0", "2", "*D1", "10", "7", "20", "7", "30", "0",
        "11", "5", "21", "5", "31", "0", "70", "32", "41", "3", "42", "3", "50", "45",
        "0", "ENDBLK",
        "0", "BLOCK", "8", "0", "2", "*D1", "70", "1", "10", "0", "20", "0", "30", "0",
        "0", "LINE", "8", "0", "10", "1", "20", "0", "30", "0", "11", "2", "21", "0", "31", "0",
        "0", "ENDBLK",
        "0", "ENDSEC",
        "0", "SECTION", "2", "ENTITIES",
        "0", "INSERT", "8", "0", "2", "P", "10", "0", "20", "0", "30", "0",
        "0", "INSERT", "8", "0", "2", "P", "10", "100", "20", "0", "30", "0", "50", "90",
        "0", "ENDSEC",
        "0", "EOF",
    }));
    // clang-format on
    EXPECT_TRUE(d.DimensionAry.empty()); // only the model's dimensions are counted
    NormaliseDrawing(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 1, 0, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 2, 0, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 100, 1, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 100, 2, 1e-12);
}

TEST(NormaliseDrawing, RefusesBlocksThatMultiplyBeyondMemory) {
    Drawing d;
    for (int i = 0; i < 9; ++i) {
        const std::string name = "M" + std::to_string(i);
        d.BlockAry.push_back(test::Block(name));
        for (int k = 0; k < 10; ++k)
            d.BlkInsertAry.push_back(
                test::Insert("M" + std::to_string(i + 1), P(k, 0), P(1, 1, 1), 0, name));
    }
    d.InsertAry.push_back(test::Insert("M0", P(0, 0)));
    try {
        NormaliseDrawing(d);
        FAIL() << "expected a refusal";
    } catch (const SilentAbort& e) {
        EXPECT_NE(std::string(e.what()).find("expand"), std::string::npos);
    }
}

// A drawing large enough for the load sequence to make room in one step and fault it in on a
// second thread: polylines (with bulges of every size, tiny ones giving lines, and a mesh),
// curves outside the world plane, ellipses, nested and mirrored inserts, dimensions, faces and
// leaders, on a few layers.
Drawing LargeDrawing() {
    Drawing d;
    for (int i = 0; i < 5; ++i)
        d.LayerAry.push_back({"L" + std::to_string(i), static_cast<std::int16_t>(i + 1), 0,
                              i % 2 ? "DASHED" : "CONTINUOUS", true, ""});
    const auto layer = [](int i) { return "L" + std::to_string(i % 7); }; // two are unlisted
    d.BlockAry.push_back(test::Block("INNER", P(1, 1)));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(2, 1), "INNER", "0", 0));
    d.BlkArcAry.push_back(test::Arc(P(1, 1), 1, 30, 200, "INNER"));
    d.BlockAry.push_back(test::Block("OUTER"));
    d.BlkCircleAry.push_back(test::Circle(P(0, 0), 3, "OUTER"));
    d.BlkTextAry.push_back(test::Text(P(1, 2), 2.5, "OUTER", "OUTER"));
    d.BlkInsertAry.push_back(test::Insert("INNER", P(5, 0), P(-1, 1, 1), 30, "OUTER"));
    d.BlockAry.push_back(test::Block("*D1"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(9, 0), "*D1", "DIM"));
    TDimensionBlk& dimension = d.DimensionAry.emplace_back();
    dimension.dimblkName = test::N("*D1");

    std::int32_t ihand = 0;
    for (int i = 0; i < 12000; ++i) {
        const double x = i % 200 * 50.0, y = i / 200 * 50.0;
        TLwpBlk& h = d.LwpAry.emplace_back();
        h.ihand = ihand;
        h.layer = test::N(layer(i));
        h.code70 = i % 3 == 0 ? 1 : 0;
        if (i % 50 == 0) h.code210 = P(0, 0, -1);
        for (int k = 0; k < 10; ++k) {
            const double bulge = k % 4 == 0 ? 0.5 : k % 4 == 1 ? 0.001 : 0;
            d.LwpEleAry.push_back({ihand, P(x + k * 3, y + (k % 2) * 5, 0), bulge});
        }
        ++ihand;
        if (i % 1000 == 0) {
            TLwpBlk& mesh = d.LwpAry.emplace_back();
            mesh.ihand = ihand++;
            mesh.code70 = 16 | 1;
            mesh.code71 = 3;
            mesh.code72 = 4;
            for (int k = 0; k < 12; ++k)
                d.LwpEleAry.push_back({mesh.ihand, P(x + k % 4, y + k / 4, k), 0});
        }
        if (i % 4 == 0) {
            TArcBlk arc = test::Arc(P(x, y), 4, i % 360, (i * 7) % 360);
            arc.layer = test::N(layer(i + 1));
            if (i % 8 == 0) arc.code210 = d.extrusion(P(0, 0, -1));
            d.ArcAry.push_back(arc);
            TCircleBlk circle = test::Circle(P(x + 20, y), 2);
            if (i % 12 == 0) circle.code210 = d.extrusion(P(0.6, 0, 0.8));
            d.CircleAry.push_back(circle);
        }
        if (i % 10 == 0) {
            TEllipseBlk& e = d.EllipseAry.emplace_back();
            e.center = P(x, y + 20);
            e.endpoint = P(6, 2);
            e.henpei = 0.5;
            e.kaisi = 1;
            e.owari = i % 20 ? 0.5 : 5;
            d.InsertAry.push_back(test::Insert(i % 20 ? "OUTER" : "INNER", P(x, y),
                                               P(i % 30 ? 1 : -1, 1, 1), i % 90));
            d.InsertAry.back().layer = test::N(layer(i));
            d.FaceAry.emplace_back().pt[2] = P(x, y - 5);
            TLeaderBlk& leader = d.LeaderAry.emplace_back();
            leader.code76 = 3;
            leader.code41 = 2;
            leader.p2 = P(x + 1, y + 1);
            leader.p3 = P(x + 2, y + 1);
            d.TextAry.push_back(test::Text(P(x, y), 1, "T" + std::to_string(i)));
        }
    }
    return d;
}

// NormaliseDrawing makes room for every pass at once and faults it in on a second thread; the
// result must be what the passes give one by one, to the bit.
TEST(NormaliseDrawing, LargeDrawingLoadsAsThePassesOneByOne) {
    Drawing whole = LargeDrawing();
    Drawing steps = whole;
    NormaliseDrawing(whole);

    ExplodeBlockPolylines(steps);
    steps.BlkLwpAry.clear();
    steps.BlkLwpEleAry.clear();
    ExplodeModelPolylines(steps);
    steps.LwpAry.clear();
    steps.LwpEleAry.clear();
    FlattenEllipses(steps, FlatteningStepDeg);
    steps.EllipseAry.clear();
    FlattenArcs(steps, false, FlatteningStepDeg);
    FlattenCircles(steps, false, FlatteningStepDeg);
    LinesToWcs(steps);
    TextsToWcs(steps);
    ExpandModelInserts(steps);
    steps.InsertAry.clear();
    ExpandBlocks(steps);
    steps.BlockAry.clear();
    steps.BlkInsertAry.clear();
    ExplodeFaces(steps);
    steps.FaceAry.clear();
    ExplodeLeaders(steps);
    steps.LeaderAry.clear();
    ComputeExtents(steps);
    ResolvePens(steps);

    const std::string expected = test::DumpNormalised(steps);
    const std::string actual = test::DumpNormalised(whole);
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
}

} // namespace
} // namespace orvanta

namespace orvanta {
namespace {

// A converter that hands back a prepared DXF, or refuses.
class PreparedConverter : public DrawingConverter {
  public:
    explicit PreparedConverter(std::string result) : result_(std::move(result)) {}
    std::string convert(const std::string& source) override {
        asked.push_back(source);
        if (result_ == "refuse") throw SilentAbort(source + ": the conversion was stopped");
        return result_;
    }
    std::vector<std::string> asked;

  private:
    std::string result_;
};

TEST(LoadDrawingFile, WhatTheFileIsDecidesTheRoad) {
    test::TempDir dir;
    const std::string r2007 = dir.write(
        "r2007.dxf", Dxf({"0",  "SECTION", "2",  "HEADER",  "9",  "$ACADVER", "1",  "AC1021",
                          "0",  "ENDSEC",  "0",  "SECTION", "2",  "ENTITIES", "0",  "LWPOLYLINE",
                          "8",  "平面図",  "90", "2",       "10", "0",        "20", "0",
                          "10", "4",       "20", "3",       "0",  "ENDSEC",   "0",  "EOF"}));
    LoadedDrawing loaded = LoadDrawingFile(r2007);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    EXPECT_EQ(loaded.versionName, "2007");
    EXPECT_EQ(loaded.encoding, TextEncoding::Utf8) << "release 2007 in UTF-8 by its bytes";
    EXPECT_EQ(loaded.readCounts[2].count, 1u) << "counted as read";
    EXPECT_EQ(loaded.drawing.LwpAry.size(), 0u) << "normalised";
    EXPECT_EQ(loaded.drawing.LineAry.size(), 1u);
    EXPECT_EQ(loaded.drawing.LayerAry.back().Name, "平面図");
    EXPECT_DOUBLE_EQ(loaded.drawing.ExtMax.x, 4);

    // DWG content: not loaded without a converter, loaded through one, failed when it fails.
    const std::string dwg = dir.write("plan.dwg", std::string("AC1027\0\0\0\0", 10));
    loaded = LoadDrawingFile(dwg);
    EXPECT_EQ(loaded.outcome, LoadOutcome::NotLoaded);
    EXPECT_EQ(loaded.kind, DrawingFileKind::Dwg);
    EXPECT_EQ(loaded.versionName, "2013");
    PreparedConverter converter(r2007);
    loaded = LoadDrawingFile(dwg, {nullptr, &converter});
    EXPECT_EQ(loaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.versionName, "2013") << "the release of the DWG, not of its conversion";
    EXPECT_EQ(converter.asked, std::vector<std::string>{dwg});
    const std::string binary = dir.write("binary.dxf", std::string("AC1015\0\0\0\0", 10));
    PreparedConverter refusing("refuse");
    loaded = LoadDrawingFile(binary, {nullptr, &refusing});
    EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    EXPECT_EQ(loaded.kind, DrawingFileKind::BinaryDxf);
    EXPECT_EQ(loaded.failure.message(), binary + ": the conversion was stopped");
    PreparedConverter silent("");
    EXPECT_EQ(LoadDrawingFile(binary, {nullptr, &silent}).outcome, LoadOutcome::NotLoaded);
}

TEST(LoadDrawingFile, ABinaryDxfTheReaderRefusesGoesToTheConverter) {
    test::TempDir dir;
    const std::string odd = dir.write("odd.dxf", std::string(BinaryDxfSentinel) + "\x07SECTION");
    LoadedDrawing loaded = LoadDrawingFile(odd);
    EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    EXPECT_EQ(loaded.failure.message(Language::English),
              odd + ": byte offset 22: a binary DXF file of a form this reader does not know, "
                    "read only after conversion to text DXF");
    EXPECT_NE(loaded.failure.message(Language::Japanese).find("（バイトオフセット 22）"),
              std::string::npos);

    const std::string text =
        dir.write("text.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "0", "ENDSEC"}));
    PreparedConverter converter(text);
    loaded = LoadDrawingFile(odd, {nullptr, &converter});
    EXPECT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    EXPECT_EQ(converter.asked, std::vector<std::string>{odd});
    // A malformed text DXF is no work for the converter.
    const std::string bad =
        dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x"}));
    PreparedConverter unused(text);
    EXPECT_EQ(LoadDrawingFile(bad, {nullptr, &unused}).outcome, LoadOutcome::Failed);
    EXPECT_TRUE(unused.asked.empty());
}

TEST(LoadDrawingFile, AFailureNamesFileAndLineAndLeavesNoHalfDrawing) {
    test::TempDir dir;
    const std::string bad =
        dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x"}));
    const LoadedDrawing loaded = LoadDrawingFile(bad);
    EXPECT_EQ(loaded.outcome, LoadOutcome::Failed);
    EXPECT_EQ(loaded.failure.file, bad);
    EXPECT_EQ(loaded.failure.line, 8);
    EXPECT_TRUE(loaded.drawing.LineAry.empty() && loaded.drawing.LayerAry.empty());
    EXPECT_EQ(LoadDrawingFile(dir.path().string()).failure.message(),
              dir.path().string() + ": is a folder");
    EXPECT_EQ(LoadDrawingFile(bad + ".none").failure.reason(), "no such file");
}

TEST(LoadDrawingFile, AFailureIsWordedInTheLanguageAskedFor) {
    test::TempDir dir;
    const std::string bad =
        dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x"}));
    const LoadFailure failure = LoadDrawingFile(bad).failure;
    EXPECT_EQ(failure.problem, LoadProblem::Dxf);
    EXPECT_EQ(failure.dxfProblem, DxfProblem::NotReal);
    EXPECT_EQ(failure.message(Language::English),
              bad + ":8: value \"x\" of group code 10 is not a real number");
    EXPECT_EQ(failure.message(Language::Japanese),
              bad + "（8 行目）: グループコード 10 の値 \"x\" は実数ではありません");
}

} // namespace
} // namespace orvanta
