#include "app/PrintWindow.h"
#include "output/PrintTesting.h"
#include "render/ViewState.h"
#include "support/AppTesting.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>

namespace orvanta::test {
namespace {

bool GroupShown(PrintWindow& window, const QString& title) {
    for (QGroupBox* group : window.findChildren<QGroupBox*>())
        if (group->title() == title) return !group->isHidden();
    return false;
}

TEST(PrintWindow, ListPrintShowsItsDivisionAndDefaults) {
    RecordingDialogs dialogs;
    PrintSource source;
    source.names = std::vector<std::string>(9, "a.dxf");
    PrintWindow window(PrintKind::List, source, dialogs);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("一覧印刷"));
    EXPECT_TRUE(GroupShown(window, QStringLiteral("分割")));
    EXPECT_FALSE(GroupShown(window, QStringLiteral("出力範囲")));
    EXPECT_EQ(window.colourIndex(), 1); // "黒"
    window.printer().setPageOrientation(QPageLayout::Portrait);
    window.setColumns(3);
    window.setColumns(2);
    EXPECT_EQ(window.rows(), 4);
    EXPECT_EQ(window.pages(), 2); // ceil(9 / 8)
    window.setColumns(3);
    EXPECT_EQ(window.rows(), 6);
    EXPECT_EQ(window.pages(), 1);
    EXPECT_TRUE(window.printer().fullPage());
}

TEST(PrintWindow, DetailPrintGoesToTheChosenPdfAndClosesWithOk) {
    TempDir dir;
    RecordingDialogs dialogs;
    dialogs.nextFile = QString::fromStdString((dir.path() / "detail").string());
    const LoadedDrawing loaded =
        LoadDrawingFile(dir.write("l.dxf", Dxf({"0",  "SECTION", "2", "ENTITIES", "0", "LINE", "8",
                                                "0",  "10",      "0", "20",       "0", "11",   "10",
                                                "21", "10",      "0", "ENDSEC",   "0", "EOF"})));
    ViewState view;
    FitViewToExtents(view, loaded.drawing);
    PrintSource source;
    source.drawing = &loaded.drawing;
    source.view = DrawViewOf(view, view.ViewCenter, 0, 0);
    source.caption = QStringLiteral("l.dxf");
    PrintWindow window(PrintKind::Detail, source, dialogs);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("詳細印刷"));
    EXPECT_FALSE(GroupShown(window, QStringLiteral("分割")));
    EXPECT_TRUE(GroupShown(window, QStringLiteral("出力範囲")));
    EXPECT_EQ(window.rangeIndex(), 0); // "全体"
    if (window.printer().outputFormat() != QPrinter::PdfFormat)
        GTEST_SKIP() << "a printer is configured on this machine";
    window.print();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.PrintActive);
    EXPECT_EQ(ReadPages((dir.path() / "detail.pdf").string()).size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(PrintWindow, StopClosesWithCancelAndCancelledFileChoicePrintsNothing) {
    RecordingDialogs dialogs; // the file dialog answers with nothing
    PrintSource source;
    source.names = {"a.dxf"};
    PrintWindow window(PrintKind::List, source, dialogs);
    if (window.printer().outputFormat() == QPrinter::PdfFormat) {
        window.print();
        EXPECT_EQ(dialogs.saveDialogs.size(), 1u);
        EXPECT_EQ(window.report().pages, 0);
    }
    window.PrintActive = true;
    window.stop();
    EXPECT_FALSE(window.PrintActive);
    EXPECT_EQ(window.result(), QDialog::Rejected);
}

} // namespace
} // namespace orvanta::test
