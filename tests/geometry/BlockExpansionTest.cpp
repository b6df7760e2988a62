#include "geometry/BlockExpansion.h"
#include "geometry/Primitives.h"
#include "tests/support/TestNames.h"

#include "Builders.h"

#include <cmath>

namespace orvanta {
namespace {

using test::P;

// A drawing with a block K (base (10, 0)) holding one line (10,0)->(11,0).
Drawing LineBlock() {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.BlockAry.push_back(test::Block("K", P(10, 0)));
    d.BlkLineAry.push_back(test::Line(P(10, 0), P(11, 0), "K"));
    return d;
}

TEST(ExpandModelInserts, ScalesRotatesAndMovesBlockPoints) {
    Drawing d = LineBlock();
    d.InsertAry.push_back(test::Insert("K", P(5, 5), P(2, 2, 1), 90));
    d.InsertAry.push_back(test::Insert("K", P(5, 5), P(-1, 1, 1), 0));
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 5, 5, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 5, 7, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 5, 5, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 4, 5, 0);
    EXPECT_EQ(d.LineAry[0].bname, "K");
}

TEST(ExpandModelInserts, CirclesArcsAndTextHeightsFollowAnEvenScale) {
    Drawing d = LineBlock();
    d.BlkCircleAry.push_back(test::Circle(P(10, 0), 1, "K"));
    d.BlkArcAry.push_back(test::Arc(P(10, 0), 1, 0, 90, "K"));
    d.BlkTextAry.push_back(test::Text(P(10, 0), 2, "T", "K"));
    d.InsertAry.push_back(test::Insert("K", P(0, 0), P(2, 2, 1), 0));
    d.InsertAry.push_back(test::Insert("K", P(0, 0), P(-1, 1, 1), 0));
    ExpandModelInserts(d);
    ASSERT_EQ(d.CircleAry.size(), 2u);
    EXPECT_EQ(d.CircleAry[0].hankei, 2);
    EXPECT_EQ(d.CircleAry[1].hankei, 1);
    EXPECT_EQ(d.ArcAry[0].hankei, 2);
    EXPECT_EQ(d.ArcAry[0].st, 0);
    EXPECT_EQ(d.ArcAry[0].ed, 90);
    EXPECT_EQ(d.TextAry[0].code40, 4);
}

TEST(ExpandModelInserts, StretchedInsertsDrawEllipsesAndStretchAndSlantTheirTexts) {
    Drawing d;
    d.BlockAry.push_back(test::Block("K"));
    d.BlkCircleAry.push_back(test::Circle(P(0, 0), 1, "K"));
    d.BlkTextAry.push_back(test::Text(P(0, 0), 2, "T", "K"));
    d.BlkTextAry.push_back(test::Text(P(0, 0), 1, "U", "K"));
    d.BlkTextAry.back().code50 = 45;
    d.InsertAry.push_back(test::Insert("K", P(0, 0), P(2, 3, 1), 0));
    ExpandModelInserts(d);
    // The circle becomes chords of the ellipse (x/2)^2 + (y/3)^2 = 1.
    EXPECT_TRUE(d.CircleAry.empty());
    ASSERT_GT(d.LineAry.size(), 16u);
    for (const TAcadLineBlk& chord : d.LineAry)
        EXPECT_NEAR(std::pow(chord.st.x / 2, 2) + std::pow(chord.st.y / 3, 2), 1, 1e-9);
    // Upright: three times as high, two thirds as wide for its height.
    EXPECT_DOUBLE_EQ(d.TextAry[0].code40, 6);
    EXPECT_NEAR(d.TextAry[0].code41, 2.0 / 3, 1e-12);
    EXPECT_NEAR(d.TextAry[0].code51, 0, 1e-12);
    // At 45 degrees the baseline turns towards the longer axis and the upright leans forward.
    const TTextBlk& turned = d.TextAry[1];
    EXPECT_NEAR(turned.code50, std::atan2(3.0, 2.0) * RadToDeg, 1e-9);
    EXPECT_NEAR(turned.code40, 6 / std::sqrt(6.5), 1e-9);
    EXPECT_NEAR(turned.code51, std::atan(2.5 / 6) * RadToDeg, 1e-9);
}

TEST(ExpandModelInserts, ArcsOfMirroredInsertsStayMirrored) {
    const auto placed = [](TAcadPoint scale, double rotate, double st, double ed) {
        Drawing d;
        d.BlockAry.push_back(test::Block("A"));
        d.BlkArcAry.push_back(test::Arc(P(1, 0), 1, st, ed, "A"));
        d.InsertAry.push_back(test::Insert("A", P(0, 0), scale, rotate));
        ExpandModelInserts(d);
        return d.ArcAry.at(0);
    };
    // A quarter from 0° to 90° mirrored in x lies from 90° to 180°, about the mirrored centre.
    TArcBlk a = placed(P(-1, 1, 1), 0, 0, 90);
    EXPECT_POINT_NEAR(a.center, -1, 0, 0);
    EXPECT_DOUBLE_EQ(a.st, 90);
    EXPECT_DOUBLE_EQ(a.ed, 180);
    // Mirrored in y: from 270° to 360°.
    a = placed(P(1, -1, 1), 0, 0, 90);
    EXPECT_DOUBLE_EQ(a.st, 270);
    EXPECT_DOUBLE_EQ(a.ed, 360);
    // Both negative is a half turn: from 180° to 270°.
    a = placed(P(-1, -1, 1), 0, 0, 90);
    EXPECT_DOUBLE_EQ(a.st, 180);
    EXPECT_DOUBLE_EQ(a.ed, 270);
    // The rotation comes after the mirror.
    a = placed(P(-1, 1, 1), 30, 0, 90);
    EXPECT_DOUBLE_EQ(a.st, 120);
    EXPECT_DOUBLE_EQ(a.ed, 210);
    // An arc through 0° keeps its sweep: 350°..10° mirrored in x is 170°..190°.
    a = placed(P(-1, 1, 1), 0, 350, 10);
    EXPECT_DOUBLE_EQ(a.st, 170);
    EXPECT_DOUBLE_EQ(a.ed, 190);
    // A full turn stays a full turn.
    a = placed(P(-2, 2, 1), 0, 0, 360);
    EXPECT_DOUBLE_EQ(a.ed - a.st, 360);
    // Without a mirror the rotation is simply added, unreduced.
    a = placed(P(1, 1, 1), 300, 80, 160);
    EXPECT_EQ(a.st, 380);
    EXPECT_EQ(a.ed, 460);
}

TEST(ExpandModelInserts, TextsTurnWithTheInsert) {
    Drawing d;
    d.BlockAry.push_back(test::Block("T"));
    d.BlkTextAry.push_back(test::Text(P(1, 0), 1, "text", "T"));
    d.BlkTextAry[0].code50 = 10;
    TTextBlk mtext = test::Text(P(1, 0), 1, "mtext", "T");
    mtext.mtflag = true;
    d.BlkTextAry.push_back(mtext); // no direction: the x axis
    mtext.pt11 = P(0, 1, 0);
    d.BlkTextAry.push_back(mtext);
    d.InsertAry.push_back(test::Insert("T", P(100, 50), P(1, 1, 1), 45));
    d.InsertAry.push_back(test::Insert("T", P(100, 50)));
    ExpandModelInserts(d);
    ASSERT_EQ(d.TextAry.size(), 6u);
    EXPECT_EQ(d.TextAry[0].code50, 55);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, 100 + std::sqrt(0.5), 50 + std::sqrt(0.5), 1e-12);
    // An MTEXT direction is turned, never moved to the insertion point.
    EXPECT_POINT_NEAR(d.TextAry[1].pt11, std::sqrt(0.5), std::sqrt(0.5), 1e-12);
    EXPECT_POINT_NEAR(d.TextAry[2].pt11, -std::sqrt(0.5), std::sqrt(0.5), 1e-12);
    // Unrotated, a missing direction stays missing.
    EXPECT_POINT_NEAR(d.TextAry[4].pt11, 0, 0, 0);
    EXPECT_POINT_NEAR(d.TextAry[5].pt11, 0, 1, 0);
    EXPECT_EQ(d.TextAry[3].code50, 10);
}

