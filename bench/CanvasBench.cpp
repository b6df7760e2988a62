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

namespace {

using namespace orvanta;

constexpr int Width = 1600;
constexpr int Height = 900;

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
    std::uniform_int_distribution<int> x(0, Width - 1), y(0, Height - 1), step(-20, 20);

    constexpr long lines = 1000000;
    Time("short lines, one pen", lines, [&](QtCanvas& canvas) {
        for (long i = 0; i < lines; ++i) {
            const int x0 = x(random), y0 = y(random);
            canvas.setPen(AciToColor(7), 1, PenSolid);
            canvas.moveTo(x0, y0);
            canvas.lineTo(x0 + step(random), y0 + step(random));
        }
    });
    Time("short lines, colour changes every 4", lines, [&](QtCanvas& canvas) {
        for (long i = 0; i < lines; ++i) {
            const int x0 = x(random), y0 = y(random);
            canvas.setPen(AciToColor(1 + static_cast<int>(i / 4 % 8)), 1, PenSolid);
            canvas.moveTo(x0, y0);
            canvas.lineTo(x0 + step(random), y0 + step(random));
        }
    });
    Time("short dashed lines, one pen", lines, [&](QtCanvas& canvas) {
        for (long i = 0; i < lines; ++i) {
            const int x0 = x(random), y0 = y(random);
            canvas.setPen(AciToColor(3), 1, PenDashDot);
            canvas.moveTo(x0, y0);
            canvas.lineTo(x0 + step(random), y0 + step(random));
        }
    });
    constexpr long circles = 200000;
    std::uniform_int_distribution<int> radius(2, 40);
    Time("circles of radius 2 to 40", circles, [&](QtCanvas& canvas) {
        canvas.setPen(AciToColor(4), 1, PenSolid);
        for (long i = 0; i < circles; ++i) {
            const int cx = x(random), cy = y(random), r = radius(random);
            canvas.arc(cx - r, cy - r, cx + r, cy + r, cx + r, cy, cx + r, cy);
        }
    });
    Time("quarter arcs of radius 2 to 40", circles, [&](QtCanvas& canvas) {
        canvas.setPen(AciToColor(5), 1, PenSolid);
        for (long i = 0; i < circles; ++i) {
            const int cx = x(random), cy = y(random), r = radius(random);
            canvas.arc(cx - r, cy - r, cx + r, cy + r, cx + r, cy, cx, cy - r);
        }
    });
    constexpr long texts = 100000;
    std::uniform_real_distribution<double> wx(-800, 800), wy(-450, 450);
    Time("TEXT of 8 characters, 10 px cell", texts, [&](QtCanvas& canvas) {
        for (long i = 0; i < texts; ++i) {
            DrawDxfText(canvas, {Width / 2, Height / 2}, "No.12 部品", {wx(random), wy(random), 0},
                        {}, {}, 0, 0, 8, 1, 0, AciToColor(2), 0, false, 1);
        }
    });
    Time("TEXT of 8 characters, 10 px cell, rotated", texts, [&](QtCanvas& canvas) {
        for (long i = 0; i < texts; ++i) {
            DrawDxfText(canvas, {Width / 2, Height / 2}, "No.12 部品", {wx(random), wy(random), 0},
                        {}, {}, 0, 0, 8, 1, 30, AciToColor(2), 0, false, 1);
        }
    });
    return 0;
}
