#include "render/qt/QtCanvas.h"
#include "render/Colors.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QRawFont>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <gtest/gtest.h>

#include <functional>

namespace orvanta {
namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;

QImage BlankImage(int w, int h, QRgb fill = qRgb(255, 255, 255)) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Draws on `image` through a QtCanvas and finishes the painter.
void Paint(QImage& image, const std::function<void(QtCanvas&)>& draw,
           const std::string& face = DefaultTextFace) {
    QPainter painter(&image);
    QtCanvas canvas(painter, face);
    draw(canvas);
}

// Bounding box of the pixels that differ from `background`; null when there are none.
QRect InkBox(const QImage& image, QRgb background = qRgb(255, 255, 255)) {
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == background) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// A picture with some of everything, for the inverting pen modes to work against.
QImage BusyImage() {
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 160, y * 255 / 120, (x * y) % 256));
    }
    return image;
}

void DrawFigures(QtCanvas& canvas) {
    canvas.setPen(0x00FF8040, 1, PenSolid);
    canvas.moveTo(-10, 5);
    canvas.lineTo(150, 100);
    canvas.lineTo(20, 110);
    canvas.lineTo(20, 110);
    canvas.setPen(0x00123456, 3, PenSolid);
    canvas.moveTo(5, 60);
    canvas.lineTo(155, 62);
    canvas.arc(30, 20, 110, 100, 110, 60, 70, 20);
    canvas.setPen(0x00FFFFFF, 1, PenDashDot);
    canvas.arc(60, 30, 100, 90, 0, 0, 0, 0);
    canvas.moveTo(0, 0);
    canvas.lineTo(159, 119);
}

// A paint device that draws nothing and counts how often the painter hands it a new pen.
class PenCountingEngine : public QPaintEngine {
  public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & QPaintEngine::DirtyPen) ++penChanges;
    }
    void drawLines(const QLine*, int count) override { lines += count; }
    void drawLines(const QLineF*, int count) override { lines += count; }
    void drawPath(const QPainterPath&) override { ++paths; }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    Type type() const override { return QPaintEngine::User; }
    int penChanges = 0;
    int lines = 0;
    int paths = 0;
};

class PenCountingDevice : public QPaintDevice {
  public:
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 500;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return 1 * QPaintDevice::devicePixelRatioFScale();
        default:
            return 0;
        }
    }
    mutable PenCountingEngine engine;
};

TEST(QtCanvasTest, PenAttributesReachThePainterOnlyWhenTheyChange) {
    PenCountingDevice device;
    {
        QPainter painter(&device);
        QtCanvas canvas(painter);
        const int before = device.engine.penChanges;
        for (int i = 0; i < 100; ++i) {
            canvas.setPen(0x0000FF, 1, PenSolid);
            canvas.moveTo(i, 0);
            canvas.lineTo(i, 100);
            canvas.setPen(0x0000FF, 1, PenSolid);
            canvas.arc(0, 0, 50, 50, 0, 0, 0, 0);
        }
        EXPECT_EQ(device.engine.penChanges - before, 1);
        // Alternating pens change it every time.
        for (int i = 0; i < 10; ++i) {
            canvas.setPen(i % 2 ? 0x0000FF : 0x00FF00, 1, PenSolid);
            canvas.arc(0, 0, 50, 50, 0, 0, 0, 0);
        }
        EXPECT_EQ(device.engine.penChanges - before, 11);
    }
    EXPECT_EQ(device.engine.lines, 100);
    EXPECT_EQ(device.engine.paths, 110);
}

TEST(QtCanvasTest, TheTextFaceIsInstalledAndCoversJapaneseAndDrawingSymbols) {
    ASSERT_EQ(TextFaceProblem(), "");
    QFont font(DefaultTextFace);
    const QRawFont raw = QRawFont::fromFont(font);
    for (char32_t c : {U'日', U'本', U'ア', U'Φ', U'°', U'±', U'□', U'0'})
        EXPECT_TRUE(raw.supportsCharacter(c)) << static_cast<unsigned>(c);
}