TEST(ExpandModelInserts, OfTwoBlocksOfOneNameTheFirstCounts) {
    Drawing d;
    d.BlockAry = {test::Block("B", P(0, 0)), test::Block("B", P(5, 0)), test::Block("C", P(1, 0))};
    d.BlkLineAry = {test::Line(P(0, 0), P(1, 0), "B"), test::Line(P(1, 0), P(2, 0), "C")};
    d.InsertAry = {test::Insert("B", P(10, 0)), test::Insert("C", P(20, 0))};
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 10, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 20, 0, 0);
}

TEST(ExpandModelInserts, MissingBlocksGiveNothingAndEveryInsertGivesACopy) {
    Drawing d = LineBlock();
    d.BlockAry.push_back(test::Block("Unused"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 1), "Unused"));
    d.InsertAry.push_back(test::Insert("Nothing", P(0, 0)));
    d.InsertAry.push_back(test::Insert("K", P(0, 0)));
    d.InsertAry.push_back(test::Insert("K", P(1, 0)));
    d.InsertAry.push_back(test::Insert("k", P(0, 0))); // names compare case-sensitively
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_EQ(d.LineAry[0].bname, "K");
    EXPECT_EQ(d.LineAry[1].bname, "K");
}

TEST(ExpandModelInserts, LayerZeroTakesTheInsertLayerAndItsColour) {
    Drawing d = LineBlock();
    d.BlkLineAry[0].ltype = test::N("BYBLOCK");
    TAcadLineBlk own = test::Line(P(10, 0), P(12, 0), "K", "A", 3);
    d.BlkLineAry.push_back(own);
    // Colour 0 (by block) hands the line to the insert whatever its own layer.
    d.BlkLineAry.push_back(test::Line(P(10, 0), P(13, 0), "K", "A", 0));
    d.LayerAry.push_back({"A", 3});
    d.LayerAry.push_back({"RED", 1});
    TInsertBlk wall = test::Insert("K", P(0, 0));
    wall.layer = test::N("WALL");
    wall.ltype = test::N("DASHED");
    wall.color = 5; // never used
    d.InsertAry.push_back(wall);
    TInsertBlk red = wall;
    red.layer = test::N("RED");
    d.InsertAry.push_back(red);
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 6u);
    EXPECT_EQ(d.LineAry[0].layer, "WALL");
    EXPECT_EQ(d.LineAry[0].ltype, "DASHED");
    EXPECT_EQ(d.LineAry[0].color, 7); // WALL did not exist: appended with colour 7
    EXPECT_EQ(d.LineAry[1].layer, "A");
    EXPECT_EQ(d.LineAry[1].color, 3);
    EXPECT_EQ(d.LineAry[2].layer, "WALL");
    EXPECT_EQ(d.LineAry[2].color, 7);
    EXPECT_EQ(d.LineAry[3].color, 1);
    EXPECT_EQ(d.LineAry[5].layer, "RED");
    ASSERT_EQ(d.LayerAry.size(), 4u);
    EXPECT_EQ(d.LayerAry[3].Name, "WALL");
}

