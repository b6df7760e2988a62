#include "browse/TextIndex.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace orvanta {
namespace {

namespace fs = std::filesystem;

IndexedDrawing Drawing(const std::string& path, std::vector<std::string> texts) {
    IndexedDrawing drawing;
    drawing.file.path = path;
    drawing.file.size = 100;
    drawing.file.modified = 1700000000;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        IndexedText& text = drawing.texts.emplace_back();
        text.text = texts[i];
        text.layer = "0";
        text.textIndex = static_cast<std::int64_t>(i);
    }
    return drawing;
}

std::vector<std::string> HitTexts(const SearchResult& result) {
    std::vector<std::string> texts;
    for (const SearchHit& hit : result.hits)
        texts.push_back(fs::path(hit.path).filename().string() + ":" + hit.text.text);
    return texts;
}

using Texts = std::vector<std::string>;
const SearchScope Plans{"/d/plans", false};

TEST(TextIndex, SearchFormIsNfkcAndCaseFoldedAndTheOriginalIsShown) {
    EXPECT_EQ(NormaliseForSearch("Ｎｏ．１"), "no.1");
    EXPECT_EQ(NormaliseForSearch("ｶﾀｶﾅ ｶﾞ"), "カタカナ ガ");
    EXPECT_EQ(NormaliseForSearch("Room B-12 ÉTAGE"), "room b-12 étage");
    EXPECT_EQ(QueryWords(" 梁\tＡ-1　会議室  "), (Texts{"梁", "a-1", "会議室"}));

    test::TempDir dir;
    TextIndex index((dir.path() / "texts.sqlite").string());
    index.update({Drawing("/d/plans/a.dxf", {"ｶﾀｶﾅ室", "NO.1 Pump"})}, {});
    EXPECT_EQ(HitTexts(index.search(Plans, "カタカナ")), (Texts{"a.dxf:ｶﾀｶﾅ室"}));
    EXPECT_EQ(HitTexts(index.search(Plans, "Ｎｏ．１")), (Texts{"a.dxf:NO.1 Pump"}));
    EXPECT_TRUE(index.search(Plans, "  ").hits.empty());
}

TEST(TextIndex, EveryWordMustBeInOneOfTheDrawingsTexts) {
    test::TempDir dir;
    TextIndex index((dir.path() / "texts.sqlite").string());
    index.update({Drawing("/d/plans/b.dxf", {"会議室", "A-1023", "note", "会議室 A-1023"}),
                  Drawing("/d/plans/a.dxf", {"会議室", "A-1024"}),
                  Drawing("/d/plans/c.dxf", {"A-1023"})},
                 {});
    SearchResult result = index.search(Plans, "A-1023 会議室");
    EXPECT_EQ(HitTexts(result), (Texts{"b.dxf:会議室", "b.dxf:A-1023", "b.dxf:会議室 A-1023"}));
    ASSERT_EQ(result.drawings.size(), 1u);
    EXPECT_EQ(result.drawings[0].texts, 3u);
    EXPECT_FALSE(result.truncated);

    result = index.search(Plans, "会議室", 2);
    EXPECT_EQ(HitTexts(result), (Texts{"a.dxf:会議室", "b.dxf:会議室"}));
    EXPECT_TRUE(result.truncated);
    ASSERT_EQ(result.drawings.size(), 2u);
    EXPECT_EQ(result.drawings[1].texts, 2u);
}

TEST(TextIndex, ShortWordsAreFoundByScanning) {
    test::TempDir dir;
    TextIndex index((dir.path() / "texts.sqlite").string());
    index.update({Drawing("/d/plans/a.dxf", {"大梁 G1", "小梁", "階段室", "柱"}),
                  Drawing("/d/plans/b.dxf", {"階段", "A1"})},
                 {});
    EXPECT_EQ(HitTexts(index.search(Plans, "梁")), (Texts{"a.dxf:大梁 G1", "a.dxf:小梁"}));
    EXPECT_EQ(HitTexts(index.search(Plans, "階段")), (Texts{"a.dxf:階段室", "b.dxf:階段"}));
    EXPECT_EQ(HitTexts(index.search(Plans, "階段 梁 階段室")),
              (Texts{"a.dxf:大梁 G1", "a.dxf:小梁", "a.dxf:階段室"}));
    EXPECT_EQ(HitTexts(index.search(Plans, "a1")), (Texts{"b.dxf:A1"}));
    EXPECT_TRUE(index.search(Plans, "\"\"\" 梁\"").hits.empty()) << "quotes are searched as text";
}

TEST(TextIndex, ScopeIsTheFolderOrItsSubfoldersButNotItsNamesakes) {
    test::TempDir dir;
    TextIndex index((dir.path() / "texts.sqlite").string());
    index.update({Drawing("/d/plans/a.dxf", {"pump"}), Drawing("/d/plans/sub/b.dxf", {"pump"}),
                  Drawing("/d/plans2/c.dxf", {"pump"}), Drawing("/d/plans-old/d.dxf", {"pump"})},
                 {});
    EXPECT_EQ(HitTexts(index.search(Plans, "pump")), (Texts{"a.dxf:pump"}));
    EXPECT_EQ(HitTexts(index.search({"/d/plans/", true}, "pump")),
              (Texts{"a.dxf:pump", "b.dxf:pump"}));
    EXPECT_EQ(index.files({"/", true}).size(), 4u);
}

