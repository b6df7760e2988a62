// The render command's loading and drawing, shared with the other commands that draw.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/qt/QtCanvas.h"

#include <QGuiApplication>
#include <QPainter>

#include <memory>
#include <string>

namespace orvanta::cli {

struct RenderOptions {
    int width = 1600;
    int height = 900;
    int colorMode = 0;
    TColor background = 0x000000;
    int penWidth = 1;
};

// A decimal number of at most nine digits from low to high into `value`; false leaves it alone.
bool ParseInt(const std::string& text, int low, int high, int& value);

// Clears the device and draws the whole drawing on it, fitted as after opening.
void DrawWhole(Drawing& drawing, QPainter& painter, const RenderOptions& options,
               TextShapeCache& shapes);

// The GUI application fonts and painting need, on the offscreen platform unless the environment
// chooses one. Qt's notes are kept off stderr but for critical ones; a missing text face is
// reported there.
std::unique_ptr<QGuiApplication> StartPainting();

} // namespace orvanta::cli
