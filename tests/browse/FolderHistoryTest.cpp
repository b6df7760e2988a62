#include "browse/FolderHistory.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvanta {
namespace {

TEST(FolderHistory, AddingPutsTheFolderOnTopOnce) {
    FolderHistory h;
    EXPECT_FALSE(h.anyVisible());
    h.add("");
    EXPECT_FALSE(h.anyVisible());
    h.add("/a");
    h.add("/b");
    h.add("/a");
    EXPECT_EQ(h.at(0), "/a");
    EXPECT_EQ(h.at(1), "/b");
    EXPECT_EQ(h.at(2), "");
    EXPECT_TRUE(h.visible(1));
    EXPECT_FALSE(h.visible(2));
    EXPECT_TRUE(h.anyVisible());
    h.add("/A");
    EXPECT_EQ(h.at(0), "/A") << "entries compare exactly";
    EXPECT_EQ(h.at(1), "/a");
}

TEST(FolderHistory, TheSeventeenthFolderDropsTheOldest) {
    FolderHistory h;
    for (int i = 0; i < 17; ++i)
        h.add("/f" + std::to_string(i));
    EXPECT_EQ(h.at(0), "/f16");
    EXPECT_EQ(h.at(15), "/f1");
    EXPECT_EQ(std::count(h.entries().begin(), h.entries().end(), "/f0"), 0) << "the oldest is gone";
    // A folder already in a full history moves up; nothing is dropped.
    h.add("/f1");
    EXPECT_EQ(h.at(0), "/f1");
    EXPECT_EQ(h.at(15), "/f2");
}

TEST(FolderHistory, RemovingMovesLaterEntriesUp) {
    FolderHistory h;
    for (const char* path : {"/c", "/b", "/a"})
        h.add(path);
    EXPECT_FALSE(h.remove("/x"));
    EXPECT_FALSE(h.remove(""));
    EXPECT_TRUE(h.remove("/b"));
    EXPECT_EQ(h.at(0), "/a");
    EXPECT_EQ(h.at(1), "/c");
    EXPECT_EQ(h.at(2), "");
    h.removeAt(0);
    EXPECT_EQ(h.at(0), "/c");
    h.removeAt(0);
    EXPECT_FALSE(h.anyVisible());
    h.removeAt(16); // out of range: nothing
}

} // namespace
} // namespace orvanta
