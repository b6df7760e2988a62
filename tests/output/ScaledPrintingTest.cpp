// Printing at a scale, a layout on its own paper, and a folder into PDF files.
#include "output/PrintTesting.h"
#include "output/Printing.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QPdfWriter>

#include <filesystem>

namespace orvanta::test {
namespace {

// Drawing millimetres ($INSUNITS 4): a horizontal line of `length` at y = 0, of lineweight
// `weight` (hundredths of a millimetre).
std::string LineDrawing(const char* length, const char* weight = "0") {
    return Dxf({"0",  "SECTION", "2",   "HEADER",  "9",  "$INSUNITS", "70", "4",
                "0",  "ENDSEC",  "0",   "SECTION", "2",  "ENTITIES",  "0",  "LINE",
                "8",  "0",       "370", weight,    "10", "0",         "20", "0",
                "11", length,    "21",  "0",       "0",  "ENDSEC",    "0",  "EOF"});
}

// An A3 sheet plotted at 1 : 1 on landscape paper with margins of 10 mm: a border around the
// printable area, from the paper space's origin to (400, 277).
std::string A3Sheet() {
    std::string border;
    const char* sides[][4] = {{"0", "0", "400", "0"},
                              {"400", "0", "400", "277"},
                              {"400", "277", "0", "277"},
                              {"0", "277", "0", "0"}};
    for (const auto& l : sides)
        border +=
            Dxf({"0", "LINE", "67", "1", "8", "0", "10", l[0], "20", l[1], "11", l[2], "21", l[3]});
    return Dxf({"0",   "SECTION",      "2", "HEADER",       "9", "$TILEMODE", "70", "0",
                "0",   "ENDSEC",       "0", "SECTION",      "2", "TABLES",    "0",  "TABLE",
                "2",   "BLOCK_RECORD", "0", "BLOCK_RECORD", "5", "2A",        "2",  "*Paper_Space",
                "340", "2B",           "0", "ENDTAB",       "0", "ENDSEC",    "0",  "SECTION",
                "2",   "ENTITIES"}) +
           border + Dxf({"0",   "ENDSEC",     "0",   "SECTION", "2",   "OBJECTS",
                         "0",   "LAYOUT",     "5",   "2B",      "100", "AcDbPlotSettings",
                         "4",   "ISO_A3",     "40",  "10",      "41",  "10",
                         "42",  "10",         "43",  "10",      "44",  "420",
                         "45",  "297",        "72",  "1",       "73",  "0",
                         "74",  "5",          "142", "1",       "143", "1",
                         "100", "AcDbLayout", "1",   "A3",      "71",  "1",
                         "330", "2A",         "0",   "ENDSEC",  "0",   "EOF"});
}

// The longest run of dark pixels along row y.
int LongestRun(const QImage& page, int y) {
    int longest = 0, run = 0;
    for (int x = 0; x < page.width(); ++x) {
        run = qGray(page.pixel(x, y)) < 128 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The dark pixels down column x around row y.
int InkDown(const QImage& page, int x, int y, int reach) {
    return DarkPixels(page, x, y - reach, x + 1, y + reach);
}

std::vector<QImage> PrintOne(const TempDir& dir, const Drawing& drawing,
                             const PagePrintOptions& options, int pxPerMm) {
    const std::string out = (dir.path() / "page.pdf").string();
    std::filesystem::remove(out);
    {
        auto pdf = A4Writer(out, true);
        PrintZoom(*pdf, drawing, DrawView(), QStringLiteral("d.dxf"), options);
    }
    return ReadPages(out, pxPerMm);
}

TEST(ScaledPrint, TenMetresAtOneToHundredAreTenCentimetresOnThePage) {
    TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("d.dxf", LineDrawing("10000")));
    PagePrintOptions options;
    options.scale = {PrintScaleChoice::Kind::Ratio, 100};
    constexpr int pxPerMm = 20;
    const std::vector<QImage> pages = PrintOne(dir, loaded.drawing, options, pxPerMm);
    ASSERT_EQ(pages.size(), 1u);
    // The line runs through the middle of the frame's box, 20 mm below the page's middle...
    const int middle = (20 + 5 + (200 - 25) / 2) * pxPerMm;
    int longest = 0;
    for (int y = middle - pxPerMm; y <= middle + pxPerMm; ++y)
        longest = std::max(longest, LongestRun(pages[0], y));
    EXPECT_NEAR(longest / double(pxPerMm), 100.0, 0.2);
}

TEST(ScaledPrint, LineweightsAreWidthsOnPaperAtEveryScale) {
    TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("d.dxf", LineDrawing("2000", "50")));
    constexpr int pxPerMm = 20;
    for (const double ratio : {1.0, 10.0, 100.0}) {
        PagePrintOptions options;
        options.lineweights = true;
        options.scale = {PrintScaleChoice::Kind::Ratio, ratio};
        const std::vector<QImage> pages = PrintOne(dir, loaded.drawing, options, pxPerMm);
        ASSERT_EQ(pages.size(), 1u);
        const int middle = (20 + 5 + (200 - 25) / 2) * pxPerMm;
        // A column a little right of the line's middle, where only the line runs.
        const int x = (20 + 267 / 2 + 5) * pxPerMm;
        EXPECT_NEAR(InkDown(pages[0], x, middle, 3 * pxPerMm) / double(pxPerMm), 0.5, 0.06)
            << "1:" << ratio;
    }
}

TEST(ScaledPrint, ALayoutPrintsOnItsOwnPaperWithItsBorderWhereTheAuthorPutIt) {
    TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("s.dxf", A3Sheet()));
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    const std::optional<QSizeF> paper = SheetPaper(loaded.drawing, 1);
    ASSERT_TRUE(paper);
    EXPECT_NEAR(paper->width(), 420, 1e-9);
    EXPECT_NEAR(paper->height(), 297, 1e-9);

