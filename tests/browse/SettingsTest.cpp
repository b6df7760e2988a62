#include "browse/Settings.h"
#include "browse/IniFile.h"

#include "fuzz/SettingsHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(IniFile, ReadsLenientlyAndKeepsWhatItDoesNotKnow) {
    IniFile ini;
    ini.parse("\xEF\xBB\xBF[Form]\r\nLeft = 12\r\n; a comment\r\ngarbage line\r\n"
              "[menu]\nPath0=/data/図面\nPATH0=/later\n[Other]\nKeep=this\n[broken\nLost=1\n");
    EXPECT_EQ(ini.value("Form", "Left"), "12");
    EXPECT_EQ(ini.value("FORM", "left"), "12") << "names compare without regard to case";
    EXPECT_EQ(ini.value("Menu", "Path0"), "/later") << "the last duplicate wins";
    EXPECT_FALSE(ini.value("Form", "Top"));
    EXPECT_FALSE(ini.value("broken", "Lost"));

    ini.setValue("Form", "Top", "34");
    ini.setValue("New", "Line", "two\nlines");
    const std::string text = ini.text();
    EXPECT_NE(text.find("[Other]\nKeep=this\n"), std::string::npos);
    EXPECT_NE(text.find("Left=12\nTop=34\n"), std::string::npos);
    EXPECT_NE(text.find("Line=two lines\n"), std::string::npos);
    EXPECT_EQ(text.find("garbage"), std::string::npos);
}

TEST(IniFile, ValuesInShiftJisAreDecoded) {
    IniFile ini;
    ini.parse("[Menu]\nPath0=C:\\\x90\x7D\x96\xCA\n"); // "図面" in CP932
    EXPECT_EQ(ini.value("Menu", "Path0"), "C:\\図面");
}

TEST(IniFile, SavesAtomicallyAndRefusesOversizedFiles) {
    test::TempDir dir;
    const std::string path = (dir.path() / "orvanta.ini").string();
    IniFile ini;
    EXPECT_FALSE(ini.load(path));
    ini.setValue("Page", "Tab", "1");
    ASSERT_TRUE(ini.save(path));
    ini.setValue("Page", "Tab", "0");
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(ReadFile(path), "[Page]\nTab=0\n");
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    EXPECT_FALSE(ini.save((dir.path() / "missing" / "x.ini").string()));

    dir.write("big.ini", "[Page]\nTab=1\n" + std::string(IniFile::MaximumSize, ';'));
    IniFile big;
    EXPECT_FALSE(big.load((dir.path() / "big.ini").string()));
    EXPECT_FALSE(big.value("Page", "Tab"));
}

TEST(Settings, DefaultsWithoutAFile) {
    const AppSettings s = ReadSettings(IniFile());
    EXPECT_FALSE(s.left);
    EXPECT_FALSE(s.top);
    EXPECT_EQ(s.treeWidth, 183);
    EXPECT_EQ(s.fileListHeight, 125);
    EXPECT_EQ(s.sidePanelWidth, 135);
    EXPECT_EQ(s.cellWidth, 200);
    EXPECT_EQ(s.cellHeight, 160);
    EXPECT_EQ(s.baseFolder, "");
    EXPECT_EQ(s.converterExePath, "");
    EXPECT_FALSE(s.converterShow);
    EXPECT_FALSE(s.showLineweights);
    EXPECT_EQ(s.pageTab, 0);
    for (const std::string& entry : s.history)
        EXPECT_EQ(entry, "");
}

TEST(Settings, ReadsEveryKey) {
    test::TempDir dir;
    const std::string exe = dir.write("conv", "#!/bin/sh\n");
    IniFile ini;
    ini.parse("[Form]\nLeft=-20\nTop=40\nPanel1Width=0\nPanel4Height=90\nPanel3Width=150\n"
              "DrawGridColWidth=150\nDrawGridRowHeight=130\nLineWeight=1\n[TreeView]\nBaseFolade=" +
              dir.path().string() + "\n[Teigha]\nExePath=" + exe +
              "\nShow=1\n[Page]\nTab=1\n[Menu]\nPath0=/a\nPath15=/z\n");
    const AppSettings s = ReadSettings(ini);
    EXPECT_EQ(s.left, -20);
    EXPECT_EQ(s.top, 40);
    EXPECT_EQ(s.treeWidth, 0);
    EXPECT_EQ(s.fileListHeight, 90);
    EXPECT_EQ(s.sidePanelWidth, 150);
    EXPECT_EQ(s.cellWidth, 150);
    EXPECT_EQ(s.cellHeight, 130);
    EXPECT_EQ(s.baseFolder, dir.path().string());
    EXPECT_EQ(s.converterExePath, exe);
    EXPECT_TRUE(s.converterShow);
    EXPECT_TRUE(s.showLineweights);
    EXPECT_EQ(s.pageTab, 1);
    EXPECT_EQ(s.history[0], "/a");
    EXPECT_EQ(s.history[15], "/z");
}

