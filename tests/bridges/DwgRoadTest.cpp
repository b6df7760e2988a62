// The DWG road through the window: a registered converter turns DWG files (and DWG files under a
// DXF name) into text DXF files that the window then reads.
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"
#include "bridges/ConverterCommand.h"

#include "support/AppTesting.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

using test::WindowHarness;

const std::string StandIn = test::SourcePath("tests/bridges/fake_converter.sh").string();

int CountRuns(const std::string& log) {
    std::ifstream in(log);
    int runs = 0;
    for (std::string line; std::getline(in, line);)
        runs += line == "--";
    return runs;
}

struct DwgRoad : ::testing::Test {
    WindowHarness h;
    test::TempDir folder;
    std::string log = (h.dir.path() / "arguments.log").string();

    void SetUp() override {
        qputenv("ORVANTA_CONVERTER_LOG", QByteArray::fromStdString(log));
        std::ofstream(h.settingsPath()) << "[Teigha]\nExePath=" << StandIn << "\n[Page]\nTab=1\n";
        folder.write("a.dwg", std::string("AC1027\0\0\0\0", 10));
        folder.write("b.dxf", std::string("AC1015\0\0\0\0", 10));
    }
    void TearDown() override { qunsetenv("ORVANTA_CONVERTER_LOG"); }

    // Where the conversion of the folder's drawing `source` lands.
    QString converted(const char* source) const {
        const std::string input = (folder.path() / source).string();
        return QString::fromStdString(ConvertedDxfPath(
            input, ConversionFolder(input, (h.dir.path() / "converted").string())));
    }
};

TEST_F(DwgRoad, ADwgIsConvertedOnceAndRead) {
    auto w = h.open();
    ASSERT_EQ(w->settings().converterExePath, StandIn);
    w->showFolder(QString::fromStdString(folder.path().string()));

    EXPECT_EQ(w->currentDrawingLabel()->text(), "a.dwg");
    EXPECT_EQ(w->fileList()->cell(0, FileListPanel::VersionColumn), "2013");
    EXPECT_EQ(w->fileList()->cell(0, FileListPanel::KindColumn), "DWG");
    EXPECT_TRUE(QFileInfo::exists(converted("a.dwg")));
    EXPECT_EQ(w->sidePanel()->countLabel(1)->text(), "Line : 1");
    EXPECT_EQ(w->sidePanel()->textItems(), QStringList{"a.dwg"});
    EXPECT_EQ(w->statusText(StatusPanel::Progress), "") << "the conversion text is gone";
    EXPECT_TRUE(h.dialogs.messages.empty());
    EXPECT_EQ(CountRuns(log), 1);

    // Opening it again in the same folder visit reuses the converted file.
    w->fileList()->table()->setCurrentCell(1, 0);
    w->fileList()->table()->setCurrentCell(0, 0);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "a.dwg");
    EXPECT_EQ(CountRuns(log), 2) << "one run for a.dwg, one for b.dxf";

    // The next scan removes the converted files.
    w->showFolder(QString::fromStdString(h.dir.path().string()));
    EXPECT_FALSE(QFileInfo::exists(converted("a.dwg")));
}

TEST_F(DwgRoad, ADwgUnderADxfNameIsConvertedToo) {
    auto w = h.open();
    w->showFolder(QString::fromStdString(folder.path().string()));
    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_EQ(w->currentDrawingLabel()->text(), "b.dxf");
    EXPECT_EQ(w->fileList()->cell(1, FileListPanel::VersionColumn), "2000");
    EXPECT_EQ(w->fileList()->cell(1, FileListPanel::KindColumn), "BinaryDXF");
    EXPECT_TRUE(QFileInfo::exists(converted("b.dxf")));
    EXPECT_EQ(w->sidePanel()->textItems(), QStringList{"b.dxf"});
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(DwgRoad, AHangingConverterIsStoppedFromItsWaitBox) {
    qputenv("ORVANTA_CONVERTER_DELAY", "30");
    h.dialogs.stopWaitAfter = 2;
    auto w = h.open();
    w->showFolder(QString::fromStdString(folder.path().string()));
    qunsetenv("ORVANTA_CONVERTER_DELAY");
    EXPECT_EQ(h.dialogs.waits, QStringList{"DWG->DXF変換中 ... a.dwg"});
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_TRUE(h.dialogs.messages[0].text.endsWith(" 読み込みエラーです"));
    EXPECT_TRUE(w->statusText(StatusPanel::Progress).endsWith("変換を中止しました"));
    EXPECT_FALSE(QFileInfo::exists(converted("a.dwg")));
    // The window goes on: the next drawing loads (and converts) normally.
    h.dialogs.stopWaitAfter = -1;
    w->fileList()->table()->setCurrentCell(1, 0);
    EXPECT_EQ(w->sidePanel()->textItems(), QStringList{"b.dxf"});
}

TEST_F(DwgRoad, AConverterThatFailsToStartLeavesABlackPicture) {
    std::ofstream(h.settingsPath())
        << "[Teigha]\nExePath=" << folder.write("broken", "text") << "\n[Page]\nTab=1\n";
    auto w = h.open();
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_EQ(h.dialogs.messages[0].text, "起動に失敗しました．");
    EXPECT_EQ(h.dialogs.messages[0].caption, "エラー");
    EXPECT_EQ(h.dialogs.messages[0].icon, Dialogs::Icon::Error);
    EXPECT_EQ(w->fileList()->cell(0, FileListPanel::KindColumn), "DWG");
    EXPECT_EQ(w->sidePanel()->countLabel(0)->text(), "") << "nothing was loaded";
}

} // namespace
} // namespace orvanta
