// External references: blocks filled from the files they name, as every load finds them.
#include "load/ExternalReferences.h"
#include "load/LoadDrawing.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

namespace orvanta {
namespace {

using test::Dxf;

// A block that is an external reference to `path` (an overlay with flags "12").
std::string XrefBlock(const std::string& name, const std::string& path, const char* flags = "4") {
    return Dxf({"0", "BLOCK", "2", name.c_str(), "70", flags, "10", "0", "20", "0", "1",
                path.c_str(), "0", "ENDBLK"});
}

std::string InsertOf(const std::string& name, const char* x, const char* layer = "0") {
    return Dxf({"0", "INSERT", "8", layer, "2", name.c_str(), "10", x, "20", "0"});
}

// A drawing of these layer records, blocks and entities.
std::string Drawing(const std::string& layers, const std::string& blocks,
                    const std::string& entities) {
    return Dxf({"0", "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER"}) + layers +
           Dxf({"0", "ENDTAB", "0", "ENDSEC", "0", "SECTION", "2", "BLOCKS"}) + blocks +
           Dxf({"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"}) + entities +
           Dxf({"0", "ENDSEC", "0", "EOF"});
}

std::string Line(const char* layer, const char* x0, const char* x1) {
    return Dxf({"0", "LINE", "8", layer, "10", x0, "20", "0", "11", x1, "21", "0"});
}

bool HasLine(const orvanta::Drawing& d, double x0, double x1) {
    return std::any_of(d.LineAry.begin(), d.LineAry.end(), [&](const TAcadLineBlk& l) {
        return std::fabs(l.st.x - x0) < 1e-9 && std::fabs(l.ed.x - x1) < 1e-9;
    });
}

const TLayer* FindLayer(const orvanta::Drawing& d, const std::string& name) {
    for (const TLayer& layer : d.LayerAry)
        if (layer.Name == name) return &layer;
    return nullptr;
}

TEST(ExternalReferences, AReferenceIsReadBesideTheDrawingAndPlacedByItsInserts) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "Parts");
    // The part: a line on WALL, a circle on "0", a block DOOR, and a line on the layer OFF.
    const std::string part =
        Drawing(Dxf({"0", "LAYER", "2", "WALL", "62", "1", "0", "LAYER", "2", "OFF", "62", "-5"}),
                Dxf({"0", "BLOCK", "2", "DOOR", "10", "0", "20", "0"}) + Line("WALL", "0", "1") +
                    Dxf({"0", "ENDBLK"}),
                Line("WALL", "0", "10") + Line("OFF", "0", "3") +
                    Dxf({"0", "CIRCLE", "8", "0", "10", "5", "20", "0", "40", "1"}) +
                    InsertOf("DOOR", "20"));
    dir.write("door.dxf", part);
    dir.write("Parts/door.dxf", part);
    const std::string host =
        dir.write("plan.dxf", Drawing(Dxf({"0", "LAYER", "2", "HOST", "62", "3"}),
                                      XrefBlock("PART", "C:\\Old\\parts\\DOOR.DXF") +
                                          XrefBlock("PART2", "parts\\door.dxf"),
                                      InsertOf("PART", "100", "HOST") + InsertOf("PART2", "200")));
    const LoadedDrawing loaded = LoadDrawingFile(host);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    // Not found by its absolute path, the first is found by its name beside the drawing; the
    // second by its relative path in another letter case.
    EXPECT_TRUE(loaded.missingReferences.empty());
    const orvanta::Drawing& d = loaded.drawing;
    EXPECT_TRUE(HasLine(d, 100, 110));
    EXPECT_TRUE(HasLine(d, 120, 121)) << "the part's own block, nested";
    EXPECT_TRUE(HasLine(d, 200, 210));
    ASSERT_NE(FindLayer(d, "PART|WALL"), nullptr);
    EXPECT_EQ(FindLayer(d, "PART|WALL")->color, 1);
    ASSERT_NE(FindLayer(d, "PART|OFF"), nullptr);
    EXPECT_FALSE(FindLayer(d, "PART|OFF")->visible);
    EXPECT_EQ(FindLayer(d, "PART|0"), nullptr);
    const auto circle = std::find_if(d.CircleAry.begin(), d.CircleAry.end(),
                                     [](const TCircleBlk& c) { return c.center.x == 105; });
    ASSERT_NE(circle, d.CircleAry.end());
    EXPECT_EQ(circle->layer, "HOST") << "the part's layer 0 takes the reference's layer";
    for (const TAcadLineBlk& line : d.LineAry)
        if (line.st.x >= 200) EXPECT_EQ(line.layer.str().rfind("PART2|", 0), 0u);
}

// The records a reference brings hold the drawing's copy of their extrusion, which outlives the
// referenced drawing.
TEST(ExternalReferences, BroughtRecordsKeepTheirExtrusionInTheDrawingsTable) {
    orvanta::Drawing host;
    {
        orvanta::Drawing reference;
        reference.CircleAry.emplace_back().code210 = reference.extrusion({-0.0, 0.6, 0.8});
        MergeReference(host, "PART", reference, "");
    }
    ASSERT_EQ(host.BlkCircleAry.size(), 1u);
    const Extrusion& kept = host.BlkCircleAry[0].code210;
    EXPECT_EQ(&kept.point(), &host.extrusion({-0.0, 0.6, 0.8}).point());
    EXPECT_TRUE(std::signbit(kept.point().x));
}

