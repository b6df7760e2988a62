#include "render/Colors.h"
#include "render/LayerState.h"
#include "tests/support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvanta {
namespace {

std::string Rgb(TColor c) {
    return std::to_string(RedOf(c)) + "," + std::to_string(GreenOf(c)) + "," +
           std::to_string(BlueOf(c));
}

TEST(AciToColorTest, NamedColoursAndGreys) {
    EXPECT_EQ(Rgb(AciToColor(1)), "255,0,0");
    EXPECT_EQ(Rgb(AciToColor(2)), "255,255,0");
    EXPECT_EQ(Rgb(AciToColor(3)), "0,255,0");
    EXPECT_EQ(Rgb(AciToColor(4)), "0,255,255");
    EXPECT_EQ(Rgb(AciToColor(5)), "0,0,255");
    EXPECT_EQ(Rgb(AciToColor(6)), "255,0,255");
    EXPECT_EQ(Rgb(AciToColor(7)), "255,255,255");
    EXPECT_EQ(Rgb(AciToColor(8)), "128,128,128");
    EXPECT_EQ(Rgb(AciToColor(9)), "192,192,192");
    EXPECT_EQ(Rgb(AciToColor(250)), "51,51,51");
    EXPECT_EQ(Rgb(AciToColor(251)), "91,91,91");
    EXPECT_EQ(Rgb(AciToColor(254)), "214,214,214");
    EXPECT_EQ(Rgb(AciToColor(255)), "255,255,255");
}

TEST(AciToColorTest, TellingRowsOfTheHueWheel) {
    const std::pair<int, const char*> rows[] = {
        {10, "255,0,0"},     {11, "255,127,127"}, {12, "204,0,0"},   {13, "204,102,102"},
        {15, "153,76,76"},   {17, "127,63,63"},   {19, "76,38,38"},  {20, "255,63,0"},
        {21, "255,159,127"}, {30, "255,127,0"},   {40, "255,191,0"}, {51, "255,255,127"},
        {130, "0,255,255"},  {240, "255,0,63"},   {249, "76,38,47"},
    };
    for (const auto& [index, rgb] : rows)
        EXPECT_EQ(Rgb(AciToColor(index)), rgb) << index;
}

TEST(AciToColorTest, EveryHueWheelEntryHasItsLevelAndSaturation) {
    for (int index = 10; index <= 249; ++index) {
        const TColor c = AciToColor(index);
        const int top = std::max({RedOf(c), GreenOf(c), BlueOf(c)});
        const int bottom = std::min({RedOf(c), GreenOf(c), BlueOf(c)});
        static const int levels[] = {255, 204, 153, 127, 76};
        EXPECT_EQ(top, levels[index % 10 / 2]) << index;
        if (index % 2 == 0)
            EXPECT_EQ(bottom, 0) << index;
        else
            EXPECT_NEAR(bottom, top / 2, 1) << index;
    }
}

TEST(AciToColorTest, OutOfRangeIsBlack) {
    EXPECT_EQ(AciToColor(0), ColorBlack);
    EXPECT_EQ(AciToColor(256), ColorBlack);
    EXPECT_EQ(AciToColor(-1), ColorBlack);
    EXPECT_EQ(AciToColor(32767), ColorBlack);
}

TEST(ColorRuleTest, ModesOnBlackAndWhite) {
    const TColor red = RgbColor(255, 0, 0);
    EXPECT_EQ(InvertColor(red), RgbColor(0, 255, 255));
    EXPECT_EQ(InvertColor(0xFF123456), 0xFFFFFF - 0x123456u);
    // Colour mode on the black view: black entities turn white, others keep their colour.
    EXPECT_EQ(DrawnColor(ColorBlack, ColorBlack, ColorModeColor), ColorWhite);
    EXPECT_EQ(DrawnColor(red, ColorBlack, ColorModeColor), red);
    // On paper, white entities become black.
    EXPECT_EQ(DrawnColor(ColorWhite, ColorWhite, ColorModeColor), ColorBlack);
    EXPECT_EQ(DrawnColor(red, ColorBlack, ColorModeMonochrome), ColorWhite);
    EXPECT_EQ(DrawnColor(red, ColorWhite, ColorModeMonochrome), ColorBlack);
    EXPECT_EQ(DrawnColor(red, ColorBlack, ColorModeInverted), RgbColor(0, 255, 255));
    EXPECT_EQ(DrawnColor(ColorBlack, ColorBlack, static_cast<ColorModeValue>(7)), ColorWhite);
}

TEST(PenStyleTest, LinetypeNamesByTheirBeginning) {
    EXPECT_EQ(LtypeToPenStyle("CONTINUOUS"), PenSolid);
    EXPECT_EQ(LtypeToPenStyle("HIDDEN"), PenDot);
    EXPECT_EQ(LtypeToPenStyle("HIDDEN2"), PenDot);
    EXPECT_EQ(LtypeToPenStyle("DASHED"), PenDot);
    EXPECT_EQ(LtypeToPenStyle("DASHDOT"), PenDashDot);
    EXPECT_EQ(LtypeToPenStyle("CENTER2"), PenDashDot);
    EXPECT_EQ(LtypeToPenStyle("BORDER"), PenDashDot);
    EXPECT_EQ(LtypeToPenStyle("DIVIDE"), PenSolid);
    EXPECT_EQ(LtypeToPenStyle("PHANTOM"), PenDashDotDot);
    EXPECT_EQ(LtypeToPenStyle("DOT"), PenDot);
    EXPECT_EQ(LtypeToPenStyle("dashdot"), PenDashDot);
    EXPECT_EQ(LtypeToPenStyle("Phantom2"), PenDashDotDot);
    EXPECT_EQ(LtypeToPenStyle("DASH"), PenSolid);
    EXPECT_EQ(LtypeToPenStyle(""), PenSolid);
    EXPECT_EQ(LtypeToPenStyle("BYBLOCK"), PenSolid);
    EXPECT_EQ(LtypeToPenStyle("破線"), PenSolid);
}

Drawing WithLayers() {
    Drawing d;
    d.LayerAry.push_back({"0", 7, 0, "CONTINUOUS", true, ""});
    d.LayerAry.push_back({"WALLS", 3, 0, "HIDDEN", true, ""});
    d.LayerAry.push_back({"AXES", -1, 0, "CENTER", false, ""});
    d.LayerAry.push_back({"WALLS", 5, 0, "PHANTOM", true, ""});
    return d;
}

TEST(PenStyleTest, ByLayerTakesTheLinetypeOfTheFirstLayerOfTheName) {
    const Drawing d = WithLayers();
    EXPECT_EQ(EntityPenStyle(d, "BYLAYER", "WALLS"), PenDot);
    EXPECT_EQ(EntityPenStyle(d, "", "AXES"), PenDashDot);
    EXPECT_EQ(EntityPenStyle(d, "DOT", "WALLS"), PenDot);
    // Names compare exactly: "Walls" is not "WALLS", BYLAYER stays and draws solid.
    EXPECT_EQ(EntityPenStyle(d, "BYLAYER", "Walls"), PenSolid);
    EXPECT_EQ(EntityPenStyle(d, "BYBLOCK", "WALLS"), PenSolid);
    EXPECT_EQ(EntityPenStyle(Drawing{}, "BYLAYER", "WALLS"), PenSolid);
}

TEST(ResolvePensTest, FillsPenFieldsOfTheModelTablesOnly) {
    Drawing d = WithLayers();
    TAcadLineBlk line;
    line.layer = test::N("WALLS");
    line.color = -3; // on a switched-off layer: drawn green when shown
    d.LineAry.push_back(line);
    TArcBlk arc;
    arc.layer = test::N("AXES");
    arc.ltype = test::N("DASHDOT");
    arc.color = 11;
    d.ArcAry.push_back(arc);
    TCircleBlk circle;
    circle.layer = test::N("NOWHERE");
    circle.color = 0;
    d.CircleAry.push_back(circle);
    TTextBlk text;
    text.layer = test::N("AXES");
    text.color = 1;
    d.TextAry.push_back(text);
    TAcadLineBlk blockLine;
    blockLine.color = 1;
    blockLine.layindex = 9;
    d.BlkLineAry.push_back(blockLine);

    ResolvePens(d);

    EXPECT_EQ(d.LineAry[0].PenColor, RgbColor(0, 255, 0));
    EXPECT_EQ(d.LineAry[0].PenStyle, PenDot);
    EXPECT_EQ(d.LineAry[0].layindex, 1);
    EXPECT_EQ(d.ArcAry[0].PenColor, RgbColor(255, 127, 127));
    EXPECT_EQ(d.ArcAry[0].PenStyle, PenDashDot);
    EXPECT_EQ(d.ArcAry[0].layindex, 2);
    EXPECT_EQ(d.CircleAry[0].PenColor, ColorBlack);
    EXPECT_EQ(d.CircleAry[0].PenStyle, PenSolid);
    EXPECT_EQ(d.CircleAry[0].layindex, -1);
    EXPECT_EQ(d.TextAry[0].PenColor, RgbColor(255, 0, 0));
    EXPECT_EQ(d.TextAry[0].layindex, 2);
    EXPECT_EQ(d.BlkLineAry[0].PenColor, 0u);
    EXPECT_EQ(d.BlkLineAry[0].layindex, 9);
}

// ResolvePens keeps answers from record to record and looks layers up in a table of its own; a
// long run of records in every order must still get exactly what the one-record lookups give.
TEST(ResolvePensTest, AgreesWithTheOneRecordLookupsOverEveryOrderOfLayersAndLinetypes) {
    Drawing d;
    // Names sharing their length and both ends, longer than eight bytes, empty, repeated.
    const std::vector<std::string> names = {"0",
                                            "",
                                            "WALLS",
                                            "A-WALL-FULL-0001-EXTERIOR",
                                            "A-WALL-FULL-0002-EXTERIOR",
                                            "A-WALL-HALF-0001-EXTERIOR",
                                            "LAYER1",
                                            "LAYER2",
                                            "FLOOR-PLAN-01",
                                            "FLOOR-PLAN-02",
                                            "12345678X12345678",
                                            "12345678Y12345678",
                                            "\xE5\xA3\x81",
                                            "WALLS"};
    const std::vector<std::string> ltypes = {"CONTINUOUS", "HIDDEN", "center",  "PHANTOM2",
                                             "DASHDOT",    "DOT",    "BYLAYER", ""};
    for (std::size_t i = 0; i < names.size(); ++i)
        d.LayerAry.push_back(
            {names[i], static_cast<std::int16_t>(i + 1), 0, ltypes[i % ltypes.size()], true, ""});
    std::vector<std::string> recordLayers = names;
    recordLayers.insert(recordLayers.end(),
                        {"NOWHERE", "walls", "A-WALL-FULL-0003-EXTERIOR", "12345678Z12345678"});
    const std::vector<std::string> recordLtypes = {"BYLAYER", "",       "HIDDEN",
                                                   "BYBLOCK", "Dashed", "BYLAYER"};
    const std::vector<std::int16_t> colours = {256, 0, 7, -3, 255, 300, -300, 12};

    // Runs of equal records, then a change of one field at a time.
    std::size_t k = 0;
    for (std::size_t run = 0; run < 400; ++run) {
        const std::size_t length = 1 + run % 3;
        for (std::size_t j = 0; j < length; ++j) {
            TAcadLineBlk line;
            line.layer = test::N(recordLayers[(k * 7 + run) % recordLayers.size()]);
            line.ltype = test::N(recordLtypes[(k * 5 + run / 3) % recordLtypes.size()]);
            line.color = colours[(k * 3 + run / 2) % colours.size()];
            d.LineAry.push_back(line);
            TTextBlk text;
            text.layer = line.layer;
            text.color = line.color;
            d.TextAry.push_back(text);
        }
        ++k;
    }

    ResolvePens(d);

    for (std::size_t i = 0; i < d.LineAry.size(); ++i) {
        const TAcadLineBlk& line = d.LineAry[i];
        SCOPED_TRACE(std::to_string(i) + " " + line.layer.str() + " " + line.ltype.str());
        EXPECT_EQ(line.PenColor, AciToColor(std::abs(static_cast<int>(line.color))));
        EXPECT_EQ(line.PenStyle, EntityPenStyle(d, line.ltype, line.layer));
        EXPECT_EQ(line.layindex, LayerIndexOf(d, line.layer));
        EXPECT_EQ(d.TextAry[i].PenColor, line.PenColor);
        EXPECT_EQ(d.TextAry[i].layindex, line.layindex);
    }
}

TEST(LayerStateTest, LookupsCompareExactlyAndTakeTheFirstMatch) {
    Drawing d = WithLayers();
    EXPECT_EQ(LayerIndexOf(d, "WALLS"), 1);
    EXPECT_EQ(LayerIndexOf(d, "walls"), -1);
    EXPECT_EQ(LayerIndexOf(Drawing{}, "0"), -1);

    EXPECT_TRUE(LayerVisibleAt(d, 0));
    EXPECT_FALSE(LayerVisibleAt(d, 2));
    // Entities on layers the table does not list are shown.
    EXPECT_TRUE(LayerVisibleAt(d, -1));
    EXPECT_TRUE(LayerVisibleAt(d, static_cast<int>(d.LayerAry.size())));

    EXPECT_FALSE(LayerVisibleAt(d, LayerIndexOf(d, "AXES")));

    SetLayerVisible(d, "WALLS", false);
    EXPECT_FALSE(d.LayerAry[1].visible);
    EXPECT_TRUE(d.LayerAry[3].visible);
    SetLayerVisible(d, "AXES", true);
    EXPECT_TRUE(LayerVisibleAt(d, LayerIndexOf(d, "AXES")));
    SetLayerVisible(d, "MISSING", false); // nothing to change, nothing breaks
    EXPECT_EQ(d.LayerAry.size(), 4u);
}

} // namespace
} // namespace orvanta