TEST(QtCanvasTest, AMissingFaceIsReportedAndDrawsNoText) {
    const std::string problem = TextFaceProblem("NoSuchFace Orvanta");
    EXPECT_NE(problem.find("NoSuchFace Orvanta"), std::string::npos) << problem;
    QImage image = BlankImage(200, 60);
    Paint(
        image,
        [](QtCanvas& canvas) {
            EXPECT_FALSE(canvas.textProblem().empty());
            canvas.setFont({"NoSuchFace Orvanta", 30, 0, 0});
            canvas.setTextColor(Black);
            canvas.textOut(10, 10, "日本語");
        },
        "NoSuchFace Orvanta");
    EXPECT_TRUE(InkBox(image).isNull());
}

TEST(QtCanvasTest, ACharacterTheTextFaceLacksComesFromTheNamedFallback) {
    const QFont font = TextQFont();
    ASSERT_FALSE(QRawFont::fromFont(font).supportsCharacter(QChar(0x2300)));
    TextShapeCache shapes;
    const TextShapeCache::Shaped& shaped = shapes.shape(font, "A\u2300");
    QStringList faces;
    for (const QGlyphRun& run : shaped.runs)
        faces << run.rawFont().familyName();
    faces.sort(); // the runs come in no particular order
    EXPECT_EQ(faces, QStringList({FallbackTextFace, DefaultTextFace}));
}

TEST(QtCanvasTest, AFontMeasuresTheCellHeightAndAverageWidthAskedFor) {
    struct Size {
        int h, w;
    };
    for (const Size size : {Size{13, 5}, Size{20, 10}, Size{37, 9}, Size{64, 40}, Size{100, 51}}) {
        QImage image = BlankImage(800, 140);
        Paint(image, [&](QtCanvas& canvas) {
            EXPECT_EQ(canvas.textProblem(), "");
            canvas.setFont({DefaultTextFace, size.h, size.w, 0});
            EXPECT_NEAR(canvas.textWidth("0000000000"), 10 * size.w, 1);
            EXPECT_NEAR(canvas.textWidth("日本"), 4 * size.w, 1);
            // An opaque cell shows the cell itself: its top-left corner where asked, H high
            // and five average characters wide.
            canvas.setTransparentText(false);
            canvas.setTextBackColor(0x00C0C0C0);
            canvas.setTextColor(Black);
            canvas.textOut(20, 10, "0日0A");
        });
        const QRect box = InkBox(image);
        EXPECT_EQ(box.left(), 20) << size.h;
        EXPECT_EQ(box.top(), 10) << size.h;
        EXPECT_NEAR(box.height(), size.h, 1) << size.h;
        EXPECT_NEAR(box.width(), 5 * size.w, 1) << size.h;
    }
}

TEST(QtCanvasTest, ASharedShapeCacheFollowsTheFace) {
    TextShapeCache cache;
    QFont gothic(DefaultTextFace);
    gothic.setPixelSize(1000);
    QFont other("DejaVu Sans");
    other.setPixelSize(1000);
    const double gothicAdvance = cache.shape(gothic, "WWWW").advance;
    EXPECT_EQ(&cache.shape(gothic, "WWWW"), &cache.shape(gothic, "WWWW"));
    EXPECT_NEAR(gothicAdvance, QFontMetricsF(gothic).horizontalAdvance("WWWW"), 0.01);
    EXPECT_NEAR(cache.shape(other, "WWWW").advance, QFontMetricsF(other).horizontalAdvance("WWWW"),
                0.01);

    // Two canvases drawing in turn with one cache draw what one canvas alone draws.
    const auto draw = [](QImage& image, TextShapeCache* shapes) {
        QPainter painter(&image);
        QtCanvas canvas(painter, DefaultTextFace, shapes);
        canvas.setFont({DefaultTextFace, 24, 0, 0});
        canvas.setTextColor(Black);
        canvas.textOut(5, 5, "共有 cache");
    };
    QImage alone = BlankImage(200, 40), first = BlankImage(200, 40), second = BlankImage(200, 40);
    draw(alone, nullptr);
    draw(first, &cache);
    draw(second, &cache);
    EXPECT_EQ(first, alone);
    EXPECT_EQ(second, alone);
}