TEST(ExpandModelInserts, PaperSpaceInsertsGivePaperSpaceCopies) {
    Drawing d = LineBlock();
    d.InsertAry.push_back(test::Insert("K", P(0, 0)));
    d.InsertAry[0].code67 = 1;
    ExpandModelInserts(d);
    EXPECT_EQ(d.LineAry.at(0).code67, 1);
}

// Block K holds an INSERT of block N at (100, 0); N holds the line (0,0)->(1,0).
Drawing NestedBlocks() {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.BlockAry.push_back(test::Block("K"));
    d.BlockAry.push_back(test::Block("N"));
    d.BlkInsertAry.push_back(test::Insert("N", P(100, 0), P(1, 1, 1), 0, "K"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "N"));
    return d;
}

TEST(ExpandModelInserts, NestedBlocksFollowEveryPlacementOfTheirParent) {
    Drawing d = NestedBlocks();
    d.InsertAry.push_back(test::Insert("K", P(0, 0)));
    d.InsertAry.push_back(test::Insert("K", P(500, 0), P(2, 2, 1), 90));
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 100, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 101, 0, 0);
    // Inner transformation first, then the outer one: (100,0) scaled by 2 and turned by 90°.
    EXPECT_POINT_NEAR(d.LineAry[1].st, 500, 200, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 500, 202, 1e-9);
}