    PagePrintOptions options;
    options.scale.kind = PrintScaleChoice::Kind::Sheet;
    const std::string out = (dir.path() / "sheet.pdf").string();
    {
        auto pdf = A4Writer(out); // upright A4 until the sheet's paper replaces it
        DrawView view;
        view.space = 1;
        PrintZoom(*pdf, loaded.drawing, view, QStringLiteral("s.dxf"), options);
    }
    const std::vector<QImage> pages = ReadPages(out);
    ASSERT_EQ(pages.size(), 1u);
    const QImage& page = pages[0];
    EXPECT_NEAR(page.width(), 420 * PxPerMm, 1);
    EXPECT_NEAR(page.height(), 297 * PxPerMm, 1);
    // The border: 10 mm in from the left and the bottom, 410 mm across, 277 mm up.
    const int mm = PxPerMm;
    EXPECT_GT(DarkPixels(page, 10 * mm - 1, 100 * mm, 10 * mm + 2, 101 * mm), mm / 2);
    EXPECT_GT(DarkPixels(page, 410 * mm - 1, 100 * mm, 410 * mm + 2, 101 * mm), mm / 2);
    EXPECT_GT(DarkPixels(page, 200 * mm, 287 * mm - 1, 201 * mm, 287 * mm + 2), mm / 2);
    EXPECT_GT(DarkPixels(page, 200 * mm, 10 * mm - 1, 201 * mm, 10 * mm + 2), mm / 2);
    EXPECT_EQ(DarkPixels(page, 0, 0, 9 * mm, 297 * mm), 0) << "no frame, no caption";
}

PdfBatchRequest FolderRequest(const TempDir& dir) {
    dir.write("a.dxf", LineDrawing("100"));
    dir.write("s.dxf", A3Sheet());
    dir.write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n");
    PdfBatchRequest request;
    request.folder = dir.path().string();
    request.names = {"a.dxf", "bad.dxf", "s.dxf"};
    request.scale.kind = PrintScaleChoice::Kind::Sheet;
    request.paper = QSizeF(210, 297);
    return request;
}

TEST(PdfBatch, OnePdfHoldsAPageForEachDrawingOnItsPaperAndListsTheFailures) {
    TempDir dir;
    PdfBatchRequest request = FolderRequest(dir);
    request.output = (dir.path() / "all.pdf").string();
    SilentPrintMonitor monitor;
    const PrintReport report = PrintPdfBatch(request, monitor);
    EXPECT_EQ(report.drawn, 2);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].name, "bad.dxf");
    EXPECT_FALSE(std::filesystem::exists(request.output + ".part"));
    const std::vector<QImage> pages = ReadPages(request.output);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_NEAR(pages[0].width(), 210 * PxPerMm, 1);  // fitted on the chosen paper
    EXPECT_NEAR(pages[1].height(), 297 * PxPerMm, 1); // the failure, named on its page
    EXPECT_NEAR(pages[2].width(), 420 * PxPerMm, 1);  // the sheet on its own paper
}

TEST(PdfBatch, EachDrawingToAPdfOfItsOwnNamedAfterIt) {
    TempDir dir;
    PdfBatchRequest request = FolderRequest(dir);
    request.names.push_back("a.dwg"); // the same stem as a.dxf: both keep their extension
    std::filesystem::create_directory(dir.path() / "out");
    request.output = (dir.path() / "out").string();
    request.each = true;
    SilentPrintMonitor monitor;
    const PrintReport report = PrintPdfBatch(request, monitor);
    EXPECT_EQ(report.drawn, 2);
    EXPECT_EQ(report.failures.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "a.dxf.pdf"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "s.pdf"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "bad.pdf"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "out"),
                            std::filesystem::directory_iterator()),
              2);
}

} // namespace
} // namespace orvanta::test