TEST(QtCanvasTest, KeptPensAndPlacedGlyphsDrawWhatAFreshCanvasDraws) {
    // More colours than the canvas keeps pens for, and one text at two sizes in turn.
    const auto text = [](QtCanvas& canvas, int i) {
        canvas.setFont({DefaultTextFace, i % 2 != 0 ? 13.4 : 9.6, 0, 0});
        canvas.setTextColor(RgbColor(i * 12, 255 - i * 12, i * 5));
        canvas.textOut(5 + i % 5 * 40, 5 + i / 5 * 20, "Wa日");
    };
    QImage together = BlankImage(220, 100), apart = BlankImage(220, 100);
    // There and back: the way back meets most colours' kept pens.
    const auto order = [](int k) { return k < 20 ? k : 39 - k; };
    Paint(together, [&](QtCanvas& canvas) {
        for (int k = 0; k < 40; ++k)
            text(canvas, order(k));
    });
    for (int k = 0; k < 40; ++k)
        Paint(apart, [&](QtCanvas& canvas) { text(canvas, order(k)); });
    EXPECT_EQ(together, apart);
}

TEST(QtCanvasTest, GlyphsAdvanceByTheAverageWidth) {
    // Twelve bars drawn as one text: their left edges are exactly one average width apart, so
    // the glyphs themselves, not only the measurements, are scaled.
    const int w = 12;
    QImage image = BlankImage(400, 80);
    Paint(image, [&](QtCanvas& canvas) {
        canvas.setFont({DefaultTextFace, 50, w, 0});
        canvas.setTextColor(Black);
        canvas.textOut(10, 10, "||||||||||||");
    });
    std::vector<int> leftEdges;
    const int row = 35;
    bool inBar = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = qGray(image.pixel(x, row)) < 128;
        if (dark && !inBar) leftEdges.push_back(x);
        inBar = dark;
    }
    ASSERT_EQ(leftEdges.size(), 12u);
    EXPECT_NEAR(leftEdges.back() - leftEdges.front(), 11 * w, 1);
}

TEST(QtCanvasTest, NaturalWidthKeepsTheFaceProportions) {
    QImage image = BlankImage(100, 100);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.setFont({DefaultTextFace, 100, 0, 0});
    const double expected =
        100 * canvas.referenceAverageWidth() / canvas.referenceCellHeight() * 10;
    EXPECT_NEAR(canvas.textWidth("0123456789"), expected, 1);
}

TEST(QtCanvasTest, EscapementTurnsTheCellCounterclockwise) {
    QImage image = BlankImage(200, 200);
    Paint(image, [](QtCanvas& canvas) {
        canvas.setFont({DefaultTextFace, 20, 10, 900});
        canvas.setTransparentText(false);
        canvas.setTextBackColor(0x00C0C0C0);
        canvas.setTextColor(Black);
        canvas.textOut(100, 150, "ABCDEF");
    });
    // The text runs upwards from (100, 150); the cell's top edge is on its left.
    const QRect box = InkBox(image);
    EXPECT_NEAR(box.left(), 100, 1);
    EXPECT_NEAR(box.width(), 20, 1);
    EXPECT_NEAR(box.bottom() + 1, 150, 1);
    EXPECT_NEAR(box.height(), 60, 1);
}

