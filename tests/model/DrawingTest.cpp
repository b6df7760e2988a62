#include "model/AcadDxfUnit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvanta {
namespace {

TEST(GetLayerColor, FindsTheFirstLayerOfThatExactName) {
    Drawing d;
    d.LayerAry.push_back({"Wall", 3});
    d.LayerAry.push_back({"wall", 5});
    d.LayerAry.push_back({"Wall", 6});
    d.LayerAry.push_back({"Off", -3});
    EXPECT_EQ(GetLayerColor(d, "Wall"), 3);
    EXPECT_EQ(GetLayerColor(d, "wall"), 5);
    EXPECT_EQ(GetLayerColor(d, "Off"), -3);
    EXPECT_EQ(d.LayerAry.size(), 4u);
}

TEST(GetLayerColor, AppendsAnUnknownNameAsVisibleColourSeven) {
    Drawing d;
    d.LayerAry.push_back({"WALL", 2});
    EXPECT_EQ(GetLayerColor(d, "Wall"), 7);
    EXPECT_EQ(GetLayerColor(d, ""), 7);
    ASSERT_EQ(d.LayerAry.size(), 3u);
    EXPECT_EQ(d.LayerAry[1].Name, "Wall");
    EXPECT_EQ(d.LayerAry[1].ltype, "CONTINUOUS");
    EXPECT_TRUE(d.LayerAry[1].visible);
    EXPECT_EQ(d.LayerAry[2].Name, "");
    // The new layer is found by the next lookup instead of being added again.
    EXPECT_EQ(GetLayerColor(d, "Wall"), 7);
    EXPECT_EQ(d.LayerAry.size(), 3u);
}

TEST(Drawing, ClearEmptiesEveryTableAndTheExtents) {
    Drawing d;
    d.LineAry.emplace_back();
    d.BlkTextAry.emplace_back();
    d.ExtMax = {1, 2, 3};
    d.clear();
    EXPECT_TRUE(d.LineAry.empty());
    EXPECT_TRUE(d.BlkTextAry.empty());
    EXPECT_EQ(d.ExtMax.x, 0);
}

// The one-byte fields of a line sit in the tail padding of its common part: taking another
// record's common fields must leave them alone.
TEST(EntityCommon, TakingAnotherRecordsFieldsKeepsTheRecordsOwn) {
    Drawing d;
    TFaceBlk face;
    face.bname = d.name("Door");
    face.layer = d.name("Walls");
    face.code370 = 50;
    TAcadLineBlk line;
    line.convtype = ConvChordOfCurve;
    line.lwpflag = true;
    line.checked = true;
    static_cast<EntityCommon&>(line) = face;
    EXPECT_EQ(line.bname, "Door");
    EXPECT_EQ(line.layer, "Walls");
    EXPECT_EQ(line.code370, 50);
    EXPECT_EQ(line.convtype, ConvChordOfCurve);
    EXPECT_TRUE(line.lwpflag);
    EXPECT_TRUE(line.checked);
}

// A direction is held once and to the bit; a table that adopts another hands out its copies.
TEST(Extrusion, OneCopyPerDirectionKeptToTheBit) {
    Drawing d;
    const Extrusion down = d.extrusion({0, 0, -1});
    EXPECT_EQ(&d.extrusion({0, 0, -1}).point(), &down.point());
    const Extrusion negativeZero = d.extrusion({-0.0, 0, -1});
    EXPECT_NE(&negativeZero.point(), &down.point());
    EXPECT_TRUE(std::signbit(negativeZero.point().x));
    EXPECT_EQ(&d.extrusion({0, 0, 1}).point(), &Extrusion().point());

    auto part = std::make_shared<NameTable>();
    const Extrusion tilted = part->intern(TAcadPoint{0.6, 0, 0.8});
    d.Names->adopt(part);
    EXPECT_EQ(&d.extrusion({0.6, 0, 0.8}).point(), &tilted.point());
}

TEST(RecordTable, SolidsOfBlocksGoToSolidAry) {
    Drawing d;
    EXPECT_EQ(&RecordTable<TSolidBlk>(d, true), &d.SolidAry);
    EXPECT_EQ(&RecordTable<TSolidBlk>(d, false), &d.ModelSolidAry);
    EXPECT_EQ(&RecordTable<TAcadLineBlk>(d, true), &d.BlkLineAry);
}

} // namespace
} // namespace orvanta
