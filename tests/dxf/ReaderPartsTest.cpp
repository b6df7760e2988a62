// A file whose ENTITIES section is read in parts, on several threads, holds exactly what one
// thread reads: every record and field, every index, every name, and the same error.
#include "bench/BenchDrawing.h"
#include "dxf/DxfReader.h"
#include "support/BinaryDxfWriter.h"
#include "support/ReadDump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvanta {
namespace {

namespace fs = std::filesystem;

struct Read {
    std::string dump; // the tables, after the error when there was one
    std::string error;
    int parts = 0;
};

Read ReadInParts(const std::string& file, int parts) {
    Read read;
    Drawing drawing;
    DxfReadOptions options;
    options.entityParts = parts;
    options.partsRead = &read.parts;
    try {
        ReadDxfFile(drawing, file, nullptr, TextEncoding::Cp932, options);
    } catch (const DxfReadError& e) {
        read.error = e.what();
    }
    read.dump = test::DumpRead(drawing);
    return read;
}

// Empty when the texts are the same, else the first line where they differ.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream as(a), bs(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool ga = static_cast<bool>(std::getline(as, la));
        const bool gb = static_cast<bool>(std::getline(bs, lb));
        if (!ga && !gb) return {};
        if (!ga || !gb || la != lb)
            return "line " + std::to_string(line) + ":\n  whole: " + la + "\n  parts: " + lb;
    }
}

// Reads `file` whole and in 2, 3 and 8 parts; returns the most parts joined.
int ExpectSameInParts(const std::string& file) {
    SCOPED_TRACE(file);
    const Read whole = ReadInParts(file, 1);
    int most = 1;
    for (const int parts : {2, 3, 8}) {
        SCOPED_TRACE(std::to_string(parts) + " parts");
        const Read read = ReadInParts(file, parts);
        EXPECT_EQ(read.error, whole.error);
        EXPECT_EQ(FirstDifference(whole.dump, read.dump), "");
        most = std::max(most, read.parts);
    }
    return most;
}

TEST(ReaderParts, BundledSamplesReadAsOneThreadReadsThem) {
    for (const auto& entry : fs::directory_iterator(test::SourcePath("samples")))
        if (entry.path().extension() == ".dxf") ExpectSameInParts(entry.path().string());
}

TEST(ReaderParts, MixedDrawingAndItsBinaryTwinsReadAsOneThreadReadsThem) {
    const test::TempDir dir;
    const std::string text = (dir.path() / "mixed.dxf").string();
    ASSERT_GT(bench::WriteMixedDrawing(text, 3 << 20), 0);
    EXPECT_EQ(ExpectSameInParts(text), 8);
    // Files this large are split without being asked.
    EXPECT_EQ(ReadInParts(text, 1).dump, ReadInParts(text, 0).dump);

    std::ifstream in(text, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (const auto codes : {test::BinaryCodes::TwoBytes, test::BinaryCodes::OneByte}) {
        const std::string binary = dir.write("binary.dxf", test::BinaryDxf(bytes, codes));
        EXPECT_EQ(ExpectSameInParts(binary), 8);
    }
}

TEST(ReaderParts, SharedSamplesReadAsOneThreadReadsThem) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    int split = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".dxf" || ext == ".DXF") split += ExpectSameInParts(entry.path().string()) > 1;
    }
    EXPECT_GT(split, 50);
}

// The ENTITIES section of a drawing that uses what a part must join by index or by name: layers
// no table names (added as first used), attribute tags, polylines with vertices and polyface
// faces, paper-space entities listed by handle, clipped inserts, images. Each of `extras` goes
// before the repetition it names, of 300.
std::string Entities(const std::vector<std::pair<int, std::string>>& extras = {}) {
    std::string s = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        const std::string layer = "L" + std::to_string(i % 11 * i % 37);
        for (const auto& [at, extra] : extras)
            if (at == i) s += extra;
        s += "0\nLINE\n5\n" + std::to_string(1000 + i) + "\n67\n" + std::to_string(i % 3 == 0) +
             "\n8\n" + layer + "\n10\n" + n + "\n20\n1\n11\n2\n21\n" + n + "\n";
        s += "0\nLWPOLYLINE\n8\n" + layer + "\n90\n2\n10\n0\n20\n" + n + "\n10\n1\n20\n2\n";
        s += "0\nPOLYLINE\n8\n0\n66\n1\n70\n64\n0\nVERTEX\n70\n192\n10\n" + n +
             "\n0\nVERTEX\n70\n128\n71\n1\n72\n2\n73\n3\n0\nSEQEND\n";
        s += "0\nINSERT\n2\nB\n66\n1\n102\n{ACAD_XDICTIONARY\n360\n" + std::to_string(4000 + i) +
             "\n102\n}\n10\n" + n + "\n0\nATTRIB\n2\nTAG" + std::to_string(i % 50) + "\n1\nv" + n +
             "\n10\n" + n + "\n0\nSEQEND\n";
        s += "0\nIMAGE\n340\n" + std::to_string(100 + i % 4) + "\n10\n" + n + "\n13\n4\n23\n4\n";
        s += "0\nTEXT\n5\n" + std::to_string(9000 + i) + "\n67\n1\n1\nt" + n + "\n";
    }
    s += "0\nENDSEC\n";
    return s;
}

std::string WholeFile(const std::string& entities) {
    return "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nL0\n62\n3\n0\nENDTAB\n"
           "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n0\nENDBLK\n0\nENDSEC\n" +
           entities + "0\nSECTION\n2\nOBJECTS\n0\nIMAGEDEF\n5\n101\n1\npicture.png\n0\nENDSEC\n" +
           "0\nEOF\n";
}

TEST(ReaderParts, IndicesAndNamesJoinAsOneThreadReadsThem) {
    const test::TempDir dir;
    EXPECT_EQ(ExpectSameInParts(dir.write("a.dxf", WholeFile(Entities()))), 8);
}

TEST(ReaderParts, APolylineLeftTakingVerticesGoesOnInTheNextPart) {
    const test::TempDir dir;
    // No SEQEND: what follows is read as one thread reads it, in vertex mode.
    const std::string open = "0\nPOLYLINE\n70\n1\n0\nVERTEX\n10\n1\n20\n2\n";
    ExpectSameInParts(dir.write("open.dxf", WholeFile(Entities({{150, open}}))));
}

TEST(ReaderParts, ATableInsideTheEntitiesIsReadAsOneThreadReadsIt) {
    const test::TempDir dir;
    const std::string table = "0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nLATE\n62\n5\n0\nENDTAB\n";
    ExpectSameInParts(dir.write("table.dxf", WholeFile(Entities({{200, table}}))));
}

// Split in two, the file's second half is read by the second part: its error is told with the
// line of the whole file, and where both halves hold one, the first half's is told.
TEST(ReaderParts, TheFirstErrorInTheFileIsToldWithItsLine) {
    const test::TempDir dir;
    const std::string bad = "0\nCIRCLE\n10\nnot a number\n";
    for (const auto& extras : {std::vector<std::pair<int, std::string>>{{220, bad}},
                               std::vector<std::pair<int, std::string>>{{60, bad}, {220, bad}}}) {
        const std::string file = dir.write("bad.dxf", WholeFile(Entities(extras)));
        const Read whole = ReadInParts(file, 1);
        ASSERT_NE(whole.error.find("not a number"), std::string::npos) << whole.error;
        ExpectSameInParts(file);
    }
}

} // namespace
} // namespace orvanta
