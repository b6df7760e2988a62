#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

// index, then search: the hits as JSON, and the exit status says whether there were any.
TEST(SearchCommand, FindsTextsAndSaysSoInItsStatus) {
    test::TempDir cache, dir;
    dir.write("plan.dxf", test::Dxf({"0",     "SECTION", "2", "ENTITIES", "0", "TEXT", "8",
                                     "ROOMS", "10",      "1", "20",       "2", "40",   "1",
                                     "1",     "会議室",  "0", "ENDSEC",   "0", "EOF"}));
    const std::string index = " --index '" + (cache.path() / "texts.sqlite").string() + "'";
    const std::string folder = " '" + dir.path().string() + "'";

    const test::CliRun indexed = test::Cli("index" + folder + index);
    EXPECT_EQ(indexed.status, 0) << indexed.err;
    EXPECT_NE(indexed.out.find("1 read"), std::string::npos) << indexed.out;

    const test::CliRun found = test::Cli("search" + folder + " 会議 --json" + index);
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_NE(found.out.find("\"text\":\"会議室\",\"kind\":\"text\",\"layer\":\"ROOMS\""),
              std::string::npos)
        << found.out;

    EXPECT_EQ(test::Cli("search" + folder + " 倉庫" + index).status, 1);
    EXPECT_EQ(test::Cli("search /nonexistent/folder 会議" + index).status, 2);
}

} // namespace
} // namespace orvanta