TEST(TextIndex, UpdateReplacesAndRemovesDrawings) {
    test::TempDir dir;
    TextIndex index((dir.path() / "texts.sqlite").string());
    index.update({Drawing("/d/plans/a.dxf", {"old text"}), Drawing("/d/plans/b.dxf", {"old"})}, {});
    IndexedDrawing failed = Drawing("/d/plans/b.dxf", {});
    failed.file.failed = true;
    failed.file.reason = "not a DXF file";
    failed.file.size = 7;
    index.update({Drawing("/d/plans/a.dxf", {"new text"}), failed}, {});
    EXPECT_TRUE(index.search(Plans, "old").hits.empty());
    EXPECT_EQ(HitTexts(index.search(Plans, "new")), (Texts{"a.dxf:new text"}));
    std::vector<IndexedFile> files = index.files(Plans);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1].path, "/d/plans/b.dxf");
    EXPECT_TRUE(files[1].failed);
    EXPECT_EQ(files[1].reason, "not a DXF file");
    EXPECT_EQ(files[1].size, 7u);
    EXPECT_EQ(files[0].modified, 1700000000);

    index.update({}, {"/d/plans/a.dxf", "/d/plans/missing.dxf"});
    EXPECT_TRUE(index.search(Plans, "text").hits.empty());
    EXPECT_EQ(index.files(Plans).size(), 1u);
}

TEST(TextIndex, DamagedFileIsMovedAsideAndANewOneMade) {
    test::TempDir dir;
    const std::string garbage(8192, '\x5a');
    const std::string file = dir.write("texts.sqlite", garbage);
    dir.write("texts.sqlite-wal", "wal");
    TextIndex index(file);
    const std::string aside = index.movedAside();
    ASSERT_EQ(aside.rfind(file + ".damaged-2", 0), 0u) << aside;
    std::ifstream moved(aside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(moved), {}), garbage);
    EXPECT_TRUE(fs::exists(aside + "-wal"));
    index.update({Drawing("/d/plans/a.dxf", {"pump"})}, {});
    EXPECT_EQ(index.search(Plans, "pump").hits.size(), 1u);
}

TEST(TextIndex, DamageFoundInUseMovesTheIndexAsideToo) {
    test::TempDir dir;
    const std::string file = (dir.path() / "texts.sqlite").string();
    TextIndex index(file);
    index.update({Drawing("/d/plans/a.dxf", {"pump"})}, {});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    // The trigram index's pages stay sound b-tree pages, so only reading it finds the damage.
    ASSERT_EQ(sqlite3_exec(db, "UPDATE texts_fts_data SET block = x'0102030405'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    try {
        index.search(Plans, "pump");
        ADD_FAILURE() << "searched a damaged index";
    } catch (const TextIndexError& error) {
        EXPECT_EQ(error.problem(), TextIndexError::Problem::Damaged) << error.what();
    }
    EXPECT_TRUE(fs::exists(index.movedAside()));
    index.update({Drawing("/d/plans/a.dxf", {"pump"})}, {});
    EXPECT_EQ(index.search(Plans, "pump").hits.size(), 1u);
}

TEST(TextIndex, IndexOfAnotherVersionIsRebuilt) {
    test::TempDir dir;
    const std::string file = (dir.path() / "texts.sqlite").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    const std::string old =
        "CREATE TABLE files(path); CREATE TABLE texts(text); PRAGMA user_version = " +
        std::to_string(TextIndex::SchemaVersion - 1);
    ASSERT_EQ(sqlite3_exec(db, old.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    TextIndex index(file);
    EXPECT_TRUE(index.movedAside().empty());
    index.update({Drawing("/d/plans/a.dxf", {"pump"})}, {});
    EXPECT_EQ(index.search(Plans, "pump").hits.size(), 1u);
}

TEST(TextIndex, TwoWritersOnOneFileLoseNothing) {
    test::TempDir dir;
    const std::string file = (dir.path() / "texts.sqlite").string();
    const auto write = [&](const std::string& folder) {
        TextIndex index(file);
        for (int i = 0; i < 40; ++i)
            index.update({Drawing(folder + "/" + std::to_string(i) + ".dxf",
                                  Texts(200, "pump " + std::to_string(i)))},
                         {});
    };
    std::thread one(write, "/d/one"), two(write, "/d/two");
    one.join();
    two.join();
    TextIndex index(file);
    EXPECT_EQ(index.files({"/d", true}).size(), 80u);
    EXPECT_EQ(index.search({"/d", true}, "pump", 100000).hits.size(), 80u * 200u);
}

TEST(TextIndex, ReadOnlyFolderIsReported) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    test::TempDir dir;
    const fs::path folder = dir.path() / "cache";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string file = (folder / "texts.sqlite").string();
    try {
        TextIndex index(file);
        ADD_FAILURE() << "opened in a read-only folder";
    } catch (const TextIndexError& error) {
        EXPECT_EQ(error.problem(), TextIndexError::Problem::ReadOnly) << error.what();
        EXPECT_NE(std::string(error.what()).find(file), std::string::npos) << error.what();
    }
    fs::permissions(folder, fs::perms::owner_all);
}

} // namespace
} // namespace orvanta
