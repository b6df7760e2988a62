// Raster images through the QPainter and metafile canvases: one golden picture of the kind
// (turned, clipped and missing pictures), and the rules of the picture cache.
#include "fuzz/ReadImageHarness.h"
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/metafile/MetafileCanvas.h"
#include "render/qt/QtCanvas.h"
#include "render/qt/RasterImages.h"
#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orvanta {
namespace {

// A picture whose corners tell which way it lies: red at its top-left, blue bars across it, a
// yellow disc in its middle.
QImage Marked(int w, int h) {
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(QColor(240, 240, 240));
    QPainter p(&picture);
    for (int y = 0; y < h; y += h / 6)
        p.fillRect(0, y, w, h / 12, QColor(40, 90, 200));
    p.setBrush(QColor(250, 200, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(w / 2, h / 2), h / 3, h / 3);
    p.fillRect(0, 0, w / 5, h / 5, QColor(220, 30, 30));
    return picture;
}

std::string ImagePairs(const char* handle, double x, double y, double ux, double uy, double vx,
                       double vy, const char* def, const std::string& clip = {}) {
    const auto n = [](double v) { return std::to_string(v); };
    return "0\nIMAGE\n8\n0\n62\n3\n10\n" + n(x) + "\n20\n" + n(y) + "\n11\n" + n(ux) + "\n21\n" +
           n(uy) + "\n12\n" + n(vx) + "\n22\n" + n(vy) + "\n13\n80\n23\n60\n340\n" + def +
           "\n70\n7\n" + (clip.empty() ? "280\n0\n" : "280\n1\n" + clip) + "5\n" + handle + "\n";
}

QImage Render(Drawing& d, int w, int h, ColorModeValue mode = ColorModeColor) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    ClearCanvas(canvas, w, h, ColorBlack);
    DrawOptions options;
    options.colorMode = mode;
    options.view = {{60, 30, 0}, 160, 100, ViewOriginOf(w, h), w, h, 1};
    DrawDxf(d, options, canvas);
    return image;
}

TEST(ImagesGolden, TurnedClippedAndMissingPictures) {
    test::TempDir dir;
    Marked(80, 60).save(QString::fromStdString((dir.path() / "marked.png").string()));
    std::string dxf = "0\nSECTION\n2\nENTITIES\n";
    // As it lies; turned 30 degrees and half the size; mirrored; clipped to a triangle; missing.
    dxf += ImagePairs("10", 0, 0, 0.5, 0, 0, 0.5, "D1");
    const double c = std::cos(M_PI / 6) / 4, s = std::sin(M_PI / 6) / 4;
    dxf += ImagePairs("11", 60, 0, c, s, -s, c, "D1");
    dxf += ImagePairs("12", 130, 0, -0.5, 0, 0, 0.5, "D1");
    dxf += ImagePairs("13", 0, 35, 0.5, 0, 0, 0.5, "D1",
                      "71\n2\n91\n3\n14\n-0.5\n24\n-0.5\n14\n79.5\n24\n-0.5\n14\n40\n24\n59.5\n");
    dxf += ImagePairs("14", 60, 35, 0.5, 0, 0, 0.5, "D2");
    dxf += "0\nLINE\n8\n0\n62\n1\n10\n-10\n20\n-10\n11\n140\n21\n70\n0\nENDSEC\n";
    dxf += "0\nSECTION\n2\nOBJECTS\n0\nIMAGEDEF\n5\nD1\n1\nMARKED.PNG\n0\nIMAGEDEF\n5\nD2\n1\n"
           "C:\\photos\\gone.jpg\n0\nENDSEC\n0\nEOF\n";
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("images.dxf", dxf));
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.drawing.MissingImages, 1u);
    Drawing d = loaded.drawing;
    EXPECT_TRUE(test::MatchesGolden(Render(d, 480, 300), test::GoldenPath("images")));
}

TEST(ImagesGolden, AFileIsDecodedOnceAndSeenAtTheSizeTheViewNeeds) {
    test::TempDir dir;
    const std::string path = (dir.path() / "big.png").string();
    Marked(1600, 1200).save(QString::fromStdString(path));
    RasterImageCache cache;
    // Seen whole in a small view, then zoomed in to every pixel, then whole again.
    const auto small = cache.picture(path, QSizeF(180, 135));
    EXPECT_EQ(small.fileSize, QSize(1600, 1200));
    EXPECT_EQ(small.image.size(), QSize(200, 150));
    EXPECT_EQ(cache.picture(path, QSizeF(1600, 1200)).image.size(), QSize(1600, 1200));
    EXPECT_EQ(cache.picture(path, QSizeF(100, 75)).image.size(), QSize(100, 75));
    EXPECT_EQ(cache.decodes(), 1u);
    // A file changed on disk is read afresh.
    Marked(40, 30).save(QString::fromStdString(path));
    EXPECT_EQ(cache.picture(path, QSizeF(40, 30)).fileSize, QSize(40, 30));
    EXPECT_EQ(cache.decodes(), 2u);
}

