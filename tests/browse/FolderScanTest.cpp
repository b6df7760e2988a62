#include "browse/FolderScan.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace orvanta {
namespace {

std::vector<std::string> Names(const FolderScanResult& result) {
    std::vector<std::string> names;
    for (const DrawingFile& file : result.files)
        names.push_back(file.name);
    return names;
}

TEST(FolderScan, ListsDrawingsOnlyInCaseInsensitiveOrder) {
    test::TempDir dir;
    dir.write("B.DXF", std::string(1536, 'x'));
    dir.write("a.dwg", std::string(1023, 'x'));
    dir.write("notes.txt", "x");
    dir.write("c.Dxf", "");
    dir.write("Z.dxf", "");
    dir.write("b.dxf.bak", "");
    std::filesystem::create_directory(dir.path() / "folder.dxf");
    const FolderScanResult result = ScanDrawingFolder(dir.path().string());
    EXPECT_EQ(Names(result), (std::vector<std::string>{"a.dwg", "B.DXF", "c.Dxf", "Z.dxf"}));
    EXPECT_TRUE(result.anyCandidate);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(FormatSizeKb(result.files[0].size), "0KB");
    EXPECT_EQ(FormatSizeKb(result.files[1].size), "1KB");
}

TEST(FolderScan, EmptyUnreadableAndStoppedScans) {
    test::TempDir dir;
    dir.write("readme.doc", "x");
    FolderScanResult result = ScanDrawingFolder(dir.path().string());
    EXPECT_TRUE(result.files.empty());
    EXPECT_TRUE(result.anyCandidate) << "*.doc matches the wildcard though it is no drawing";
    result = ScanDrawingFolder((dir.path() / "missing").string());
    EXPECT_TRUE(result.files.empty());
    EXPECT_FALSE(result.anyCandidate);

    for (int i = 0; i < 5; ++i)
        dir.write("d" + std::to_string(i) + ".dxf", "");
    int calls = 0;
    result = ScanDrawingFolder(dir.path().string(), [&](int) { return ++calls < 3; });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(calls, 3);
}

TEST(FolderScan, NamesDifferingOnlyInCaseKeepAFixedOrder) {
    std::vector<DrawingFile> files{{"b.dxf"}, {"B.dxf"}, {"a.DXF"}};
    SortDrawingFiles(files);
    EXPECT_EQ(files[0].name, "a.DXF");
    EXPECT_EQ(files[1].name, "B.dxf");
    EXPECT_EQ(files[2].name, "b.dxf");
}

TEST(FolderScan, TimeText) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(FormatFileTime(0), "1970/01/01 00:00");
    EXPECT_EQ(FormatFileTime(1475208000 + 3 * 3600 + 5 * 60), "2016/09/30 07:05");
}

} // namespace
} // namespace orvanta
