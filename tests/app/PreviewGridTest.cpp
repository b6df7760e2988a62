#include "app/PreviewGrid.h"
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "browse/PreviewPicture.h"

#include "support/AppTesting.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

using test::Dxf;
using test::TempDir;
using test::WindowHarness;

std::string LineDrawing(const char* x) {
    return Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "62",     "1", "10",
                "0", "20",      "0", "11",       x,   "21",   "5", "0", "ENDSEC", "0", "EOF"});
}

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

bool AnyPixelOtherThan(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) return true;
    return false;
}

TEST(PreviewLayout, GridGeometryProgressStepsAndCacheNames) {
    EXPECT_EQ(GridColumns(650, 200), 3);
    EXPECT_EQ(GridColumns(50, 200), 1);
    EXPECT_EQ(GridRows(7, 3), 3);
    EXPECT_EQ(GridRows(6, 3), 2);
    EXPECT_EQ(PreviewProgressStepsFor(120).maximum, 50);
    EXPECT_EQ(PreviewProgressStepsFor(120).step, 2);
    EXPECT_EQ(PreviewProgressStepsFor(30).maximum, 30);
    EXPECT_EQ(PreviewProgressStepsFor(30).step, 1);
    EXPECT_EQ(PreviewCachePath("/d/plan.dxf"), "/d/plan_DXF.bmp");
    EXPECT_EQ(PreviewCachePath("/d/PLAN.DXF"), "/d/PLAN_DXF.bmp");
    EXPECT_EQ(PreviewCachePath("/d/a.b.dwg"), "/d/a.b_DWG.bmp");
    EXPECT_EQ(PreviewPictureSize(QSize(100, 88)), QSize(100, 64));
}

TEST(PreviewPicture, DrawsLoadsFailsAndCaches) {
    TempDir dir;
    const QString plan = Q(dir.write("plan.dxf", LineDrawing("10")));
    PreviewFacts facts;
    QImage picture = MakePreviewPicture(plan, QSize(200, 136), ColorModeColor, &facts);
    EXPECT_EQ(picture.size(), QSize(200, 136));
    EXPECT_TRUE(facts.drawn);
    EXPECT_TRUE(facts.failure.isEmpty());
    EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFF, 0u); // drawn on black
    EXPECT_TRUE(AnyPixelOtherThan(picture, 0));

    // A damaged file fails with its name; the picture is blank.
    const QString bad = Q(dir.write("bad.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nxyz\n"));
    picture = MakePreviewPicture(bad, QSize(80, 52), ColorModeColor, &facts);
    EXPECT_FALSE(facts.drawn);
    EXPECT_TRUE(facts.failure.contains("bad.dxf")) << facts.failure.toStdString();
    EXPECT_FALSE(AnyPixelOtherThan(picture, 0xFFFFFF));

    // DWG content under a .dxf name gives no picture and no failure.
    const QString binary =
        Q(dir.write("binary.dxf", std::string("AC1015") + std::string(200, '\0')));
    MakePreviewPicture(binary, QSize(80, 52), ColorModeColor, &facts);
    EXPECT_EQ(facts.kind, "BinaryDXF");
    EXPECT_TRUE(facts.failure.isEmpty());
    EXPECT_FALSE(facts.drawn);

    // A damaged cache file is passed over: the drawing is drawn.
    dir.write("plan_DXF.bmp", "BM\x10garbage");
    MakePreviewPicture(plan, QSize(200, 136), ColorModeColor, &facts);
    EXPECT_FALSE(facts.fromCache);
    EXPECT_TRUE(facts.drawn);

    // A saved cache picture is loaded instead of the drawing, in its own size, and the save
    // leaves nothing else behind.
    QImage saved(50, 40, QImage::Format_RGB32);
    saved.fill(QColor(10, 200, 30));
    ASSERT_EQ(SavePreviewCache(saved, PreviewCachePath(plan)), QString());
    EXPECT_EQ(QDir(Q(dir.path())).entryList(QDir::Files).size(), 4);
    picture = MakePreviewPicture(plan, QSize(200, 136), ColorModeColor, &facts);
    EXPECT_TRUE(facts.fromCache);
    EXPECT_EQ(picture.size(), QSize(50, 40));
    EXPECT_EQ(picture.pixel(3, 3), saved.pixel(3, 3));
}

