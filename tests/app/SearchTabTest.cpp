// The search tab: the folder indexed in the background, hits as the user types, the list
// narrowed to the matching drawings, and a hit opened on its sheet; a damaged index told once.
#include "app/FileListPanel.h"
#include "app/FolderSearch.h"
#include "app/MainWindow.h"
#include "app/SearchPanel.h"

#include "support/AppTesting.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>

namespace orvanta {
namespace {

using test::WindowHarness;

// A drawing with one text in the model and one on a layout's sheet.
std::string TwoTexts(const char* model, const char* sheet) {
    return test::Dxf({"0",  "SECTION", "2",   "ENTITIES", "0",      "TEXT", "8",   "0", "10",
                      "0",  "20",      "0",   "40",       "1",      "1",    model, "0", "TEXT",
                      "67", "1",       "8",   "0",        "10",     "5",    "20",  "5", "40",
                      "1",  "1",       sheet, "0",        "ENDSEC", "0",    "EOF"});
}

template <class Done> bool WaitFor(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 20000) return false;
        QTest::qWait(20);
    }
    return true;
}

TEST(SearchTab, FindsNarrowsAndOpensAHitOnItsSheet) {
    WindowHarness h;
    h.search = true;
    test::TempDir folder;
    folder.write("a.dxf", TwoTexts("No.1", "会議室 A"));
    folder.write("b.dxf", TwoTexts("階段", "倉庫"));
    auto w = h.open();
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_NE(w->folderSearch(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return !w->folderSearch()->updating(); }));

    // Ctrl+F goes to the field from anywhere in the window.
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::SearchTab);
    SearchPanel* panel = w->searchPanel();
    panel->filterBox()->setChecked(true);
    // Full-width input finds the half-width text; a two-character word is found too.
    panel->field()->setText(QStringLiteral("ｎｏ．１ 会議"));
    QTest::keyClick(panel->field(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return panel->hitList()->topLevelItemCount() > 0; }));
    EXPECT_EQ(panel->hitList()->topLevelItemCount(), 1);
    EXPECT_EQ(w->fileList()->rowCount(), 1) << "the list shows only the matching drawing";

    QTreeWidgetItem* sheetHit = nullptr;
    QTreeWidgetItem* drawing = panel->hitList()->topLevelItem(0);
    for (int i = 0; i < drawing->childCount(); ++i)
        if (drawing->child(i)->text(SearchPanel::TextColumn) == QStringLiteral("会議室 A"))
            sheetHit = drawing->child(i);
    ASSERT_NE(sheetHit, nullptr);
    emit panel->hitList()->itemActivated(sheetHit, 0);
    EXPECT_EQ(w->tabs()->currentIndex(), MainWindow::DetailTab);
    EXPECT_EQ(w->currentDrawingLabel()->text(), QStringLiteral("a.dxf"));
    EXPECT_NE(w->layoutTabs()->tabData(w->layoutTabs()->currentIndex()).toInt(), 0)
        << "the text's layout is shown";
}

TEST(SearchTab, ADamagedIndexIsMovedAsideAndToldOnce) {
    WindowHarness h;
    h.search = true;
    std::filesystem::create_directories(std::filesystem::path(h.indexFile()).parent_path());
    std::ofstream(h.indexFile()) << std::string(8192, 'x');
    test::TempDir folder;
    folder.write("a.dxf", TwoTexts("A-1023", "x"));
    auto w = h.open();
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_TRUE(WaitFor([&] { return !w->folderSearch()->updating(); }));
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_TRUE(h.dialogs.messages[0].text.contains(QStringLiteral(".damaged-")));
    w->showFolder(QString::fromStdString(folder.path().string()));
    ASSERT_TRUE(WaitFor([&] { return !w->folderSearch()->updating(); }));
    EXPECT_EQ(h.dialogs.messages.size(), 1u);
}

} // namespace
} // namespace orvanta