TEST(ExpandModelInserts, NestedTextsTurnByTheSumOfTheRotations) {
    Drawing d = NestedBlocks();
    d.BlkInsertAry[0].rotate = 30;
    TTextBlk text = test::Text(P(1, 0), 1, "text", "N");
    text.code50 = 10;
    text.pt11 = P(1, 0);
    d.BlkTextAry.push_back(text);
    TTextBlk mtext = test::Text(P(1, 0), 1, "mtext", "N");
    mtext.mtflag = true; // no direction: the x axis
    d.BlkTextAry.push_back(mtext);
    d.InsertAry.push_back(test::Insert("K", P(0, 0), P(1, 1, 1), 45));
    ExpandModelInserts(d);
    ASSERT_EQ(d.TextAry.size(), 2u);
    EXPECT_DOUBLE_EQ(d.TextAry[0].code50, 10 + 30 + 45);
    // (1, 0) turned by 30° and moved to N's place (100, 0), then turned by 45° with K.
    const double x = 100 + std::cos(30 * DegToRad), y = std::sin(30 * DegToRad);
    const double c = std::cos(45 * DegToRad), s = std::sin(45 * DegToRad);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, x * c - y * s, x * s + y * c, 1e-9);
    EXPECT_POINT_NEAR(d.TextAry[0].pt11, x * c - y * s, x * s + y * c, 1e-9);
    EXPECT_POINT_NEAR(d.TextAry[1].pt11, std::cos(75 * DegToRad), std::sin(75 * DegToRad), 1e-12);
}

TEST(ExpandModelInserts, LayerZeroPassesOutwardLevelByLevel) {
    Drawing d = NestedBlocks();
    d.LayerAry.push_back({"OUTER", 2});
    d.LayerAry.push_back({"INNER", 4});
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(0, 1), "N", "OWN", 6));
    d.InsertAry.push_back(test::Insert("K", P(0, 0)));
    d.InsertAry[0].layer = test::N("OUTER");
    // The nested insert on layer 0 hands its layer-0 entities on to the outer insert.
    ExpandModelInserts(d);
    EXPECT_EQ(d.LineAry[0].layer, "OUTER");
    EXPECT_EQ(d.LineAry[0].color, 2);
    EXPECT_EQ(d.LineAry[1].layer, "OWN");

    Drawing inner = NestedBlocks();
    inner.LayerAry.push_back({"INNER", 4});
    inner.BlkInsertAry[0].layer = test::N("INNER");
    inner.InsertAry.push_back(test::Insert("K", P(0, 0)));
    inner.InsertAry[0].layer = test::N("OUTER");
    ExpandModelInserts(inner);
    EXPECT_EQ(inner.LineAry[0].layer, "INNER");
    EXPECT_EQ(inner.LineAry[0].color, 4);
}

TEST(ExpandModelInserts, NestedArcsKeepTheirOwnLayerColourLikeLines) {
    Drawing d = NestedBlocks();
    d.LayerAry.push_back({"A", 3});
    d.LayerAry.push_back({"OUTER", 2});
    TArcBlk arc = test::Arc(P(0, 0), 1, 0, 90, "N");
    arc.layer = test::N("A");
    arc.color = 3;
    d.BlkArcAry.push_back(arc);
    d.BlkInsertAry[0].layer = test::N("OUTER");
    d.InsertAry.push_back(test::Insert("K", P(0, 0)));
    ExpandModelInserts(d);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    EXPECT_EQ(d.ArcAry[0].layer, "A");
    EXPECT_EQ(d.ArcAry[0].color, 3);
}

TEST(ExpandModelInserts, NestedArcsAreMirroredAtEachLevel) {
    Drawing d;
    d.BlockAry.push_back(test::Block("Outer"));
    d.BlockAry.push_back(test::Block("Inner"));
    d.BlkInsertAry.push_back(test::Insert("Inner", P(0, 0), P(-1, 1, 1), 0, "Outer"));
    d.BlkArcAry.push_back(test::Arc(P(1, 0), 1, 0, 90, "Inner"));
    d.InsertAry.push_back(test::Insert("Outer", P(0, 0), P(-1, 1, 1), 0));
    ExpandModelInserts(d);
    // Two mirrors cancel.
    const TArcBlk& a = d.ArcAry.at(0);
    EXPECT_POINT_NEAR(a.center, 1, 0, 0);
    EXPECT_DOUBLE_EQ(a.st, 0);
    EXPECT_DOUBLE_EQ(a.ed, 90);
}