TEST(QtCanvasTest, TextIgnoresThePenMode) {
    QImage image = BlankImage(200, 60);
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPenMode(PenMode::Xor);
        canvas.setFont({DefaultTextFace, 30, 0, 0});
        canvas.setTextColor(Black);
        canvas.textOut(10, 10, "日本");
        canvas.textOut(10, 10, "日本");
    });
    // Drawn twice in xor it would vanish; text is drawn plainly.
    EXPECT_FALSE(InkBox(image).isNull());
}

TEST(QtCanvasTest, InvertingModesRestoreThePictureWhenDrawnTwice) {
    for (PenMode mode : {PenMode::Xor, PenMode::NotXor, PenMode::Not}) {
        const QImage original = BusyImage();
        QImage image = original;
        Paint(image, [&](QtCanvas& canvas) {
            canvas.setPenMode(mode);
            DrawFigures(canvas);
            canvas.flush();
        });
        EXPECT_NE(image, original) << static_cast<int>(mode);
        Paint(image, [&](QtCanvas& canvas) {
            canvas.setPenMode(mode);
            DrawFigures(canvas);
        });
        EXPECT_EQ(image, original) << static_cast<int>(mode);
    }
}

TEST(QtCanvasTest, PenModesCombineAsTheirNamesSay) {
    const QRgb start = qRgb(0x30, 0x60, 0x90);
    const TColor pen = RgbColor(0x0F, 0xF0, 0x55);
    const auto pixelAfter = [&](PenMode mode) {
        QImage image = BlankImage(20, 20, start);
        Paint(image, [&](QtCanvas& canvas) {
            canvas.setPenMode(mode);
            canvas.setPen(pen, 1, PenSolid);
            canvas.moveTo(0, 10);
            canvas.lineTo(19, 10);
        });
        return image.pixel(10, 10) & 0xFFFFFF;
    };
    EXPECT_EQ(pixelAfter(PenMode::Copy), 0x0FF055u);
    EXPECT_EQ(pixelAfter(PenMode::Not), 0xCF9F6Fu);
    EXPECT_EQ(pixelAfter(PenMode::Xor), (0x306090u ^ 0x0FF055u));
    EXPECT_EQ(pixelAfter(PenMode::NotXor), (~(0x306090u ^ 0x0FF055u)) & 0xFFFFFF);
}

TEST(QtCanvasTest, PixelsAndRectanglesReplaceWhateverTheMode) {
    QImage image = BlankImage(20, 20, qRgb(10, 20, 30));
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPenMode(PenMode::Xor);
        canvas.fillRect(2, 3, 6, 8, 0x00FF0000);
        canvas.setPixel(15, 15, 0x000000FF);
    });
    EXPECT_EQ(InkBox(image, qRgb(10, 20, 30)), QRect(QPoint(2, 3), QPoint(15, 15)));
    EXPECT_EQ(image.pixel(2, 3), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(5, 7), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(6, 7), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(5, 8), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
}

TEST(QtCanvasTest, ArcsRunCounterclockwiseFromTheStartRay) {
    QImage image = BlankImage(200, 200);
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPen(Black, 1, PenSolid);
        // From the ray to the right to the ray upwards: the upper right quarter.
        canvas.arc(50, 50, 150, 150, 190, 100, 100, 0);
    });
    const QRect box = InkBox(image);
    EXPECT_NEAR(box.left(), 100, 1);
    EXPECT_NEAR(box.right(), 150, 1);
    EXPECT_NEAR(box.top(), 50, 1);
    EXPECT_NEAR(box.bottom(), 100, 1);
    // On the circle at 45 degrees, (135.4, 64.6), give or take the rasteriser's choice.
    EXPECT_FALSE(InkBox(image.copy(134, 63, 3, 3)).isNull());
}

