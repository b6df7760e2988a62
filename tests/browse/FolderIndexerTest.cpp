#include "browse/FolderIndexer.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

namespace fs = std::filesystem;

std::string OneText(const char* text) {
    return test::Dxf({"0",  "SECTION", "2",  "ENTITIES", "0", "TEXT", "8", "0",      "10", "0",
                      "20", "0",       "40", "1",        "1", text,   "0", "ENDSEC", "0",  "EOF"});
}

std::size_t Hits(TextIndex& index, const SearchScope& scope, const char* query) {
    return index.search(scope, query).drawings.size();
}

// Reads only what is new or changed, forgets what is gone, records a failure with its reason and
// reads it again once it changes; the subfolders only when asked.
TEST(FolderIndexer, ReadsOnlyWhatChanged) {
    test::TempDir cache, dir;
    TextIndex index((cache.path() / "texts.sqlite").string());
    dir.write("a.dxf", OneText("会議室"));
    dir.write("b.dxf", OneText("階段"));
    dir.write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nTEXT\n40\nnot a number\n");
    fs::create_directory(dir.path() / "sub");
    dir.write("sub/c.dxf", OneText("倉庫"));
    const SearchScope scope{dir.path().string(), false};
    FolderIndexRequest request{scope, {}, 2};

    FolderIndexOutcome first = UpdateFolderIndex(index, request);
    EXPECT_EQ(first.drawings, 3u);
    EXPECT_EQ(first.read, 3u);
    EXPECT_EQ(first.failed, 1u);
    EXPECT_EQ(Hits(index, scope, "会議室"), 1u);
    EXPECT_EQ(Hits(index, scope, "倉庫"), 0u);
    bool failureKept = false;
    for (const IndexedFile& file : index.files(scope))
        if (file.failed) failureKept = file.reason.find("bad.dxf") != std::string::npos;
    EXPECT_TRUE(failureKept);

    FolderIndexOutcome again = UpdateFolderIndex(index, request);
    EXPECT_EQ(again.read, 0u);
    EXPECT_EQ(again.unchanged, 3u);

    dir.write("b.dxf", OneText("階段室 B"));
    dir.write("bad.dxf", OneText("直した"));
    fs::remove(dir.path() / "a.dxf");
    FolderIndexOutcome changed = UpdateFolderIndex(index, request);
    EXPECT_EQ(changed.read, 2u);
    EXPECT_EQ(changed.failed, 0u);
    EXPECT_EQ(changed.removed, 1u);
    EXPECT_EQ(Hits(index, scope, "会議室"), 0u);
    EXPECT_EQ(Hits(index, scope, "階段室"), 1u);
    EXPECT_EQ(Hits(index, scope, "直した"), 1u);

    request.scope.subfolders = true;
    EXPECT_EQ(UpdateFolderIndex(index, request).read, 1u);
    EXPECT_EQ(Hits(index, request.scope, "倉庫"), 1u);
}

} // namespace
} // namespace orvanta