TEST(ExpandModelInserts, CyclesAreCutAndDepthIsLimited) {
    Drawing self;
    self.BlockAry.push_back(test::Block("S"));
    self.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "S"));
    self.BlkInsertAry.push_back(test::Insert("S", P(1, 0), P(1, 1, 1), 0, "S"));
    self.InsertAry.push_back(test::Insert("S", P(0, 0)));
    ExpandModelInserts(self);
    EXPECT_EQ(self.LineAry.size(), 1u);

    Drawing loop; // A places B places A
    loop.BlockAry = {test::Block("A"), test::Block("B")};
    loop.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "A"));
    loop.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "B"));
    loop.BlkInsertAry.push_back(test::Insert("B", P(0, 1), P(1, 1, 1), 0, "A"));
    loop.BlkInsertAry.push_back(test::Insert("A", P(0, 1), P(1, 1, 1), 0, "B"));
    loop.InsertAry.push_back(test::Insert("A", P(0, 0)));
    ExpandModelInserts(loop);
    EXPECT_EQ(loop.LineAry.size(), 2u);

    Drawing deep; // B0 places B1 places B2 ... places B39
    for (int i = 0; i < 40; ++i) {
        const std::string name = "B" + std::to_string(i);
        deep.BlockAry.push_back(test::Block(name));
        deep.BlkLineAry.push_back(test::Line(P(0, i), P(1, i), name));
        if (i + 1 < 40)
            deep.BlkInsertAry.push_back(
                test::Insert("B" + std::to_string(i + 1), P(0, 0), P(1, 1, 1), 0, name));
    }
    deep.InsertAry.push_back(test::Insert("B0", P(0, 0)));
    ExpandModelInserts(deep);
    EXPECT_EQ(deep.LineAry.size(), MaxBlockNesting);
}

TEST(ExpandModelInserts, MultiplyingBlocksAreRefusedInsteadOfFillingMemory) {
    // Each level places the next ten times: 10^9 lines at the bottom.
    Drawing d;
    for (int i = 0; i < 10; ++i) {
        const std::string name = "M" + std::to_string(i);
        d.BlockAry.push_back(test::Block(name));
        if (i == 9)
            d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), name));
        else
            for (int k = 0; k < 10; ++k)
                d.BlkInsertAry.push_back(
                    test::Insert("M" + std::to_string(i + 1), P(k, 0), P(1, 1, 1), 0, name));
    }
    d.InsertAry.push_back(test::Insert("M0", P(0, 0)));
    // A small limit keeps the test light; the default one works the same way.
    EXPECT_THROW(ExpandModelInserts(d, 100'000), BlockExpansionTooLarge);
    EXPECT_LE(d.LineAry.size(), 100'000u);

    // Empty blocks multiplying one another are refused as well, instead of hanging.
    for (TAcadLineBlk& line : d.BlkLineAry)
        line.bname = test::N("elsewhere");
    d.LineAry.clear();
    EXPECT_THROW(ExpandModelInserts(d), BlockExpansionTooLarge);
    EXPECT_TRUE(d.LineAry.empty());
}

TEST(ExpandModelInserts, SolidsAreOutlinedForAnonymousBlocksOnly) {
    Drawing d;
    d.BlockAry = {test::Block("*U1"), test::Block("Named")};
    for (const char* name : {"*U1", "Named"}) {
        TSolidBlk solid;
        solid.bname = test::N(name);
        solid.p1 = P(0, 0);
        solid.p2 = P(1, 0);
        solid.p3 = P(0, 1);
        d.SolidAry.push_back(solid);
    }
    d.InsertAry.push_back(test::Insert("*U1", P(10, 0)));
    d.InsertAry.push_back(test::Insert("Named", P(10, 0)));
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 3u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 10, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[2].ed, 10, 0, 0);
}

// An anonymous dimension block *D1: two lines, a SOLID arrowhead, a circle and a text.
Drawing DimensionBlock() {
    Drawing d;
    d.BlockAry = {test::Block("*D1", P(50, 50)), test::Block("*D2"), test::Block("*U3")};
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(10, 0), "*D1"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(0, 5), "*D1"));
    TSolidBlk arrow;
    arrow.bname = test::N("*D1");
    arrow.p1 = P(0, 0);
    arrow.p2 = P(1, 0.2);
    arrow.p3 = P(1, -0.2);
    d.SolidAry.push_back(arrow);
    d.BlkCircleAry.push_back(test::Circle(P(0, 0), 0.1, "*D1"));
    d.BlkArcAry.push_back(test::Arc(P(0, 0), 1, 0, 30, "*D1"));
    d.BlkTextAry.push_back(test::Text(P(5, 1), 1, "10", "*D1"));
    // Stale anonymous blocks that nothing names.
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 1), "*D2"));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 1), "*U3"));
    TDimensionBlk dim;
    dim.dimblkName = test::N("*D1");
    d.DimensionAry.push_back(dim);
    return d;
}