TEST(QtCanvasTest, ElongatedArcsEndOnTheirRays) {
    // A box twice as wide as high: the arc from the ray at 45 degrees (up and right) to the ray
    // at 135 degrees is the top of the ellipse between the two rays, not between parameters.
    QImage image = BlankImage(220, 120);
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPen(Black, 1, PenSolid);
        canvas.arc(10, 10, 210, 110, 160, 10, 60, 10);
    });
    // The ray at 45 degrees meets the ellipse x^2/100^2 + y^2/50^2 = 1 at x = y = 44.7.
    const QRect box = InkBox(image);
    EXPECT_NEAR(box.left(), 110 - 45, 2);
    EXPECT_NEAR(box.right(), 110 + 45, 2);
    EXPECT_NEAR(box.top(), 10, 1);
}

TEST(QtCanvasTest, CoincidentRaysDrawTheWholeEllipse) {
    QImage image = BlankImage(100, 100);
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPen(Black, 1, PenSolid);
        canvas.arc(10, 20, 90, 80, 0, 0, 0, 0);
    });
    const QRect box = InkBox(image);
    EXPECT_NEAR(box.left(), 10, 1);
    EXPECT_NEAR(box.right(), 90, 1);
    EXPECT_NEAR(box.top(), 20, 1);
    EXPECT_NEAR(box.bottom(), 80, 1);
}

TEST(QtCanvasTest, HugeFiguresDrawTheirVisiblePartQuickly) {
    QImage image = BlankImage(400, 300);
    QElapsedTimer timer;
    timer.start();
    Paint(image, [](QtCanvas& canvas) {
        canvas.setPen(Black, 1, PenSolid);
        canvas.moveTo(-2000000000, 50);
        canvas.lineTo(2000000000, 50);
        // A circle of radius ten million pixels whose left edge passes x = 200.
        const int r = 10000000;
        canvas.arc(200, 150 - r, 200 + 2 * r, 150 + r, 0, 0, 0, 0);
        // One so large that nothing of it is visible.
        canvas.arc(-2000000000, -2000000000, 2000000000, 2000000000, 0, 0, 0, 0);
    });
    EXPECT_LT(timer.elapsed(), 5000);
    for (int x : {0, 200, 399})
        EXPECT_EQ(image.pixel(x, 50), qRgb(0, 0, 0)) << x;
    for (int y : {0, 150, 299})
        EXPECT_EQ(qGray(image.pixel(200, y)), 0) << y;
    EXPECT_EQ(image.pixel(100, 150), qRgb(255, 255, 255));
}