TEST(Settings, NonsenseValuesFallBackToTheirDefaults) {
    IniFile ini;
    ini.parse("[Form]\nLeft=left\nTop=12abc\nPanel1Width=-5\nPanel4Height=99999999999\n"
              "Panel3Width=\nDrawGridColWidth=0\nDrawGridRowHeight=10\n"
              "[TreeView]\nBaseFolade=/no/such/folder\n[Teigha]\nExePath=/no/such/converter\n"
              "Show=yes\n[Page]\nTab=7\n");
    const AppSettings s = ReadSettings(ini);
    EXPECT_FALSE(s.left);
    EXPECT_FALSE(s.top);
    EXPECT_EQ(s.treeWidth, 183);
    EXPECT_EQ(s.fileListHeight, 125);
    EXPECT_EQ(s.sidePanelWidth, 135);
    EXPECT_EQ(s.cellWidth, 200);
    EXPECT_EQ(s.cellHeight, 160);
    // A folder or converter missing now (an unmounted drive) is kept for the next start.
    EXPECT_EQ(s.baseFolder, "/no/such/folder");
    EXPECT_EQ(s.converterExePath, "/no/such/converter");
    EXPECT_FALSE(s.converterShow);
    EXPECT_EQ(s.pageTab, 0);
    IniFile written;
    WriteSettings(written, s);
    EXPECT_EQ(written.value("TreeView", "BaseFolade"), "/no/such/folder");
    EXPECT_EQ(written.value("Teigha", "ExePath"), "/no/such/converter");

    ini.parse("[Page]\nTab=2\n");
    EXPECT_EQ(ReadSettings(ini).pageTab, 0) << "tab 2 shows the previews";

    ini.parse(std::string("\0\xFF\xFE[Form\x01]=\x80\nPanel1Width=77\n\xC3", 30));
    EXPECT_EQ(ReadSettings(ini).treeWidth, 183) << "binary junk reads as no settings";
}

TEST(Settings, WritesTheExitKeysAndKeepsTheOthers) {
    IniFile ini;
    ini.parse("[Form]\nPanel4Height=90\nPanel3Width=150\n[Shell]\nPath=/old\n[Mine]\nX=1\n");
    AppSettings s = ReadSettings(ini);
    s.left = 10;
    s.top = 20;
    s.treeWidth = 200;
    s.fileListHeight = 0; // not written
    s.history[3] = "/h";
    s.showLineweights = true;
    s.print = {3, "/styles/mono.ctb", "B4", true, 2.5};
    WriteSettings(ini, s);
    WriteShellPath(ini, "/new");
    IniFile back;
    back.parse(ini.text());
    EXPECT_EQ(back.value("Form", "Panel4Height"), "90");
    EXPECT_EQ(back.value("Form", "Panel3Width"), "150");
    EXPECT_EQ(back.value("Mine", "X"), "1");
    EXPECT_EQ(ReadShellPath(back, "Path:"), "/new");
    EXPECT_EQ(ReadShellPath(IniFile(), "Path:"), "Path:");
    const AppSettings r = ReadSettings(back);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.treeWidth, 200);
    EXPECT_EQ(r.fileListHeight, 90);
    EXPECT_EQ(r.history[3], "/h");
    EXPECT_TRUE(r.showLineweights);
    EXPECT_EQ(back.value("Teigha", "Show"), "0");
    EXPECT_EQ(r.print.colour, 3);
    EXPECT_EQ(r.print.styleTable, "/styles/mono.ctb");
    EXPECT_EQ(r.print.paper, "B4");
    EXPECT_TRUE(r.print.landscape);
    EXPECT_EQ(r.print.ratio, 2.5);
}

TEST(Settings, FileBesideTheExecutableWhenItsFolderIsWritable) {
    test::TempDir dir;
    EXPECT_EQ(SettingsPathFor((dir.path() / "orvanta").string(), "/home/u/.config/orvanta"),
              (dir.path() / "orvanta.ini").string());
    EXPECT_EQ(SettingsPathFor((dir.path() / "orvanta.bin").string(), "/cfg"),
              (dir.path() / "orvanta.ini").string());
    EXPECT_EQ(SettingsPathFor("/no/such/folder/orvanta", "/cfg"), "/cfg/orvanta.ini");
}

TEST(Settings, FuzzCorpusReadsAndWritesBackUnchanged) {
    int inputs = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(test::SourcePath("fuzz/corpus/settings"))) {
        const std::string bytes = ReadFile(entry.path().string());
        SettingsHarness(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GE(inputs, 3);
}

} // namespace
} // namespace orvanta
