#include "output/Printing.h"
#include "output/PrintTesting.h"
#include "render/ViewState.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QPdfWriter>

namespace orvanta::test {
namespace {

// A square with both diagonals, 100 x 100 units.
std::string CrossedSquare() {
    std::string entities;
    const char* lines[][4] = {{"0", "0", "100", "0"},     {"100", "0", "100", "100"},
                              {"100", "100", "0", "100"}, {"0", "100", "0", "0"},
                              {"0", "0", "100", "100"},   {"0", "100", "100", "0"}};
    for (const auto& l : lines)
        entities +=
            Dxf({"0", "LINE", "8", "0", "62", "1", "10", l[0], "20", l[1], "11", l[2], "21", l[3]});
    return Dxf({"0", "SECTION", "2", "ENTITIES"}) + entities + Dxf({"0", "ENDSEC", "0", "EOF"});
}

class CountingMonitor : public SilentPrintMonitor {
  public:
    explicit CountingMonitor(int stopAfter = -1) : stopAfter_(stopAfter) {}
    bool keepPrinting() override { return stopAfter_ < 0 || ++cells_ < stopAfter_; }

  private:
    int stopAfter_;
    int cells_ = 0;
};

// Whether the column x (give or take a pixel) is dark over most of [y0, y1).
bool VerticalLine(const QImage& page, int x, int y0, int y1) {
    return DarkPixels(page, x - 1, y0, x + 2, y1) > (y1 - y0) * 9 / 10;
}
bool HorizontalLine(const QImage& page, int y, int x0, int x1) {
    return DarkPixels(page, x0, y - 1, x1, y + 2) > (x1 - x0) * 9 / 10;
}

TEST(PrintAll, TilesAFolderOverFramedNumberedPagesInMillimetres) {
    TempDir dir;
    ListPrintRequest request;
    request.folder = dir.path().string();
    for (int i = 1; i <= 9; ++i) {
        const std::string name = "drawing" + std::to_string(i) + ".dxf";
        dir.write(name, CrossedSquare());
        request.names.push_back(name);
    }
    const std::string out = (dir.path() / "list.pdf").string();
    CountingMonitor monitor;
    {
        auto pdf = A4Writer(out);
        const PrintReport report = PrintAll(*pdf, request, monitor);
        EXPECT_EQ(report.pages, 2);
        EXPECT_EQ(report.drawn, 9);
        EXPECT_TRUE(report.failures.empty());
        EXPECT_FALSE(report.stopped);
    }
    const std::vector<QImage> pages = ReadPages(out);
    ASSERT_EQ(pages.size(), 2u);
    const QImage& first = pages[0];
    ASSERT_NEAR(first.width(), 210 * PxPerMm, 1);
    const int mm = PxPerMm;
    // Frames from 20 mm to 200 mm across and 20 mm to 287 mm down, two cells a row.
    EXPECT_TRUE(VerticalLine(first, 20 * mm, 21 * mm, 286 * mm));
    EXPECT_TRUE(VerticalLine(first, 110 * mm, 21 * mm, 286 * mm));
    EXPECT_TRUE(VerticalLine(first, 200 * mm, 21 * mm, 286 * mm));
    EXPECT_TRUE(HorizontalLine(first, 20 * mm, 21 * mm, 199 * mm));
    EXPECT_TRUE(HorizontalLine(first, 287 * mm, 21 * mm, 199 * mm));
    // Nothing in the margins but the page number, which ends at the right frame above it.
    EXPECT_EQ(DarkPixels(first, 0, 0, 19 * mm, 297 * mm), 0);
    EXPECT_EQ(DarkPixels(first, 0, 289 * mm, 210 * mm, 297 * mm), 0);
    EXPECT_EQ(DarkPixels(first, 202 * mm, 0, 210 * mm, 297 * mm), 0);
    EXPECT_GT(DarkPixels(first, 185 * mm, 15 * mm, 200 * mm, 19 * mm), 0);
    EXPECT_EQ(DarkPixels(first, 20 * mm, 0, 180 * mm, 19 * mm), 0);
    // The caption strip line 5 mm below a named cell's top; the second page's empty cells have
    // their frame only.
    const int cellH = (287 - 20) / 4; // in mm, rounded down
    EXPECT_TRUE(HorizontalLine(first, 25 * mm, 22 * mm, 108 * mm));
    EXPECT_TRUE(HorizontalLine(pages[1], 25 * mm, 22 * mm, 108 * mm));
    EXPECT_FALSE(HorizontalLine(pages[1], 25 * mm, 112 * mm, 198 * mm));
    EXPECT_EQ(DarkPixels(pages[1], 112 * mm, 22 * mm, 198 * mm, (20 + cellH - 2) * mm), 0);
}

TEST(PrintAll, PrintsADrawingThatFailsAsAnEmptyCellWithItsReasonAndGoesOn) {
    TempDir dir;
    dir.write("a.dxf", CrossedSquare());
    dir.write("b.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "x?"}));
    dir.write("c.dwg", std::string("AC1027") + std::string(200, '\0'));
    dir.write("d.dxf", CrossedSquare());
    ListPrintRequest request;
    request.folder = dir.path().string();
    request.names = {"a.dxf", "b.dxf", "c.dwg", "missing.dxf", "d.dxf"};
    const std::string out = (dir.path() / "list.pdf").string();
    CountingMonitor monitor;
    PrintReport report;
    {
        auto pdf = A4Writer(out);
        report = PrintAll(*pdf, request, monitor);
    }
    EXPECT_EQ(report.drawn, 2);
    ASSERT_EQ(report.failures.size(), 3u);
    EXPECT_EQ(report.failures[0].name, "b.dxf");
    EXPECT_EQ(report.failures[1].name, "c.dwg");
    EXPECT_EQ(report.failures[1].reason, "DWG 2013: 変換プログラムが未設定");
    EXPECT_EQ(report.failures[2].name, "missing.dxf");
    for (const CellFailure& failure : report.failures)
        EXPECT_FALSE(failure.reason.empty());
    const std::vector<QImage> pages = ReadPages(out);
    ASSERT_EQ(pages.size(), 1u);
    const int mm = PxPerMm;
    // Cell b (top right): its reason sits just under the strip, the rest of the cell is empty;
    // cell d (third row, left) is drawn.
    EXPECT_GT(DarkPixels(pages[0], 113 * mm, 26 * mm, 195 * mm, 31 * mm), 0);
    EXPECT_EQ(DarkPixels(pages[0], 113 * mm, 33 * mm, 198 * mm, 84 * mm), 0);
    EXPECT_GT(DarkPixels(pages[0], 22 * mm, 160 * mm, 108 * mm, 218 * mm), 200);
}

TEST(PrintAll, EndsTheDocumentWhenStoppedSoThePagesDoneArePrinted) {
    TempDir dir;
    ListPrintRequest request;
    request.folder = dir.path().string();
    for (int i = 0; i < 20; ++i) {
        request.names.push_back("d" + std::to_string(i) + ".dxf");
        dir.write(request.names.back(), CrossedSquare());
    }
    const std::string out = (dir.path() / "stopped.pdf").string();
    CountingMonitor monitor(10); // stops in the second page
    PrintReport report;
    {
        auto pdf = A4Writer(out);
        report = PrintAll(*pdf, request, monitor);
    }
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.pages, 2);
    EXPECT_EQ(report.drawn, 10);
    EXPECT_EQ(ReadPages(out).size(), 2u);
}

TEST(PrintAll, ThrowsAClearErrorWhenTheDocumentCannotBegin) {
    ListPrintRequest request;
    request.names = {"a.dxf"};
    CountingMonitor monitor;
    QPdfWriter pdf(QStringLiteral("/nonexistent-folder/out.pdf"));
    EXPECT_THROW(PrintAll(pdf, request, monitor), PrintError);
}

TEST(PrintZoom, CutsAZoomedViewAtTheFrameAndKeepsTheCaptionStripClear) {
    TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("x.dxf", CrossedSquare()));
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    ViewState view;
    FitViewToExtents(view, loaded.drawing);
    view.DrawWidth /= 4; // zoomed in on the middle: the diagonals run past every edge
    view.DrawHeight /= 4;
    const std::string out = (dir.path() / "zoom.pdf").string();
    {
        auto pdf = A4Writer(out, true);
        PagePrintOptions options;
        options.range = PrintRange::View;
        PrintZoom(*pdf, loaded.drawing, DrawViewOf(view, view.ViewCenter, 0, 0),
                  QStringLiteral("x.dxf"), options);
    }
    const std::vector<QImage> pages = ReadPages(out);
    ASSERT_EQ(pages.size(), 1u);
    const QImage& page = pages[0];
    ASSERT_NEAR(page.width(), 297 * PxPerMm, 1);
    const int mm = PxPerMm;
    // Frame from 20 mm to 287 mm across, 20 mm to 200 mm down; nothing outside it.
    EXPECT_TRUE(VerticalLine(page, 20 * mm, 21 * mm, 199 * mm));
    EXPECT_TRUE(VerticalLine(page, 287 * mm, 21 * mm, 199 * mm));
    EXPECT_EQ(DarkPixels(page, 0, 0, 19 * mm, 210 * mm), 0);
    EXPECT_EQ(DarkPixels(page, 289 * mm, 0, 297 * mm, 210 * mm), 0);
    EXPECT_EQ(DarkPixels(page, 0, 0, 297 * mm, 19 * mm), 0);
    EXPECT_EQ(DarkPixels(page, 0, 202 * mm, 297 * mm, 210 * mm), 0);
    // The strip holds the caption at its left and nothing of the drawing.
    EXPECT_GT(DarkPixels(page, 22 * mm, 21 * mm, 40 * mm, 24 * mm), 0);
    EXPECT_EQ(DarkPixels(page, 60 * mm, 21 * mm, 285 * mm, 24 * mm), 0);
    // The diagonals run to the bottom of the frame, about 85 mm either side of its middle.
    EXPECT_GT(DarkPixels(page, 50 * mm, 196 * mm, 100 * mm, 199 * mm), 0);
    EXPECT_GT(DarkPixels(page, 205 * mm, 196 * mm, 255 * mm, 199 * mm), 0);
}

TEST(PrintZoom, PrintsLineweightsAtThePagesResolutionWhenShown) {
    TempDir dir;
    // One vertical line of lineweight 2.00 mm down the middle of the drawing.
    const std::string drawing = Dxf(
        {"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8", "0",      "370", "200", "10", "50",
         "20", "0",       "11", "50",       "21", "100",  "0", "LINE",   "8",   "0",   "10", "0",
         "20", "0",       "11", "100",      "21", "0",    "0", "ENDSEC", "0",   "EOF"});
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("w.dxf", drawing));
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    const auto inkAcrossTheLine = [&](bool lineweights) {
        const std::string out = (dir.path() / (lineweights ? "on.pdf" : "off.pdf")).string();
        {
            auto pdf = A4Writer(out, true);
            PagePrintOptions options;
            options.lineweights = lineweights;
            PrintZoom(*pdf, loaded.drawing, DrawView(), QStringLiteral("w.dxf"), options);
        }
        const std::vector<QImage> pages = ReadPages(out);
        const int mm = PxPerMm;
        // A band across the middle of the page, where only the heavy line runs.
        return pages.size() == 1 ? DarkPixels(pages[0], 100 * mm, 100 * mm, 197 * mm, 101 * mm)
                                 : -1;
    };
    // The band is a millimetre high: its ink over PxPerMm is the line's width in pixels.
    EXPECT_NEAR(inkAcrossTheLine(false) / double(PxPerMm), 1, 1);
    EXPECT_NEAR(inkAcrossTheLine(true) / double(PxPerMm), 2 * PxPerMm, 1.5);
}

TEST(CutCaption, CutsANameWiderThanTheCellAndEndsItWithTwoDots) {
    const auto tenEach = [](const QString& s) { return 10.0 * s.toUcs4().size(); };
    EXPECT_EQ(CutCaption(QStringLiteral("short.dxf"), 90, tenEach), QStringLiteral("short.dxf"));
    EXPECT_EQ(CutCaption(QStringLiteral("図面の名前が長い.dxf"), 55, tenEach),
              QStringLiteral("図面の名前..")); // 55 div 10 = 5 characters
    // A character outside the basic plane is one character, never half of one.
    EXPECT_EQ(CutCaption(QString::fromUtf8("a\xF0\xA0\x80\x8B"
                                           "bcdef"),
                         25, tenEach),
              QString::fromUtf8("a\xF0\xA0\x80\x8B.."));
}

} // namespace
} // namespace orvanta::test
