// Layouts, the block records that tie them to their sheets' blocks, and viewports.
#include "dxf/DxfVersion.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// A block record table: each record's handle, name and layout handle ("" for none).
std::string BlockRecords(std::initializer_list<std::array<const char*, 3>> records) {
    std::string out = Dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "BLOCK_RECORD", "5",
                           "1", "330", "0", "100", "AcDbSymbolTable", "70", "3"});
    for (const auto& [handle, name, layout] : records) {
        out += Dxf({"0", "BLOCK_RECORD", "5", handle, "330", "1", "100", "AcDbSymbolTableRecord",
                    "100", "AcDbBlockTableRecord", "2", name});
        if (*layout) out += Dxf({"340", layout});
    }
    return out + Dxf({"0", "ENDTAB", "0", "ENDSEC"});
}

// A LAYOUT object with its owner, plot settings and layout parts.
std::string Layout(const char* handle, const char* name, const char* tab, const char* record) {
    std::string out = Dxf({"0",   "LAYOUT",     "5",   handle,
                           "330", "1A",         "100", "AcDbPlotSettings",
                           "1",   "Page setup", "4",   "ISO_A3_(420.00_x_297.00_MM)",
                           "40",  "7.5",        "44",  "420",
                           "45",  "297",        "70",  "688",
                           "72",  "1",          "73",  "1",
                           "142", "1",          "143", "50",
                           "100", "AcDbLayout", "1",   name,
                           "70",  "1",          "71",  tab,
                           "10",  "-1",         "20",  "-2",
                           "15",  "400",        "25",  "280"});
    if (*record) out += Dxf({"330", record});
    return out;
}

std::string Objects(std::initializer_list<std::string> objects) {
    std::string out = Dxf({"0", "SECTION", "2", "OBJECTS"});
    for (const std::string& o : objects)
        out += o;
    return out + Dxf({"0", "ENDSEC"});
}

TEST(ReaderLayouts, LayoutsFindTheirBlocksAndComeInTabOrder) {
    const Drawing d = ReadText(
        Dxf({"0", "SECTION", "2", "HEADER", "9", "$TILEMODE", "70", "0", "0", "ENDSEC"}) +
        BlockRecords({{{"1F", "*Model_Space", "22"}},
                      {{"2A", "*Paper_Space", "2B"}},
                      {{"3A", "*Paper_Space0", ""}}}) +
        // "Sheet A" names no block record: the record that names the layout leads to its block.
        Objects({Layout("3B", "Sheet B", "2", "3a"), Layout("2B", "Sheet A", "1", ""),
                 Layout("22", "Model", "0", "1F"),
                 // The same layout again, and another claiming a sheet already taken.
                 Layout("3B", "Sheet B copy", "3", "3A"), Layout("4B", "Sheet C", "4", "2A")}));
    EXPECT_EQ(d.TileMode, 0);
    ASSERT_EQ(d.LayoutAry.size(), 3u);
    EXPECT_EQ(d.LayoutAry[0].name, "Model");
    EXPECT_EQ(d.LayoutAry[0].blockName, "*Model_Space");
    EXPECT_EQ(d.LayoutAry[1].name, "Sheet A");
    EXPECT_EQ(d.LayoutAry[1].blockName, "*Paper_Space");
    EXPECT_EQ(d.LayoutAry[2].name, "Sheet B");
    EXPECT_EQ(d.LayoutAry[2].blockName, "*Paper_Space0");
    EXPECT_EQ(d.LayoutAry[2].handle, "3B");
}

TEST(ReaderLayouts, LayoutsWithBrokenLinksTakeTheSheetsNoOtherHolds) {
    // The block records stand without their table's head; no layout's 330 names one of them.
    const Drawing d = ReadText(
        Dxf({"0", "SECTION",      "2", "TABLES",       "0", "BLOCK_RECORD", "5", "1F",
             "2", "*Model_Space", "0", "BLOCK_RECORD", "5", "2F",           "2", "*Paper_Space0",
             "0", "BLOCK_RECORD", "5", "2A",           "2", "*Paper_Space", "0", "ENDSEC"}) +
        Objects({Layout("32", "Second", "3", "FFFC"), Layout("1A", "Model", "0", "FFFA"),
                 Layout("1E", "First", "1", "")}));
    ASSERT_EQ(d.LayoutAry.size(), 3u);
    EXPECT_EQ(d.LayoutAry[0].blockName, "*Model_Space");
    EXPECT_EQ(d.LayoutAry[1].blockName, "*Paper_Space");
    EXPECT_EQ(d.LayoutAry[2].blockName, "*Paper_Space0");
}

