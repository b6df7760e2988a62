#include "render/ViewTransform.h"
#include "render/ViewState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvanta {
namespace {

TEST(RoundHalfEvenTest, TiesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999999), 2);
    EXPECT_EQ(RoundHalfEven(2.5000001), 3);
    EXPECT_EQ(RoundHalfEven(-2.6), -3);
}

TEST(RoundHalfEvenTest, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(UnitsPerPixelTest, TheLimitingDirectionDecides) {
    // 100 x 100 into 400 x 300: the height needs more units per pixel.
    EXPECT_DOUBLE_EQ(UnitsPerPixel(100, 100, 400, 300, 0.98), (100.0 / 300) / 0.98);
    // 400 x 100 into 400 x 300: the width.
    EXPECT_DOUBLE_EQ(UnitsPerPixel(400, 100, 400, 300, 0.98), 1.0 / 0.98);
    // Equal ratios take the width ratio (the same value).
    EXPECT_DOUBLE_EQ(UnitsPerPixel(800, 600, 400, 300, 1.0), 2.0);
}

TEST(UnitsPerPixelTest, AnExtentZeroInOneDirectionIsFittedByTheOther) {
    // A drawing of horizontal lines only: its whole length fits the width.
    EXPECT_DOUBLE_EQ(UnitsPerPixel(5000, 0, 1000, 500, 1.0), 5.0);
    // Vertical lines only: the height.
    EXPECT_DOUBLE_EQ(UnitsPerPixel(0, 5000, 1000, 500, 1.0), 10.0);
    // Nothing at all: one unit per pixel before the zoom.
    EXPECT_DOUBLE_EQ(UnitsPerPixel(0, 0, 1000, 500, 0.98), 1.0 / 0.98);
}

TEST(UnitsPerPixelTest, ACanvasWithoutPixelsKeepsTheScaleFinite) {
    EXPECT_TRUE(std::isfinite(UnitsPerPixel(100, 100, 0, 0, 0.98)));
    EXPECT_GT(UnitsPerPixel(100, 100, 0, 0, 0.98), 0);
}

TEST(WorldToScreenTest, FlipsYAndRoundsHalfPixelsToEven) {
    const TPoint origin{200, 150};
    EXPECT_EQ(WorldToScreen({0, 0, 0}, origin, 1.0), (TPoint{200, 150}));
    EXPECT_EQ(WorldToScreen({10, 20, 0}, origin, 1.0), (TPoint{210, 130}));
    EXPECT_EQ(WorldToScreen({10, 20, 0}, origin, 2.0), (TPoint{205, 140}));
    // Half a pixel right of the centre stays on the centre; one and a half goes to +2.
    EXPECT_EQ(WorldToScreen({1, 0, 0}, origin, 2.0).x, 200);
    EXPECT_EQ(WorldToScreen({3, 0, 0}, origin, 2.0).x, 202);
    EXPECT_EQ(WorldToScreen({0, 1, 0}, origin, 2.0).y, 150);
    EXPECT_EQ(WorldToScreen({0, -3, 0}, origin, 2.0).y, 152);
}

TEST(WorldToScreenTest, FarPointsSaturate) {
    const TPoint p = WorldToScreen({1e30, -1e30, 0}, {0, 0}, 1e-6);
    EXPECT_EQ(p.x, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(p.y, std::numeric_limits<std::int32_t>::max());
}

TEST(WorldToScreenTest, CentringFirstKeepsPrecisionOfLargeCoordinates) {
    // A drawing placed at survey coordinates: one millimetre still moves one pixel.
    const TAcadPoint center{-61234567.0, 81234567.0, 0};
    const TAcadPoint p{-61234567.001, 81234567.002, 0};
    EXPECT_EQ(WorldToScreen(PointDiff(p, center), {0, 0}, 0.001), (TPoint{-1, -2}));
}

TEST(ScreenToWorldTest, InvertsWorldToScreenOnEveryPixelOfAnEvenImage) {
    const TAcadPoint center{50, -20, 0};
    const int w = 640, h = 480;
    const double u = UnitsPerPixel(300, 200, w, h, 0.98);
    const TPoint origin = ViewOriginOf(w, h);
    for (int py = 0; py < h; py += 37) {
        for (int px = 0; px < w; px += 23) {
            const TAcadPoint world = ScreenToWorld(center, {px, py}, w, h, 300, 200, 0.98);
            EXPECT_EQ(WorldToScreen(PointDiff(world, center), origin, u), (TPoint{px, py}))
                << px << "," << py;
        }
    }
}

TEST(ScreenToWorldTest, AnOddHeightMapsTheOriginOnePixelHigh) {
    const TAcadPoint center{10, 10, 5};
    const double u = UnitsPerPixel(100, 100, 401, 301, 0.98);
    EXPECT_EQ(ViewOriginOf(401, 301), (TPoint{200, 150}));
    const TAcadPoint p = ScreenToWorld(center, {200, 150}, 401, 301, 100, 100, 0.98);
    EXPECT_DOUBLE_EQ(p.x, 10);
    EXPECT_DOUBLE_EQ(p.y, 10 + u);
    EXPECT_DOUBLE_EQ(p.z, 0);
}

TEST(ScreenToWorldTest, NoExtentGivesTheOrigin) {
    const TAcadPoint p = ScreenToWorld({5, 5, 5}, {3, 4}, 100, 100, 0, 0, 0.98);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    // An extent in one direction is enough.
    const TAcadPoint q = ScreenToWorld({5, 5, 0}, {50, 50}, 100, 100, 200, 0, 1.0);
    EXPECT_DOUBLE_EQ(q.x, 5);
    EXPECT_DOUBLE_EQ(q.y, 5);
}

TEST(ViewWindowTest, CoversTheCanvas) {
    const WorldRect r = ViewWindow({100, 50, 0}, 400, 300, 0.5);
    EXPECT_DOUBLE_EQ(r.lowerLeft.x, 0);
    EXPECT_DOUBLE_EQ(r.lowerLeft.y, -25);
    EXPECT_DOUBLE_EQ(r.upperRight.x, 200);
    EXPECT_DOUBLE_EQ(r.upperRight.y, 125);
}

TEST(ViewIndexOfTest, ComparesNamesExactly) {
    Drawing d;
    EXPECT_EQ(ViewIndexOf(d, "A"), -1);
    d.ViewAry.push_back({"Front", {}, 1, 1, 0});
    d.ViewAry.push_back({"Side", {}, 1, 1, 0});
    d.ViewAry.push_back({"Side", {}, 2, 2, 0});
    EXPECT_EQ(ViewIndexOf(d, "Side"), 1);
    EXPECT_EQ(ViewIndexOf(d, "side"), -1);
    EXPECT_EQ(ViewIndexOf(d, "Front "), -1);
}

TEST(ViewStateTest, StartsAtTheDefaultZoom) {
    const ViewState view;
    EXPECT_DOUBLE_EQ(view.ZoomRate, 0.98);
    EXPECT_EQ(view.ViewColorMode, 0);
}

TEST(ViewStateTest, FitsExtentsNamedViewsAndRestoresThePreviousView) {
    Drawing d;
    d.ExtMin = {-10, 0, 3};
    d.ExtMax = {30, 20, 7};
    d.ViewAry.push_back({"Detail", {5, 6, 0}, 8, 4, 0});
    ViewState view;
    FitViewToExtents(view, d);
    EXPECT_DOUBLE_EQ(view.DrawWidth, 40);
    EXPECT_DOUBLE_EQ(view.DrawHeight, 20);
    EXPECT_DOUBLE_EQ(view.ViewCenter.x, 10);
    EXPECT_DOUBLE_EQ(view.ViewCenter.y, 10);
    EXPECT_DOUBLE_EQ(view.ViewCenter.z, 0);

    SavePreviousView(view);
    EXPECT_TRUE(ShowNamedView(view, d, "Detail"));
    EXPECT_DOUBLE_EQ(view.DrawWidth, 4);
    EXPECT_DOUBLE_EQ(view.DrawHeight, 8);
    EXPECT_DOUBLE_EQ(view.ViewCenter.x, 5);

    RestorePreviousView(view);
    EXPECT_DOUBLE_EQ(view.DrawWidth, 40);
    EXPECT_DOUBLE_EQ(view.ViewCenter.x, 10);
    // The previous view stays: going back again shows the same view.
    RestorePreviousView(view);
    EXPECT_DOUBLE_EQ(view.DrawWidth, 40);
    EXPECT_DOUBLE_EQ(view.DrawHeight, 20);

    EXPECT_FALSE(ShowNamedView(view, d, "*AllView*"));
    EXPECT_DOUBLE_EQ(view.DrawWidth, 40);
}

} // namespace
} // namespace orvanta