TEST(QtCanvasTest, DirectPixelsAgreeWithThePainter) {
    // A QImage gets thin figures written directly, a QPixmap goes through QPainter; the two
    // outlines may differ by a pixel here and there but never by more.
    const auto figures = [](QtCanvas& canvas) {
        canvas.setPen(White, 1, PenSolid);
        canvas.arc(20, 20, 100, 100, 0, 0, 0, 0);
        canvas.arc(120, 20, 161, 61, 200, 40, 140, 0);
        canvas.arc(20, 120, 120, 170, 0, 0, 0, 0);
        canvas.moveTo(130, 100);
        canvas.lineTo(190, 170);
        canvas.moveTo(130, 180);
        canvas.lineTo(195, 110);
        canvas.setPen(White, 1, PenDashDot);
        canvas.moveTo(5, 190);
        canvas.lineTo(195, 190);
    };
    QImage direct = BlankImage(200, 200, qRgb(0, 0, 0));
    {
        QPainter painter(&direct);
        QtCanvas canvas(painter);
        figures(canvas);
    }
    QPixmap pixmap(200, 200);
    pixmap.fill(Qt::black);
    {
        QPainter painter(&pixmap);
        QtCanvas canvas(painter);
        figures(canvas);
    }
    const QImage painted = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    const auto inked = [](const QImage& image, int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               image.pixel(x, y) != qRgb(0, 0, 0);
    };
    const auto near = [&](const QImage& image, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (inked(image, x + dx, y + dy)) return true;
            }
        }
        return false;
    };
    int directCount = 0, paintedCount = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (inked(direct, x, y)) {
                ++directCount;
                EXPECT_TRUE(near(painted, x, y)) << x << "," << y;
            }
            if (inked(painted, x, y)) {
                ++paintedCount;
                EXPECT_TRUE(near(direct, x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_NEAR(directCount, paintedCount, paintedCount / 20);
}

TEST(QtCanvasTest, ThinOutlinesSetEachPixelOnce) {
    // Drawn once in xor on black, an outline whose pixels were set twice would have holes; it
    // must cover exactly what the copy mode covers.
    struct Box {
        int l, t, r, b, xs, ys, xe, ye;
    };
    const Box boxes[] = {
        {10, 10, 90, 90, 0, 0, 0, 0},      {10, 10, 91, 91, 0, 0, 0, 0},
        {10, 10, 13, 13, 0, 0, 0, 0},      {5, 30, 95, 60, 0, 0, 0, 0},
        {10, 10, 90, 90, 90, 50, 10, 50},  {10, 10, 91, 90, 50, 90, 90, 49},
        {-400, 10, 600, 1010, 0, 0, 0, 0},
    };
    for (const Box& box : boxes) {
        const auto count = [&](PenMode mode) {
            QImage image = BlankImage(100, 100, qRgb(0, 0, 0));
            Paint(image, [&](QtCanvas& canvas) {
                canvas.setPenMode(mode);
                canvas.setPen(White, 1, PenSolid);
                canvas.arc(box.l, box.t, box.r, box.b, box.xs, box.ys, box.xe, box.ye);
            });
            int inked = 0;
            for (int y = 0; y < 100; ++y) {
                for (int x = 0; x < 100; ++x)
                    inked += image.pixel(x, y) == qRgb(255, 255, 255);
            }
            return inked;
        };
        const int copied = count(PenMode::Copy);
        EXPECT_GT(copied, 0) << box.l << "," << box.r;
        EXPECT_EQ(count(PenMode::Xor), copied) << box.l << "," << box.r;
    }
}

TEST(QtCanvasTest, DashedArcsFollowTheOutlineAndSetEachPixelOnce) {
    // Thin dashed arcs are written directly as a chain of chords; their pixels must lie on the
    // outline the painter draws for the same arc, leave gaps, and be set once each.
    struct Box {
        int l, t, r, b, xs, ys, xe, ye;
    };
    const Box boxes[] = {
        {10, 10, 90, 90, 0, 0, 0, 0},     {5, 30, 95, 60, 0, 0, 0, 0},
        {10, 10, 90, 90, 90, 50, 10, 50}, {10, 10, 91, 90, 50, 90, 90, 49},
        {20, 20, 80, 80, 80, 20, 20, 20}, {-400, 10, 600, 1010, 0, 0, 0, 0},
    };
    const auto draw = [](QPaintDevice& device, const Box& box, TPenStyle style, PenMode mode) {
        QPainter painter(&device);
        QtCanvas canvas(painter);
        canvas.setPenMode(mode);
        canvas.setPen(White, 1, style);
        canvas.arc(box.l, box.t, box.r, box.b, box.xs, box.ys, box.xe, box.ye);
    };
    const auto inked = [](const QImage& image, int x, int y) {
        return x >= 0 && y >= 0 && x < image.width() && y < image.height() &&
               image.pixel(x, y) != qRgb(0, 0, 0);
    };
    for (const Box& box : boxes) {
        for (TPenStyle style : {PenDash, PenDot, PenDashDot}) {
            QImage dashed = BlankImage(100, 100, qRgb(0, 0, 0));
            draw(dashed, box, style, PenMode::Copy);
            QImage xored = BlankImage(100, 100, qRgb(0, 0, 0));
            draw(xored, box, style, PenMode::Xor);
            QPixmap pixmap(100, 100);
            pixmap.fill(Qt::black);
            draw(pixmap, box, PenSolid, PenMode::Copy);
            const QImage outline = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
            int dashedCount = 0, outlineCount = 0;
            for (int y = 0; y < 100; ++y) {
                for (int x = 0; x < 100; ++x) {
                    outlineCount += inked(outline, x, y);
                    if (!inked(dashed, x, y)) continue;
                    ++dashedCount;
                    bool near = false;
                    for (int dy = -1; dy <= 1; ++dy) {
                        for (int dx = -1; dx <= 1; ++dx)
                            near = near || inked(outline, x + dx, y + dy);
                    }
                    EXPECT_TRUE(near) << box.l << "," << box.r << " style " << int(style) << " at "
                                      << x << "," << y;
                }
            }
            EXPECT_GT(dashedCount, outlineCount / 4) << box.l << "," << box.r;
            EXPECT_LT(dashedCount, outlineCount * 9 / 10) << box.l << "," << box.r;
            EXPECT_EQ(xored, dashed) << box.l << "," << box.r << " style " << int(style);
        }
    }
}

TEST(QtCanvasTest, DashedPensLeaveGaps) {
    for (TPenStyle style : {PenDash, PenDot, PenDashDot, PenDashDotDot}) {
        QImage image = BlankImage(200, 10);
        Paint(image, [&](QtCanvas& canvas) {
            canvas.setPen(Black, 1, style);
            canvas.moveTo(0, 5);
            canvas.lineTo(199, 5);
        });
        int inked = 0;
        for (int x = 0; x < 200; ++x)
            inked += image.pixel(x, 5) == qRgb(0, 0, 0);
        EXPECT_GT(inked, 40) << int(style);
        EXPECT_LT(inked, 170) << int(style);
    }
}

using Rings = std::vector<std::vector<TPoint>>;

// Lines thin and wide, an arc, a fill, pixels and a text, each reaching across a 160 x 120
// picture.
void DrawAcross(QtCanvas& canvas) {
    canvas.setPen(Black, 1, PenSolid);
    for (int x = -40; x < 200; x += 9) {
        canvas.moveTo(x, 0);
        canvas.lineTo(x + 40, 119);
    }
    canvas.arc(10, 10, 150, 110, 0, 0, 0, 0);
    canvas.setPen(Black, 5, PenDash);
    canvas.moveTo(0, 60);
    canvas.lineTo(159, 70);
    canvas.fillPolygon({{{-10, 90}, {170, 90}, {170, 130}, {-10, 130}}}, 0x808080);
    for (int x = 0; x < 160; x += 2)
        canvas.setPixel(x, 30, Black);
    canvas.setFont({DefaultTextFace, 40, 0, 0});
    canvas.textOut(0, 35, "WWWWWWWW");
}

// The pixels fillPolygon sets for the rings: the inside of a clip of the same rings.
QImage Inside(const Rings& rings) {
    QImage mask = BlankImage(160, 120);
    Paint(mask, [&](QtCanvas& canvas) { canvas.fillPolygon(rings, Black); });
    return mask;
}

// Pixels inked in `image` farther than `reach` pixels from any set in `mask`, and those inked
// where it is set.
std::pair<int, int> InkOutsideAndInside(const QImage& image, const QImage& mask, int reach = 0) {
    const auto set = [&](int x, int y) {
        return mask.valid(x, y) && mask.pixel(x, y) != qRgb(255, 255, 255);
    };
    int outside = 0, inside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255)) continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy) {
                for (int dx = -reach; dx <= reach && !near; ++dx)
                    near = set(x + dx, y + dy);
            }
            inside += set(x, y);
            outside += !near;
        }
    }
    return {outside, inside};
}

