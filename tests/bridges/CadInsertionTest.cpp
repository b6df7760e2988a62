// The insertion items of the window: which drawing they hand to the CAD host.
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "app/PreviewGrid.h"

#include "support/AppTesting.h"
#include "support/FakeCadHostWindows.h"

#include <QAction>
#include <QLabel>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <fstream>

namespace orvanta {
namespace {

using test::WindowHarness;

const std::string AfxClass = "Afx:00400000:8:00010003:00000000:003B05C1";

struct CadInsertion : ::testing::Test {
    WindowHarness h;
    test::TempDir folder;
    test::FakeCadHostWindows desktop;

    void SetUp() override {
        const std::string dxf =
            test::Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8",      "0", "10", "0", "20",
                       "0", "11",      "1", "21",       "1", "0",    "ENDSEC", "0", "EOF"});
        folder.write("a.dxf", dxf);
        folder.write("b 図.dxf", dxf);
        desktop.windows = {{7, "AutoCAD 2017 - [x.dwg]", AfxClass, 70}};
    }
    std::unique_ptr<MainWindow> open(int tab) {
        std::ofstream(h.settingsPath()) << "[Page]\nTab=" << tab << "\n";
        auto w = h.open();
        w->setCadHostWindows(&desktop);
        return w;
    }
    // The path the host received in its one record.
    std::u16string received() const {
        EXPECT_EQ(desktop.delivered.size(), 1u);
        if (desktop.delivered.empty()) return {};
        const auto& bytes = desktop.delivered.back().second;
        std::u16string text;
        for (std::size_t i = 8; i + 3 < bytes.size(); i += 2)
            text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        return text;
    }
    std::u16string command(const std::string& name) const {
        return (u"\x03-INSERT " +
                QString::fromStdString((folder.path() / name).string()).toStdU16String() +
                u"\rS 1 R 0 ");
    }
    void insert(MainWindow& w) {
        w.action(QStringLiteral("AutoCAD / LT (2014~2017) へブロック挿入"))->trigger();
    }
};

TEST_F(CadInsertion, TheDetailTabInsertsTheDrawingShown) {
    auto w = open(MainWindow::DetailTab);
    // A folder given with a trailing slash still gives one slash before the name.
    w->showFolder(QString::fromStdString(folder.path().string() + "/"));
    w->fileList()->table()->setCurrentCell(1, 0);
    ASSERT_EQ(w->currentDrawingLabel()->text(), "b 図.dxf");
    insert(*w);
    EXPECT_EQ(received(), command("b 図.dxf"));
    EXPECT_EQ(desktop.activated, std::vector<std::uint64_t>{7});
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(CadInsertion, ThePreviewTabInsertsTheChosenFile) {
    auto w = open(MainWindow::PreviewTab);
    w->showFolder(QString::fromStdString(folder.path().string()));
    w->fileList()->table()->setCurrentCell(0, 0);
    insert(*w);
    EXPECT_EQ(received(), command("a.dxf"));

    // No host: nothing is sent and nothing is said.
    desktop.windows.clear();
    insert(*w);
    EXPECT_EQ(desktop.delivered.size(), 1u);
    EXPECT_TRUE(h.dialogs.messages.empty());
}

TEST_F(CadInsertion, ThePreviewTabInsertsTheGridsCellAndNothingForAnEmptyCell) {
    auto w = open(MainWindow::PreviewTab);
    w->chooseCellSize(3); // small cells: the grid's first row has empty cells
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_GT(w->previewGrid()->columns(), 2);
    w->previewGrid()->setCurrentIndex(1);
    insert(*w);
    EXPECT_EQ(received(), command("b 図.dxf")) << "the list's row is still the first";

    w->previewGrid()->setCurrentIndex(2);
    insert(*w);
    EXPECT_EQ(desktop.delivered.size(), 1u);
}

TEST_F(CadInsertion, ItemsAndRefusals) {
    auto w = open(MainWindow::PreviewTab);
    // Without a folder there is nothing to insert.
    insert(*w);
    EXPECT_TRUE(desktop.delivered.empty());

    // The block insertion is offered in the main menu and the grid's pop-up; exploded insertion
    // and the other CAD program are shown disabled in both.
    int enabled = 0, disabled = 0;
    for (QAction* a : w->findChildren<QAction*>()) {
        if (a->text() == "AutoCAD / LT (2014~2017) へブロック挿入") enabled += a->isEnabled();
        if (a->text() == "AutoCAD / LT (2014~2017) へ分解挿入" ||
            a->text() == "Bricscad V13 へブロック挿入")
            disabled += !a->isEnabled();
    }
    EXPECT_EQ(enabled, 2);
    EXPECT_EQ(disabled, 4);

    // A path too long for the host's buffer is refused with a word, never cut.
    const std::string deep = std::string(250, 'd') + "/" + std::string(250, 'e');
    std::filesystem::create_directories(folder.path() / deep);
    std::ofstream(folder.path() / deep / "long.dxf") << "0\nEOF\n";
    w->showFolder(QString::fromStdString((folder.path() / deep).string()));
    insert(*w);
    EXPECT_TRUE(desktop.delivered.empty());
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_TRUE(h.dialogs.messages[0].text.endsWith("パスが長すぎるため挿入できません"));
    EXPECT_EQ(h.dialogs.messages[0].caption, "情報");
}

} // namespace
} // namespace orvanta