TEST(ExpandBlocks, CopiesTheBlocksThatDimensionsNameUnchanged) {
    Drawing d = DimensionBlock();
    ExpandBlocks(d);
    ASSERT_EQ(d.LineAry.size(), 5u); // 2 lines + 3 edges of the arrowhead
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 0, 5, 0);
    EXPECT_POINT_NEAR(d.LineAry[2].st, 0, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[4].ed, 0, 0, 0);
    EXPECT_EQ(d.LineAry[2].bname, "*D1");
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_EQ(d.ArcAry.size(), 1u);
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, 5, 1, 0);
}

TEST(ExpandBlocks, DimensionPicturesKeepTheirEllipsesFacesLeadersAndPoints) {
    Drawing d = DimensionBlock();
    TEllipseBlk& e = d.BlkEllipseAry.emplace_back();
    e.bname = test::N("*D1");
    e.center = P(20, 0);
    e.endpoint = P(4, 0);
    e.henpei = 0.5;
    e.owari = 6.283185307179586;
    TFaceBlk& face = d.BlkFaceAry.emplace_back();
    face.bname = test::N("*D1");
    face.pt[1] = P(1, 0);
    face.pt[2] = P(1, 1);
    face.pt[3] = P(1, 1);
    d.BlkPointAry.emplace_back().bname = test::N("*D1");
    ExpandBlocks(d);
    ASSERT_EQ(d.CurveAry.size(), 1u);
    EXPECT_POINT_NEAR(d.CurveAry[0].center, 20, 0, 0);
    EXPECT_GT(d.LineAry.size(), 5u + 3u); // the ellipse's chords and the face's edges
    EXPECT_EQ(d.PointAry.size(), 1u);
}

TEST(ExpandBlocks, CopiesTakeTheDimensionsPaperSpaceFlag) {
    Drawing d = DimensionBlock();
    d.DimensionAry[0].code67 = 1;
    ExpandBlocks(d);
    for (const TAcadLineBlk& line : d.LineAry)
        EXPECT_EQ(line.code67, 1);
    EXPECT_EQ(d.CircleAry[0].code67, 1);
    EXPECT_EQ(d.ArcAry[0].code67, 1);
    EXPECT_EQ(d.TextAry[0].code67, 1);
}

TEST(ExpandBlocks, InsertsInsideADimensionBlockArePlacedByTheirOwnTransformation) {
    Drawing d = DimensionBlock();
    d.BlockAry.push_back(test::Block("Tick", P(0, 0)));
    d.BlkLineAry.push_back(test::Line(P(0, 0), P(1, 0), "Tick"));
    d.BlkInsertAry.push_back(test::Insert("Tick", P(7, 7), P(1, 1, 1), 90, "*D1"));
    // An insert inside a block nothing names stays out.
    d.BlkInsertAry.push_back(test::Insert("Tick", P(9, 9), P(1, 1, 1), 0, "*D2"));
    ExpandBlocks(d);
    ASSERT_EQ(d.LineAry.size(), 6u);
    EXPECT_POINT_NEAR(d.LineAry[5].st, 7, 7, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[5].ed, 7, 8, 1e-12);
}

TEST(ExpandBlocks, AnonymousBlocksWithoutADimensionReachTheModelOnlyThroughInserts) {
    Drawing d = DimensionBlock();
    d.DimensionAry.clear();
    d.InsertAry.push_back(test::Insert("*U3", P(100, 0)));
    ExpandModelInserts(d);
    ExpandBlocks(d);
    ASSERT_EQ(d.LineAry.size(), 1u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 100, 0, 0);
}

} // namespace
} // namespace orvanta