TEST(QtCanvasTest, AClipKeepsEveryFigureInsideItsRings) {
    // A triangle with a square hole (the painter clips), a rectangle (the direct raster clips
    // too) and nothing at all.
    const Rings triangle{{{10, 110}, {80, 5}, {150, 110}},
                         {{60, 60}, {100, 60}, {100, 90}, {60, 90}}};
    const Rings rectangle{{{30, 20}, {130, 20}, {130, 100}, {30, 100}}};
    for (const Rings& clip : {triangle, rectangle, Rings{}}) {
        QImage image = BlankImage(160, 120);
        Paint(image, [&](QtCanvas& canvas) {
            canvas.setClip(clip);
            DrawAcross(canvas);
        });
        const auto [outside, inside] = InkOutsideAndInside(image, Inside(clip));
        EXPECT_EQ(outside, 0) << clip.size() << " rings";
        if (!clip.empty()) {
            EXPECT_GT(inside, 1000) << clip.size() << " rings";
        }
    }
}

TEST(QtCanvasTest, ASecondClipReplacesTheFirstAndClearClipRestoresTheWhole) {
    const Rings left{{{0, 0}, {80, 0}, {80, 120}, {0, 120}}};
    const Rings right{{{80, 0}, {160, 0}, {160, 120}, {80, 120}}};
    QImage image = BlankImage(160, 120);
    Paint(image, [&](QtCanvas& canvas) {
        canvas.setClip(left);
        canvas.setClip(right);
        canvas.fillRect(0, 0, 160, 120, Black);
    });
    EXPECT_EQ(InkBox(image), QRect(80, 0, 80, 120));

    QImage unclipped = BlankImage(160, 120);
    Paint(unclipped, DrawAcross);
    QImage cleared = BlankImage(160, 120);
    Paint(cleared, [&](QtCanvas& canvas) {
        canvas.setPen(White, 3, PenDot);
        canvas.setClip({{{10, 110}, {80, 5}, {150, 110}}});
        canvas.clearClip();
        DrawAcross(canvas);
    });
    EXPECT_EQ(cleared, unclipped);
}

