// Times the QPainter canvas on a 1600 x 900 image with the call patterns of a full redraw:
// many short lines under one pen, lines whose colour changes often, circles and arcs, and small
// texts placed by DrawDxfText. Prints one figure per case.
#include "render/Colors.h"
#include "render/TextDrawing.h"
#include "render/qt/QtCanvas.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace orvanta;

constexpr int Width = 1600;
constexpr int Height = 900;

// Random figures are made before the clock starts, so that only drawing is timed.
struct Figure {
    int x, y, dx, dy, r;
    double wx, wy;
};

void Time(const char* name, long count, const std::function<void(QtCanvas&)>& draw) {
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(Qt::black);
    QElapsedTimer timer;
    timer.start();
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        draw(canvas);
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    std::printf("%-44s %9ld calls %9.1f ms %8.1f ns/call\n", name, count, ms, ms * 1e6 / count);
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(0, Width - 1), y(0, Height - 1), step(-20, 20),
        radius(2, 40);
    std::uniform_real_distribution<double> wx(-800, 800), wy(-450, 450);
    std::vector<Figure> figures(1000000);
    for (Figure& f : figures)
        f = {x(random),      y(random),  step(random), step(random),
             radius(random), wx(random), wy(random)};

    const long lines = static_cast<long>(figures.size());
    Time("short lines, one pen", lines, [&](QtCanvas& canvas) {
        for (const Figure& f : figures) {
            canvas.setPen(AciToColor(7), 1, PenSolid);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    // A layout viewport: the direct raster keeps a rectangular clip, the painter takes any other.
    Time("short lines, rectangular clip", lines, [&](QtCanvas& canvas) {
        canvas.setClip({{{200, 100}, {1400, 100}, {1400, 800}, {200, 800}}});
        for (const Figure& f : figures) {
            canvas.setPen(AciToColor(7), 1, PenSolid);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    Time("short lines, octagon clip (QPainter)", lines, [&](QtCanvas& canvas) {
        canvas.setClip({{{500, 100},
                         {1100, 100},
                         {1400, 300},
                         {1400, 600},
                         {1100, 800},
                         {500, 800},
                         {200, 600},
                         {200, 300}}});
        for (const Figure& f : figures) {
            canvas.setPen(AciToColor(7), 1, PenSolid);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    Time("short lines, colour changes every 4", lines, [&](QtCanvas& canvas) {
        for (long i = 0; i < lines; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            canvas.setPen(AciToColor(1 + static_cast<int>(i / 4 % 8)), 1, PenSolid);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    Time("short dashed lines, one pen", lines, [&](QtCanvas& canvas) {
        for (const Figure& f : figures) {
            canvas.setPen(AciToColor(3), 1, PenDashDot);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    Time("short lines, 3 pixels wide (QPainter)", lines / 10, [&](QtCanvas& canvas) {
        for (long i = 0; i < lines / 10; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            canvas.setPen(AciToColor(3), 3, PenSolid);
            canvas.moveTo(f.x, f.y);
            canvas.lineTo(f.x + f.dx, f.y + f.dy);
        }
    });
    Time("single pixels", lines, [&](QtCanvas& canvas) {
        for (const Figure& f : figures)
            canvas.setPixel(f.x, f.y, AciToColor(6));
    });
    const long circles = 200000;
    Time("circles of radius 2 to 40", circles, [&](QtCanvas& canvas) {
        canvas.setPen(AciToColor(4), 1, PenSolid);
        for (long i = 0; i < circles; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            canvas.arc(f.x - f.r, f.y - f.r, f.x + f.r, f.y + f.r, f.x + f.r, f.y, f.x + f.r, f.y);
        }
    });
    Time("quarter arcs of radius 2 to 40", circles, [&](QtCanvas& canvas) {
        canvas.setPen(AciToColor(5), 1, PenSolid);
        for (long i = 0; i < circles; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            canvas.arc(f.x - f.r, f.y - f.r, f.x + f.r, f.y + f.r, f.x + f.r, f.y, f.x, f.y - f.r);
        }
    });
    Time("dashed circles (QPainter)", circles / 10, [&](QtCanvas& canvas) {
        canvas.setPen(AciToColor(4), 1, PenDash);
        for (long i = 0; i < circles / 10; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            canvas.arc(f.x - f.r, f.y - f.r, f.x + f.r, f.y + f.r, f.x + f.r, f.y, f.x + f.r, f.y);
        }
    });
    const long texts = 100000;
    // A text record laid out and drawn, as a redraw does; height 7 gives a cell of 10 pixels.
    const auto drawText = [](QtCanvas& canvas, const TTextBlk& text) {
        DrawDxfText(canvas, {Width / 2, Height / 2}, {}, 1, LayoutText(text),
                    {AciToColor(2), ColorBlack, ColorModeColor});
    };
    TTextBlk text;
    text.str = "No.12 部品";
    text.code40 = 7;
    Time("TEXT of 8 characters, 10 px cell", texts, [&](QtCanvas& canvas) {
        for (long i = 0; i < texts; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            text.pt10 = {f.wx, f.wy, 0};
            drawText(canvas, text);
        }
    });
    Time("TEXT of 8 characters, 10 px cell, rotated", texts, [&](QtCanvas& canvas) {
        text.code50 = 30;
        for (long i = 0; i < texts; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            text.pt10 = {f.wx, f.wy, 0};
            drawText(canvas, text);
        }
        text.code50 = 0;
    });
    Time("centred TEXT, 1000 distinct strings", texts, [&](QtCanvas& canvas) {
        text.code72 = 1;
        for (long i = 0; i < texts; ++i) {
            const Figure& f = figures[static_cast<std::size_t>(i)];
            text.str = "W" + std::to_string(i % 1000);
            text.pt11 = {f.wx, f.wy, 0};
            drawText(canvas, text);
        }
        text.code72 = 0;
    });
    return 0;
}