TEST(ReaderLayouts, PlotSettingsAndLayoutPartsKeepTheirOwnMeanings) {
    const TLayout l = ReadText(Objects({Layout("2B", "Sheet", "1", "")})).LayoutAry.at(0);
    // Code 1 and 70 of the plot settings are the page setup's, not the layout's.
    EXPECT_EQ(l.name, "Sheet");
    EXPECT_EQ(l.code70, 1);
    EXPECT_EQ(l.paperName, "ISO_A3_(420.00_x_297.00_MM)");
    EXPECT_EQ(l.code40, 7.5);
    EXPECT_EQ(l.code44, 420);
    EXPECT_EQ(l.code45, 297);
    EXPECT_EQ(l.code73, 1);
    EXPECT_EQ(l.code143, 50);
    EXPECT_EQ(l.limMin.y, -2);
    EXPECT_EQ(l.extMax.x, 400);
    EXPECT_EQ(l.extMax.y, 280);
    EXPECT_TRUE(l.blockName.empty());
}

std::string LayerTable() {
    return Dxf({"0", "SECTION", "2",     "TABLES", "0",  "TABLE",  "2", "LAYER", "5",
                "2", "0",       "LAYER", "5",      "10", "2",      "0", "0",     "LAYER",
                "5", "0F",      "2",     "Hidden", "0",  "ENDTAB", "0", "ENDSEC"});
}

TEST(ReaderLayouts, ViewportKeepsItsViewFrozenLayersAndClipBoundary) {
    const Drawing d = ReadText(
        LayerTable() +
        Dxf({"0", "SECTION", "2", "ENTITIES",
             // A model line, whose handle is not listed.
             "0", "LINE", "5", "2B", "8", "0", "10", "0", "0", "VIEWPORT", "5", "30", "330", "1A",
             "100", "AcDbEntity", "67", "1", "8", "Frame", "100", "AcDbViewport", "10", "148.5",
             "20", "105", "30", "0", "40", "200", "41", "120", "68", "2", "69", "3", "12", "50",
             "22", "25", "16", "0", "26", "0", "36", "1", "17", "5", "27", "6", "37", "0", "45",
             "1e999", "51", "30", "331", "f", "331", "99", "90", "32864", "340", "2c", "0",
             "LWPOLYLINE", "5", "2C", "67", "1", "8", "Frame", "90", "3", "70", "1", "10", "0",
             "20", "0", "10", "1", "20", "0", "10", "1", "20", "1", "0", "ENDSEC"}));
    ASSERT_EQ(d.ViewportAry.size(), 1u);
    const TViewport& v = d.ViewportAry[0];
    EXPECT_TRUE(v.bname.empty());
    EXPECT_EQ(v.code67, 1);
    EXPECT_EQ(v.layer, "Frame");
    EXPECT_EQ(v.center.x, 148.5);
    EXPECT_EQ(v.width, 200);
    EXPECT_EQ(v.height, 120);
    EXPECT_EQ(v.code68, 2);
    EXPECT_EQ(v.code69, 3);
    EXPECT_EQ(v.viewCenter.y, 25);
    EXPECT_EQ(v.viewTarget.y, 6);
    EXPECT_EQ(v.viewDirection.z, 1);
    EXPECT_TRUE(std::isinf(v.viewHeight));
    EXPECT_EQ(v.twist, 30);
    EXPECT_EQ(v.code90, 32864);
    EXPECT_EQ(v.handle, "30");
    // The dangling handle 99 is dropped.
    ASSERT_EQ(v.frozenLayers.size(), 1u);
    EXPECT_EQ(v.frozenLayers[0], "Hidden");

    ASSERT_EQ(d.PaperHandleAry.size(), 2u);
    const TEntityHandle* clip = FindPaperEntity(d, v.clipHandle);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->kind, RecordKind::Polyline);
    EXPECT_FALSE(clip->inBlock);
    EXPECT_EQ(d.LwpAry.at(clip->index).ihand, 0);
    EXPECT_EQ(FindPaperEntity(d, "2B"), nullptr);
}

