#include "browse/DetailGestures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvanta {
namespace {

TAcadLineBlk Line(double x1, double y1, double x2, double y2) {
    TAcadLineBlk line;
    line.st = {x1, y1, 0};
    line.ed = {x2, y2, 0};
    return line;
}

TEST(DetailGestures, DragsNeedElevenPixelsBothWaysToBeMoreThanAClick) {
    EXPECT_EQ(ClassifyDrag(0, 0), DragGesture::Recentre);
    EXPECT_EQ(ClassifyDrag(10, 10), DragGesture::Recentre);
    EXPECT_EQ(ClassifyDrag(11, 10), DragGesture::Recentre);
    EXPECT_EQ(ClassifyDrag(11, 11), DragGesture::WindowZoom);
    EXPECT_EQ(ClassifyDrag(11, -11), DragGesture::WholeDrawing);
    EXPECT_EQ(ClassifyDrag(-11, -11), DragGesture::ZoomOut);
    EXPECT_EQ(ClassifyDrag(-11, 11), DragGesture::Back);
    EXPECT_EQ(ClassifyDrag(-200, 3), DragGesture::Recentre);
}

TEST(DetailGestures, EachGestureChangesTheViewAndOnlyBackReadsThePreviousOne) {
    Drawing d;
    d.ExtMin = {0, 0, 0};
    d.ExtMax = {200, 100, 0};
    ViewState v;
    FitViewToExtents(v, d);

    // Right and down from (20, 80) to (60, 40): the rectangle.
    EXPECT_FALSE(ApplyDragGesture(v, d, DragGesture::WindowZoom, {20, 80, 0}, {60, 40, 0}));
    EXPECT_DOUBLE_EQ(v.DrawWidth, 40);
    EXPECT_DOUBLE_EQ(v.DrawHeight, 40);
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 40);
    EXPECT_DOUBLE_EQ(v.ViewCenter.y, 60);
    EXPECT_DOUBLE_EQ(v.PrevDrawWidth, 200);

    ApplyDragGesture(v, d, DragGesture::ZoomOut, {}, {});
    EXPECT_DOUBLE_EQ(v.DrawWidth, 80);
    EXPECT_DOUBLE_EQ(v.DrawHeight, 80);
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 40);
    EXPECT_DOUBLE_EQ(v.PrevDrawWidth, 40);

    // Back twice shows the same view twice.
    for (int i = 0; i < 2; ++i) {
        ApplyDragGesture(v, d, DragGesture::Back, {}, {});
        EXPECT_DOUBLE_EQ(v.DrawWidth, 40);
        EXPECT_DOUBLE_EQ(v.ViewCenter.y, 60);
    }

    ApplyDragGesture(v, d, DragGesture::Recentre, {0, 0, 0}, {10, 20, 0});
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 5);
    EXPECT_DOUBLE_EQ(v.ViewCenter.y, 10);
    EXPECT_DOUBLE_EQ(v.DrawWidth, 40) << "re-centring keeps the scale";
    EXPECT_DOUBLE_EQ(v.PrevDrawWidth, 40) << "and does not save the view";

    EXPECT_TRUE(ApplyDragGesture(v, d, DragGesture::WholeDrawing, {}, {}));
    EXPECT_DOUBLE_EQ(v.DrawWidth, 200);
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 100);
    EXPECT_DOUBLE_EQ(v.PrevViewCenter.x, 5);

    ApplyPan(v, {10, 10, 0}, {30, 0, 0});
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 80);
    EXPECT_DOUBLE_EQ(v.ViewCenter.y, 60);
}

TEST(DetailGestures, AWheelStepKeepsThePointUnderTheMouseInPlace) {
    ViewState v;
    v.ViewCenter = {100, 50, 0};
    v.DrawWidth = 200;
    v.DrawHeight = 100;
    const TAcadPoint p{150, 20, 0};
    ASSERT_TRUE(ApplyWheelStep(v, p, 0.5));
    EXPECT_DOUBLE_EQ(v.DrawWidth, 100);
    EXPECT_DOUBLE_EQ(v.DrawHeight, 50);
    // p stays at the same offset from the centre in pixels: half the world offset at half the
    // world per pixel.
    EXPECT_DOUBLE_EQ(p.x - v.ViewCenter.x, (150 - 100) * 0.5);
    EXPECT_DOUBLE_EQ(p.y - v.ViewCenter.y, (20 - 50) * 0.5);
    EXPECT_DOUBLE_EQ(v.PrevDrawWidth, 200);
    ASSERT_TRUE(ApplyWheelStep(v, p, 2));
    EXPECT_DOUBLE_EQ(v.ViewCenter.x, 100);
    EXPECT_DOUBLE_EQ(v.ViewCenter.y, 50);

    // A step that would lose the extent altogether is refused.
    v.DrawWidth = std::numeric_limits<double>::denorm_min();
    v.DrawHeight = 0;
    EXPECT_FALSE(ApplyWheelStep(v, p, 0.5));
    EXPECT_EQ(v.DrawWidth, std::numeric_limits<double>::denorm_min());
    v.DrawWidth = std::numeric_limits<double>::max();
    EXPECT_FALSE(ApplyWheelStep(v, p, 2));
}