TEST(ExternalReferences, AMissingOrUnreadableReferenceIsDrawnAsNothingAndNamed) {
    test::TempDir dir;
    dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x"}));
    dir.write("old.dwg", std::string("AC1027\0\0\0\0", 10));
    const std::string host =
        dir.write("plan.dxf", Drawing("",
                                      XrefBlock("GONE", "..\\elsewhere\\gone.dxf") +
                                          XrefBlock("BAD", "bad.dxf") + XrefBlock("OLD", "old.dwg"),
                                      Line("0", "0", "5") + InsertOf("GONE", "0") +
                                          InsertOf("BAD", "0") + InsertOf("OLD", "0")));
    const LoadedDrawing loaded = LoadDrawingFile(host);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    EXPECT_EQ(loaded.drawing.LineAry.size(), 1u);
    ASSERT_EQ(loaded.missingReferences.size(), 3u);
    EXPECT_EQ(loaded.missingReferences[0].name, "GONE");
    EXPECT_EQ(loaded.missingReferences[0].path, "..\\elsewhere\\gone.dxf");
    EXPECT_EQ(loaded.missingReferences[0].problem, ReferenceProblem::NotFound);
    EXPECT_EQ(loaded.missingReferences[1].problem, ReferenceProblem::Unreadable);
    EXPECT_NE(loaded.missingReferences[1].detail.find("bad.dxf:8:"), std::string::npos)
        << loaded.missingReferences[1].detail;
    EXPECT_EQ(loaded.missingReferences[2].problem, ReferenceProblem::NotConverted);
}

// Converts every DWG into the same DXF and counts what it was asked.
class CountingConverter : public DrawingConverter {
  public:
    explicit CountingConverter(std::string dxf) : dxf_(std::move(dxf)) {}
    std::string convert(const std::string&) override {
        ++calls;
        return dxf_;
    }
    int calls = 0;

  private:
    std::string dxf_;
};

TEST(ExternalReferences, AFileReferencedTwiceIsReadOnceAndDwgGoesThroughTheConverter) {
    test::TempDir dir;
    const std::string converted = dir.write("converted.dxf", Drawing("", "", Line("0", "0", "1")));
    dir.write("part.dwg", std::string("AC1027\0\0\0\0", 10));
    const std::string host = dir.write(
        "plan.dxf", Drawing("", XrefBlock("A", "part.dwg") + XrefBlock("B", ".\\PART.DWG"),
                            InsertOf("A", "10") + InsertOf("B", "20")));
    CountingConverter converter(converted);
    const LoadedDrawing loaded = LoadDrawingFile(host, {nullptr, &converter});
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    EXPECT_EQ(converter.calls, 1);
    EXPECT_TRUE(HasLine(loaded.drawing, 10, 11));
    EXPECT_TRUE(HasLine(loaded.drawing, 20, 21));
}

TEST(ExternalReferences, CyclesNestingDeeperThanEightAndNestedOverlaysAreLeftOut) {
    // level0 (the drawing) references level1, which references level2, ... level10; level1
    // also references level0. Both overlay over.dxf, 1000 to the right.
    test::TempDir dir;
    dir.write("over.dxf", Drawing("", "", Line("0", "0", "1")));
    for (int level = 0; level <= 10; ++level) {
        const std::string next = "level" + std::to_string(level + 1) + ".dxf";
        std::string blocks = XrefBlock("NEXT", next);
        std::string entities = Line("0", "0", "1") + InsertOf("NEXT", "10");
        if (level <= 1) {
            blocks += XrefBlock("OVER", "over.dxf", "12");
            entities += InsertOf("OVER", "1000");
        }
        if (level == 1) {
            blocks += XrefBlock("BACK", "level0.dxf");
            entities += InsertOf("BACK", "0");
        }
        dir.write("level" + std::to_string(level) + ".dxf", Drawing("", blocks, entities));
    }
    const LoadedDrawing loaded = LoadDrawingFile((dir.path() / "level0.dxf").string());
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded) << loaded.failure.message();
    // Levels 0 to 8 are drawn, each 10 further right.
    EXPECT_TRUE(HasLine(loaded.drawing, 80, 81));
    EXPECT_FALSE(HasLine(loaded.drawing, 90, 91));
    EXPECT_TRUE(HasLine(loaded.drawing, 1000, 1001));
    EXPECT_FALSE(HasLine(loaded.drawing, 1010, 1011)) << "an overlay of a reference";
    ASSERT_EQ(loaded.missingReferences.size(), 2u);
    EXPECT_EQ(loaded.missingReferences[0].problem, ReferenceProblem::TooDeep);
    EXPECT_EQ(loaded.missingReferences[0].path, "level9.dxf");
    EXPECT_EQ(loaded.missingReferences[1].problem, ReferenceProblem::Cycle);
    EXPECT_EQ(loaded.missingReferences[1].name, "BACK");
}

} // namespace
} // namespace orvanta