// A window on the preview tab over a folder, with the builds waited for.
struct PreviewWindow {
    WindowHarness harness;
    TempDir folder;
    std::unique_ptr<MainWindow> window;

    void open() {
        window = harness.open();
        window->tabs()->setCurrentIndex(MainWindow::PreviewTab);
        test::ProcessEvents();
    }
    void show(const QString& path) {
        window->showFolder(path);
        window->waitForPreviews();
    }
};

TEST(PreviewGridWindow, BuildsEveryCellAndSummarisesFailuresOnce) {
    PreviewWindow w;
    w.folder.write("a.dxf", LineDrawing("10"));
    w.folder.write("b.dxf", "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nxyz\n");
    w.folder.write("c.dxf", LineDrawing("3"));
    w.open();
    w.show(Q(w.folder.path()));

    PreviewGrid& grid = *w.window->previewGrid();
    ASSERT_EQ(grid.count(), 3);
    EXPECT_TRUE(grid.entry(0).imgFlag);
    EXPECT_FALSE(grid.entry(1).imgFlag);
    EXPECT_TRUE(grid.entry(1).failure.contains("b.dxf"));
    EXPECT_TRUE(grid.entry(2).imgFlag);
    ASSERT_EQ(w.harness.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.harness.dialogs.messages[0].caption, "情報");
    EXPECT_TRUE(w.harness.dialogs.messages[0].text.contains("b.dxf"));
    // The failure is worded in the window's language, in the cell and in the summary.
    const QString reason = "グループコード 10 の値 \"xyz\" は実数ではありません";
    EXPECT_TRUE(grid.entry(1).failure.contains(reason)) << grid.entry(1).failure.toStdString();
    EXPECT_TRUE(w.harness.dialogs.messages[0].text.contains(reason));
    EXPECT_FALSE(w.window->statusText(StatusPanel::Elapsed).isEmpty());
    EXPECT_TRUE(w.window->statusText(StatusPanel::Progress).isEmpty());

    // A click on a cell chooses the row; a row chosen in the list moves the current cell.
    emit grid.cellClicked(2);
    EXPECT_EQ(w.window->fileList()->currentRow(), 2);
    w.window->chooseRow(1);
    EXPECT_EQ(grid.currentIndex(), 1);

    // Opening a cell shows the detail tab with that drawing; a later build keeps it there.
    emit grid.cellDoubleClicked(0);
    EXPECT_EQ(w.window->tabs()->currentIndex(), int(MainWindow::DetailTab));
    const std::size_t lines = w.window->drawing().LineAry.size();
    EXPECT_GT(lines, 0u);
    w.window->buildThumbnails();
    w.window->waitForPreviews();
    EXPECT_EQ(w.window->drawing().LineAry.size(), lines);
}

TEST(PreviewGridWindow, AFolderChangeCancelsTheBuildAndTheGridStopsAt2500) {
    PreviewWindow w;
    TempDir many;
    // DWG files without a picture are quick to make: the limit, not the drawing, is tested.
    for (int i = 0; i < 2510; ++i)
        many.write("f" + std::to_string(10000 + i) + ".dwg", "not a drawing");
    w.folder.write("only.dxf", LineDrawing("10"));
    w.open();
    w.window->setPreviewJobs(1);
    w.window->showFolder(Q(many.path()));
    EXPECT_TRUE(w.window->previewsBuilding());
    w.show(Q(w.folder.path()));
    ASSERT_EQ(w.window->previewGrid()->count(), 1);
    EXPECT_TRUE(w.window->previewGrid()->entry(0).name.endsWith("only.dxf"));
    EXPECT_TRUE(w.window->previewGrid()->entry(0).imgFlag);

    w.show(Q(many.path()));
    EXPECT_EQ(w.window->fileList()->rowCount(), 2510);
    EXPECT_EQ(w.window->previewGrid()->count(), 2500);
    EXPECT_TRUE(w.harness.dialogs.messages.empty());
}