TEST(DetailGestures, APickFindsTheNearestLineCircleOrArcEarlierKindsWinningTies) {
    Drawing d;
    d.LineAry = {Line(0, 0, 100, 0), Line(0, 10, 100, 10)};
    TCircleBlk circle;
    circle.center = {50, 20, 0};
    circle.hankei = 5;
    d.CircleAry = {circle};
    TArcBlk arc;
    arc.center = {200, 0, 0};
    arc.hankei = 10;
    arc.st = 0;
    arc.ed = 10;
    d.ArcAry = {arc};

    PickResult pick = PickNearest(d, {50, 2, 0});
    EXPECT_EQ(pick.kind, PickResult::Kind::Line);
    EXPECT_EQ(pick.index, 0);
    EXPECT_DOUBLE_EQ(pick.distance, 2);
    // Halfway between the two lines: the first line wins the tie.
    EXPECT_EQ(PickNearest(d, {50, 5, 0}).index, 0);
    // Nearer the circle's outline (at y = 15) than the second line.
    pick = PickNearest(d, {50, 14, 0});
    EXPECT_EQ(pick.kind, PickResult::Kind::Circle);
    EXPECT_DOUBLE_EQ(pick.distance, 1);
    // Exactly as far from the line as from the circle: the line, tried first, stays.
    EXPECT_EQ(PickNearest(d, {50, 12.5, 0}).kind, PickResult::Kind::Line);
    // A point beyond the end of every line; the arc's full circle counts, not only its sweep.
    pick = PickNearest(d, {200, -11, 0});
    EXPECT_EQ(pick.kind, PickResult::Kind::Arc);
    EXPECT_DOUBLE_EQ(pick.distance, 1);

    // Hidden layers do not matter; records that are not drawn cannot be picked.
    d.LineAry[0].layindex = 0;
    d.LayerAry.push_back({});
    d.LayerAry[0].visible = false;
    EXPECT_EQ(PickNearest(d, {50, 2, 0}).index, 0);
    d.LineAry[0].code67 = 1;
    EXPECT_EQ(PickNearest(d, {50, 2, 0}).index, 1);

    DetailViewState v;
    v.PickedLineIndex = 4;
    StorePick(v, {PickResult::Kind::Arc, 0, 1});
    EXPECT_EQ(v.PickedLineIndex, -1);
    EXPECT_EQ(v.PickedArcIndex, 0);
    EXPECT_EQ(PickNearest(Drawing{}, {0, 0, 0}).kind, PickResult::Kind::None);
}

TEST(DetailGestures, TheMutualDistanceOfParallelLinesIsTheirSeparation) {
    double distance = -1;
    EXPECT_TRUE(MutualDistance(Line(0, 30, 50, 30), Line(10, 5, 80, 5), distance));
    EXPECT_DOUBLE_EQ(distance, 25);
    // Slanted: measured along the perpendicular of the second line from its start point.
    EXPECT_TRUE(MutualDistance(Line(3, 4, 6, 8), Line(0, 0, 3, 4), distance));
    EXPECT_NEAR(distance, 0, 1e-9);
    // Perpendicular lines do not meet along the perpendicular; nor does a line with nothing
    // measured before it.
    EXPECT_FALSE(MutualDistance(Line(0, 0, 0, 50), Line(-10, 5, 10, 5), distance));
    EXPECT_FALSE(MutualDistance(Line(0, 0, 0, 50), TAcadLineBlk{}, distance));
}

TEST(DetailGestures, ATextIsShownAtItsFirstOrItsAlignmentPoint) {
    TTextBlk text;
    text.pt10 = {1, 2, 3};
    text.pt11 = {7, 8, 9};
    EXPECT_EQ(TextViewCenter(text).x, 1) << "left aligned";
    text.code72 = 1;
    EXPECT_EQ(TextViewCenter(text).x, 7) << "centred";
    text.code71 = 2;
    EXPECT_EQ(TextViewCenter(text).x, 7) << "centred, mirrored";
    text.mtflag = true;
    text.code71 = 5;
    EXPECT_EQ(TextViewCenter(text).z, 3) << "MTEXT: its insertion point, all three coordinates";
    text.mtflag = false;
    text.code71 = 0;
    text.code72 = 5;
    EXPECT_EQ(TextViewCenter(text).x, 1) << "fitted";
    text.code73 = 2;
    EXPECT_EQ(TextViewCenter(text).x, 7) << "fitted with a vertical alignment";
}

} // namespace
} // namespace orvanta