TEST(QtCanvasTest, ABandedCanvasStaysInItsBandUnderAClip) {
    const QRect band(0, 40, 160, 40);
    const Rings rectangle{{{30, 0}, {130, 0}, {130, 120}, {30, 120}}};
    const Rings triangle{{{-100, 200}, {80, -100}, {260, 200}}};
    for (const Rings* clip : {&rectangle, &triangle, static_cast<const Rings*>(nullptr)}) {
        QImage image = BlankImage(160, 120);
        {
            QPainter painter(&image);
            QtCanvas canvas(painter, DefaultTextFace, nullptr, band);
            if (clip != nullptr) canvas.setClip(*clip);
            canvas.clearClip();
            if (clip != nullptr) canvas.setClip(*clip);
            DrawAcross(canvas);
        }
        const QRect ink = InkBox(image);
        EXPECT_TRUE(band.contains(ink)) << ink.top() << "-" << ink.bottom();
        if (clip == &rectangle) {
            EXPECT_EQ(ink.left(), 30);
            EXPECT_EQ(ink.right(), 129);
        }
    }
}

TEST(QtCanvasTest, AnSvgPictureIsCutToTheClip) {
    // Qt's SVG generator writes no clip: the canvas cuts the figures itself.
    const Rings clip{{{10, 110}, {80, 5}, {150, 110}}, {{60, 60}, {100, 60}, {100, 90}, {60, 90}}};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(160, 120));
    svg.setViewBox(QRect(0, 0, 160, 120));
    {
        QPainter painter(&svg);
        QtCanvas canvas(painter);
        canvas.setClip(clip);
        DrawAcross(canvas);
        canvas.setPen(Black, 1, PenDashDot);
        canvas.arc(40, 40, 120, 100, 0, 0, 0, 0);
        canvas.clearClip();
        canvas.fillRect(0, 0, 4, 4, Black);
    }
    QImage image = BlankImage(160, 120);
    {
        QPainter painter(&image);
        QSvgRenderer(bytes).render(&painter);
    }
    // The reader smooths edges, which may tint a pixel next to the clip.
    const auto [outside, inside] = InkOutsideAndInside(image, Inside(clip), 1);
    EXPECT_EQ(outside, 16) << "the corner drawn after clearClip() alone";
    EXPECT_GT(inside, 1000);
}

} // namespace
} // namespace orvanta
