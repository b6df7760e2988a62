// The window's smaller rules: drags out of the list and the grid, which tab offers a list print,
// what a list print writes into the list, the tree following the folder, the list's widths.
#include "app/FileListPanel.h"
#include "app/FolderTree.h"
#include "app/MainWindow.h"
#include "app/PreviewGrid.h"
#include "app/PrintWindow.h"

#include "support/AppTesting.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

using test::WindowHarness;

std::string LineDrawing() {
    return test::Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8", "0",      "10", "0",
                      "20", "0",       "11", "1",        "21", "1",    "0", "ENDSEC", "0",  "EOF"});
}

QString Path(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data->urls())
        files << url.toLocalFile();
    return files;
}

TEST(WindowLooseEnds, DraggedRowsAndCellsCarryTheirFilesAsUris) {
    WindowHarness h;
    test::TempDir folder;
    for (const char* name : {"a.dxf", "b 図.dxf", "c.dxf"})
        folder.write(name, LineDrawing());
    auto w = h.open();
    w->showFolder(Path(folder.path()));
    w->waitForPreviews();

    QTableWidget* table = w->fileList()->table();
    table->selectionModel()->select(table->model()->index(0, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    table->selectionModel()->select(table->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const std::unique_ptr<QMimeData> rows = w->fileList()->dragData();
    ASSERT_TRUE(rows);
    EXPECT_TRUE(rows->hasFormat("text/uri-list"));
    EXPECT_EQ(LocalFiles(rows.get()),
              (QStringList{Path(folder.path() / "a.dxf"), Path(folder.path() / "c.dxf")}));

    const std::unique_ptr<QMimeData> cell = w->previewGrid()->dragData(1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(LocalFiles(cell.get()), QStringList{Path(folder.path() / "b 図.dxf")});
    EXPECT_FALSE(w->previewGrid()->dragData(3)) << "an empty cell carries nothing";
}

TEST(WindowLooseEnds, ListPrintIsOfferedOnlyOnThePreviewTab) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dxf", LineDrawing());
    auto w = h.open();
    w->showFolder(Path(folder.path()));
    QMenu* print = nullptr;
    for (QMenu* menu : w->menuBar()->findChildren<QMenu*>())
        if (menu->title() == "印刷") print = menu;
    ASSERT_TRUE(print);
    emit print->aboutToShow();
    EXPECT_TRUE(w->action("一覧を印刷")->isEnabled());
    w->tabs()->setCurrentIndex(MainWindow::DetailTab);
    emit print->aboutToShow();
    EXPECT_FALSE(w->action("一覧を印刷")->isEnabled());
}

TEST(WindowLooseEnds, AListPrintWritesEachFilesReaderStatusIntoItsRow) {
    WindowHarness h;
    test::TempDir folder;
    folder.write("a.dwg", std::string("AC1027\0\0\0\0", 10));
    folder.write("b.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n");
    folder.write("c.dxf", LineDrawing());
    h.dialogs.nextFile = Path(h.dir.path() / "list.pdf");
    auto w = h.open();
    w->showFolder(Path(folder.path()));
    w->waitForPreviews();
    for (int row = 0; row < 3; ++row)
        w->fileList()->setCell(row, FileListPanel::KindColumn, QString());

    // The print window is modal: it is answered from the event loop it runs.
    bool printed = false;
    std::function<void()> printWhenShown = [&] {
        auto* window = qobject_cast<PrintWindow*>(QApplication::activeModalWidget());
        if (!window) return void(QTimer::singleShot(10, printWhenShown));
        printed = window->printer().outputFormat() == QPrinter::PdfFormat;
        if (printed)
            window->print();
        else
            window->stop();
    };
    QTimer::singleShot(0, printWhenShown);
    w->printList();
    if (!printed) GTEST_SKIP() << "a printer is configured on this machine";

    const FileListPanel* list = w->fileList();
    EXPECT_TRUE(list->cell(0, FileListPanel::KindColumn).startsWith("DWG"));
    EXPECT_FALSE(list->cell(0, FileListPanel::VersionColumn).isEmpty());
    EXPECT_FALSE(list->cell(1, FileListPanel::KindColumn).isEmpty()) << "the reason it failed";
    EXPECT_EQ(list->cell(2, FileListPanel::KindColumn), "");
}

TEST(WindowLooseEnds, TheTreeOpensAndShowsTheCurrentFolder) {
    WindowHarness h;
    test::TempDir folder;
    std::filesystem::create_directories(folder.path() / "plans" / "old");
    auto w = h.open();
    w->showFolder(Path(folder.path() / "plans"));
    test::ProcessEvents();

    FolderTree* tree = w->folderTree();
    QTreeWidgetItem* current = tree->currentItem();
    ASSERT_TRUE(current);
    EXPECT_EQ(FolderTree::pathOf(current), Path(folder.path() / "plans"));
    EXPECT_TRUE(current->isExpanded());
    EXPECT_TRUE(tree->visualItemRect(current).intersects(tree->viewport()->rect()));
    EXPECT_EQ(w->fileList()->folder(), Path(folder.path() / "plans")) << "nothing else chosen";
}

TEST(WindowLooseEnds, TheNameColumnTakesTheSpareWidth) {
    WindowHarness h;
    auto w = h.open();
    w->resize(1400, 600);
    test::ProcessEvents();
    const QTableWidget* table = w->fileList()->table();
    int widths = 0;
    for (int c = 0; c < FileListPanel::ColumnCount; ++c)
        widths += table->columnWidth(c);
    EXPECT_GT(table->columnWidth(FileListPanel::NameColumn), 150);
    EXPECT_EQ(widths, table->viewport()->width());
}

} // namespace
} // namespace orvanta
