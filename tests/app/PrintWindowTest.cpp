#include "app/PrintWindow.h"
#include "output/PrintTesting.h"
#include "render/ViewState.h"
#include "support/AppTesting.h"
#include "support/PlotStyleFiles.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>

#include <filesystem>

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

// A 30 x 20 m rectangle's diagonal in millimetres.
std::string Diagonal() {
    return Dxf({"0",  "SECTION", "2",  "HEADER",  "9",  "$INSUNITS", "70", "4",
                "0",  "ENDSEC",  "0",  "SECTION", "2",  "ENTITIES",  "0",  "LINE",
                "8",  "0",       "10", "0",       "20", "0",         "11", "30000",
                "21", "20000",   "0",  "ENDSEC",  "0",  "EOF"});
}

TEST(PrintWindow, ScaleSaysHowMuchOfTheRangeThePaperHoldsAndIsKept) {
    TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("d.dxf", Diagonal()));
    ViewState view;
    FitViewToExtents(view, loaded.drawing);
    PrintSettings settings;
    PrintSource source;
    source.drawing = &loaded.drawing;
    source.view = DrawViewOf(view, view.ViewCenter, 0, 0);
    source.settings = &settings;
    RecordingDialogs dialogs;
    dialogs.nextFile = QString::fromStdString((dir.path() / "scaled.pdf").string());
    PrintWindow window(PrintKind::Detail, source, dialogs);
    if (window.printer().outputFormat() != QPrinter::PdfFormat)
        GTEST_SKIP() << "a printer is configured on this machine";
    EXPECT_EQ(window.scaleIndex(), 0);
    EXPECT_TRUE(window.shareText().isEmpty());
    // 300 x 200 mm on A3 landscape's 390 x 262 mm frame box; 3 x 2 m at 1:10, of which
    // 13 % across and 13 % up.
    window.setPaper(QStringLiteral("A3"), true);
    window.setRatio(100);
    window.setScaleIndex(1);
    EXPECT_EQ(window.shareText(), QStringLiteral("範囲の 100 % が用紙に入ります"));
    window.setRatio(10);
    EXPECT_EQ(window.shareText(), QStringLiteral("範囲の 2 % が用紙に入ります"));
    window.print();
    EXPECT_EQ(settings.ratio, 10);
    EXPECT_EQ(settings.paper, "A3");
    EXPECT_TRUE(settings.landscape);
    const std::vector<QImage> pages = ReadPages((dir.path() / "scaled.pdf").string());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(pages[0].width(), 420 * PxPerMm, 1);
}

TEST(PrintWindow, BatchWritesAPdfForEachDrawingAfterOneQuestion) {
    TempDir dir;
    dir.write("a.dxf", Diagonal());
    dir.write("b.dxf", Diagonal());
    std::filesystem::create_directory(dir.path() / "out");
    dir.write("out/a.pdf", "an older print");
    RecordingDialogs dialogs;
    dialogs.nextFolder = QString::fromStdString((dir.path() / "out").string());
    PrintSource source;
    source.folder = dir.path().string();
    source.names = {"a.dxf", "b.dxf"};
    PrintWindow window(PrintKind::Batch, source, dialogs);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("一括PDF"));
    EXPECT_EQ(window.scaleIndex(), 2) << "layouts on their own paper";
    window.setOutputIndex(1);
    window.print();
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(window.report().drawn, 2);
    EXPECT_EQ(ReadPages((dir.path() / "out" / "a.pdf").string()).size(), 1u);
    EXPECT_EQ(ReadPages((dir.path() / "out" / "b.pdf").string()).size(), 1u);
    if (qEnvironmentVariableIsSet("ORVANTA_SHOT"))
        window.grab().save(qEnvironmentVariable("ORVANTA_SHOT"));
}

TEST(PrintWindow, APlotStyleTablePrintsColourOneBlackAtHalfAMillimetre) {
    TempDir dir;
    // A red line (colour 1) across the drawing, with no lineweight of its own.
    const LoadedDrawing loaded = LoadDrawingFile(dir.write(
        "r.dxf",
        Dxf({"0", "SECTION", "2", "ENTITIES", "0",   "LINE", "8", "0", "62",     "1", "10",
             "0", "20",      "0", "11",       "100", "21",   "0", "0", "ENDSEC", "0", "EOF"})));
    const std::string table =
        WritePlotStyleTable((dir.path() / "black.ctb").string(), {{1, ColorBlack, 0.5}});
    PrintSettings settings;
    settings.colour = 3;
    settings.styleTable = (dir.path() / "gone.ctb").string();
    PrintSource source;
    source.drawing = &loaded.drawing;
    source.settings = &settings;
    RecordingDialogs dialogs;
    dialogs.nextFile = QString::fromStdString((dir.path() / "styled.pdf").string());
    PrintWindow window(PrintKind::Detail, source, dialogs);
    if (window.printer().outputFormat() != QPrinter::PdfFormat)
        GTEST_SKIP() << "a printer is configured on this machine";
    // The table of the last print is gone: named with the reason, black chosen, setting kept.
    EXPECT_TRUE(window.styleText().contains(QStringLiteral("gone.ctb")))
        << window.styleText().toStdString();
    EXPECT_EQ(window.colourIndex(), 1);
    ASSERT_TRUE(window.loadStyleTable(QString::fromStdString(table), true));
    window.setColourIndex(3);
    window.setPaper(QStringLiteral("A4"), true);
    window.print();
    EXPECT_EQ(settings.styleTable, table);
    const std::vector<QImage> pages = ReadPages((dir.path() / "styled.pdf").string(), 20);
    ASSERT_EQ(pages.size(), 1u);
    // The line runs across the middle of the frame's box: black, 0.5 mm thick.
    const int x = 150 * 20, middle = (20 + 5 + (200 - 25) / 2) * 20;
    int ink = 0;
    for (int y = middle - 40; y < middle + 40; ++y)
        ink += qGray(pages[0].pixel(x, y)) < 64;
    EXPECT_NEAR(ink / 20.0, 0.5, 0.06);
}

} // namespace
} // namespace orvanta::test