TEST(ImagesGolden, AViewThatWillNotWaitGetsThePictureOnceItIsDecoded) {
    test::TempDir dir;
    const std::string path = dir.path().string() + "/scan.png";
    Marked(400, 300).save(QString::fromStdString(path));
    RasterImageCache cache;
    std::mutex mutex;
    std::condition_variable told;
    bool decoded = false;
    cache.setDecodedListener([&] {
        const std::lock_guard lock(mutex);
        decoded = true;
        told.notify_all();
    });
    EXPECT_TRUE(cache.picture(path, QSizeF(400, 300), false).pending);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(told.wait_for(lock, std::chrono::seconds(30), [&] { return decoded; }));
    const auto ready = cache.picture(path, QSizeF(400, 300), false);
    EXPECT_FALSE(ready.pending);
    EXPECT_EQ(ready.image.size(), QSize(400, 300));
    cache.setDecodedListener({});
}

TEST(ImagesGolden, UnreadableAndOversizedFilesAreNotDrawn) {
    test::TempDir dir;
    // Not a picture at all, and a PNG whose header claims 100,000 pixels square.
    const std::string garbage = dir.write("garbage.png", "this is no picture");
    const auto crc = [](const std::string& bytes) {
        std::uint32_t c = 0xFFFFFFFF;
        for (const unsigned char b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) != 0 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    const auto bigEndian = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF),
                           static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
    };
    const std::string chunk =
        "IHDR" + bigEndian(100000) + bigEndian(100000) + "\x08\x02" + std::string(3, '\0');
    const std::string header = std::string("\x89PNG\r\n\x1a\n", 8) + bigEndian(13) + chunk +
                               bigEndian(crc(chunk)) + std::string(64, 'x');
    const std::string huge = dir.write("huge.png", header);
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    for (const std::string& path : {garbage, huge}) {
        CanvasImage picture;
        picture.path = path;
        picture.topRight = {64, 0};
        picture.bottomLeft = {0, 64};
        EXPECT_FALSE(canvas.drawImage(picture)) << path;
    }
}

TEST(ImagesGolden, EnhancedMetafileHoldsThePictureAndAWindowsMetafileItsFrame) {
    test::TempDir dir;
    const std::string path = (dir.path() / "marked.png").string();
    Marked(80, 60).save(QString::fromStdString(path));
    CanvasImage picture;
    picture.path = path;
    picture.topLeft = {10, 10};
    picture.topRight = {90, 10};
    picture.bottomLeft = {10, 70};
    QtRasterSource images;
    auto emf = MetafileCanvas::Create(MetafileKind::Emf, 100, 80, DefaultTextFace, &images);
    EXPECT_TRUE(emf->drawImage(picture));
    const std::vector<char> bytes = emf->finish();
    // EMR_STRETCHDIBITS (81) under a saved state (33) and its clip path (67), restored (34).
    std::vector<std::uint32_t> types;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        std::uint32_t type = 0, size = 0;
        std::memcpy(&type, bytes.data() + at, 4);
        std::memcpy(&size, bytes.data() + at + 4, 4);
        types.push_back(type);
        if (size == 0) break;
        at += size;
    }
    const auto at = [&](std::uint32_t type) {
        return std::find(types.begin(), types.end(), type) - types.begin();
    };
    ASSERT_LT(static_cast<std::size_t>(at(81)), types.size());
    EXPECT_LT(at(33), at(67));
    EXPECT_LT(at(67), at(81));
    EXPECT_LT(at(81), at(34));
    auto wmf = MetafileCanvas::Create(MetafileKind::Wmf, 100, 80, DefaultTextFace, &images);
    EXPECT_FALSE(wmf->drawImage(picture));
}

TEST(ImagesGolden, FuzzCorpusReadsWithoutCrashing) {
    EXPECT_GT(test::ReplayFuzzCorpus("read_image", ReadImageHarness), 5);
}

} // namespace
} // namespace orvanta