TEST(PreviewGridWindow, CacheCommandsAskAndTouchOnlyCachePictures) {
    PreviewWindow w;
    w.open();
    auto trigger = [&](const char* text) { w.window->action(QString::fromUtf8(text))->trigger(); };
    auto& dialogs = w.harness.dialogs;

    trigger("一覧用イメージ作成");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.back().text, "一覧イメージが作成されていません．");

    const QString plan = Q(w.folder.write("plan.dxf", LineDrawing("10")));
    const QString photo = Q(w.folder.write("photo_D01.bmp", "mine"));
    w.show(Q(w.folder.path()));
    dialogs.answerYes = false;
    trigger("一覧用イメージ作成");
    EXPECT_EQ(dialogs.questions.back().text,
              "DXFファイルと同じフォルダ内に、すべてのBMPファイルを作成します．よろしいですか？");
    EXPECT_FALSE(QFile::exists(PreviewCachePath(plan)));
    dialogs.answerYes = true;
    trigger("一覧用イメージ作成");
    EXPECT_EQ(dialogs.messages.back().text, "BMPファイルを作成しました．");
    EXPECT_EQ(dialogs.messages.back().caption, "Orvanta2017");
    EXPECT_TRUE(QFile::exists(PreviewCachePath(plan)));

    // The next build reads the cache picture and leaves the version cell empty.
    w.window->buildThumbnails();
    w.window->waitForPreviews();
    EXPECT_TRUE(w.window->fileList()->cell(0, FileListPanel::VersionColumn).isEmpty());
    trigger("DXFバージョン取得");
    EXPECT_FALSE(w.window->fileList()->cell(0, FileListPanel::VersionColumn).isEmpty());

    trigger("一覧用イメージ削除");
    EXPECT_EQ(dialogs.questions.back().text,
              "DXFファイルと同じフォルダ内のすべてのBMPファイルを削除します．よろしいですか？");
    EXPECT_EQ(dialogs.messages.back().text, "BMPファイルを削除しました．");
    EXPECT_FALSE(QFile::exists(PreviewCachePath(plan)));
    EXPECT_TRUE(QFile::exists(photo));
    trigger("一覧用イメージ削除");
    EXPECT_EQ(dialogs.messages.back().text, "削除するBMPファイルはありません．");
}

TEST(PreviewGridWindow, CellSizeItemsRebuildAndTheCommandLineMakesTheSamePictures) {
    PreviewWindow w;
    w.folder.write("a.dxf", LineDrawing("10"));
    w.folder.write("b.dxf", LineDrawing("2"));
    w.open();
    w.show(Q(w.folder.path()));
    w.window->action(QStringLiteral("100 x  88"))->trigger();
    w.window->waitForPreviews();
    EXPECT_TRUE(w.window->action(QStringLiteral("100 x  88"))->isChecked());
    EXPECT_FALSE(w.window->action(QStringLiteral("200 x 160"))->isChecked());
    EXPECT_EQ(w.window->cellSize(), QSize(100, 88));
    ASSERT_EQ(w.window->previewGrid()->count(), 2);
    EXPECT_EQ(w.window->previewGrid()->entry(0).picture.size(), QSize(100, 64));

    // Monochrome rebuilds the pictures at once: the red line turns white.
    auto hasColour = [](const QImage& image, QRgb colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
        return false;
    };
    EXPECT_TRUE(hasColour(w.window->previewGrid()->entry(0).picture, qRgb(255, 0, 0)));
    w.window->action(QStringLiteral("モノクロ表示"))->trigger();
    w.window->waitForPreviews();
    EXPECT_FALSE(hasColour(w.window->previewGrid()->entry(0).picture, qRgb(255, 0, 0)));
    EXPECT_TRUE(hasColour(w.window->previewGrid()->entry(0).picture, qRgb(255, 255, 255)));
    w.window->action(QStringLiteral("モノクロ表示"))->trigger();
    w.window->waitForPreviews();

    TempDir out;
    QProcess cli;
    cli.start(QStringLiteral(ORVANTA_CLI), {"previews", Q(w.folder.path()), "-o", Q(out.path()),
                                            "--size", "100x88", "--jobs", "2"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    for (int i = 0; i < 2; ++i) {
        const PreviewGrid::Entry& e = w.window->previewGrid()->entry(i);
        const QImage written(Q(out.path()) + "/" + QFileInfo(e.name).fileName() + ".png");
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), e.picture) << i;
    }
}

} // namespace
} // namespace orvanta