TEST(ReaderLayouts, EntitiesOfPaperSpaceBlocksAreListedByHandle) {
    const Drawing d =
        ReadText(Dxf({"0", "SECTION", "2",   "BLOCKS", "0",  "BLOCK",  "2", "*Paper_Space0",
                      "0", "CIRCLE",  "5",   "41",     "40", "1",      "0", "VIEWPORT",
                      "5", "42",      "340", "41",     "0",  "ENDBLK", "0", "BLOCK",
                      "2", "Part",    "0",   "CIRCLE", "5",  "43",     "0", "ENDBLK",
                      "0", "ENDSEC"}));
    ASSERT_EQ(d.ViewportAry.size(), 1u);
    EXPECT_EQ(d.ViewportAry[0].bname, "*Paper_Space0");
    const TEntityHandle* clip = FindPaperEntity(d, d.ViewportAry[0].clipHandle);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->kind, RecordKind::Circle);
    EXPECT_TRUE(clip->inBlock);
    EXPECT_EQ(FindPaperEntity(d, "43"), nullptr);
}

TEST(ReaderLayouts, Release12ViewportReadsItsExtendedData) {
    const Drawing d = ReadText(
        Dxf({"0",     "SECTION", "2",    "ENTITIES", "0",    "VIEWPORT", "5",     "267",  "67",
             "1",     "8",       "0",    "10",       "7.9",  "20",       "3.9",   "40",   "23.7",
             "41",    "8.7",     "68",   "1",        "69",   "1",        "1001",  "ACAD", "1000",
             "MVIEW", "1002",    "{",    "1070",     "16",   "1010",     "1",     "1020", "2",
             "1030",  "3",       "1010", "0",        "1020", "0",        "1030",  "1",    "1040",
             "15",    "1040",    "8.7",  "1040",     "7.9",  "1040",     "3.9",   "1040", "50",
             "1040",  "0",       "1070", "0",        "1002", "{",        "1003",  "DIM",  "1003",
             "HATCH", "1002",    "}",    "1002",     "}",    "0",        "ENDSEC"}));
    ASSERT_EQ(d.ViewportAry.size(), 1u);
    const TViewport& v = d.ViewportAry[0];
    EXPECT_EQ(v.code69, 1);
    EXPECT_EQ(v.width, 23.7);
    EXPECT_EQ(v.viewTarget.x, 1);
    EXPECT_EQ(v.viewTarget.z, 3);
    EXPECT_EQ(v.viewDirection.z, 1);
    EXPECT_EQ(v.twist, 15);
    EXPECT_EQ(v.viewHeight, 8.7);
    EXPECT_EQ(v.viewCenter.x, 7.9);
    EXPECT_EQ(v.viewCenter.y, 3.9);
    ASSERT_EQ(v.frozenLayers.size(), 2u);
    EXPECT_EQ(v.frozenLayers[1], "HATCH");
}

// Drawings of other programs: each layout's sheet is a block of the drawing, and every clipped
// viewport finds its boundary.
TEST(ReaderLayouts, SampleLayoutsAndViewportsResolve) {
    namespace fs = std::filesystem;
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    // This file's layout names a block record whose block definition is missing: the layout
    // keeps the block's name, and its sheet is empty.
    const std::string missingBlock = "layout_missing_block_definition.dxf";
    int withViewports = 0, clipped = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".dxf" && ext != ".DXF") continue;
        const std::string file = entry.path().string();
        std::string version;
        Drawing d;
        try {
            ReadDxfVersion(file, version);
            ReadDxfFile(d, file, nullptr, EncodingForFile(file, version));
        } catch (const SilentAbort&) {
            continue; // SampleDrawings covers the files that do not read.
        }
        for (const TLayout& layout : d.LayoutAry) {
            bool found = layout.blockName == "*Paper_Space" || layout.blockName == "*Model_Space";
            for (const TBlockBlk& block : d.BlockAry)
                found = found || block.name == layout.blockName;
            EXPECT_TRUE(found || entry.path().filename() == missingBlock)
                << file << ": layout \"" << layout.name << "\" block \"" << layout.blockName
                << "\"";
        }
        for (const TViewport& v : d.ViewportAry) {
            if (v.clipHandle.empty() || v.clipHandle == "0") continue;
            ++clipped;
            EXPECT_NE(FindPaperEntity(d, v.clipHandle), nullptr) << file << ": " << v.clipHandle;
        }
        withViewports += !d.LayoutAry.empty() && !d.ViewportAry.empty();
    }
    EXPECT_GE(withViewports, 21);
    EXPECT_GT(clipped, 0);
}

} // namespace
} // namespace orvanta
