// The render command's loading and drawing, shared with the other commands that draw.
#pragma once

#include "cli/CommandSupport.h"
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
    bool lineweights = false;
};

// Clears the device and draws the whole drawing on it, fitted as after opening.
void DrawWhole(Drawing& drawing, QPainter& painter, const RenderOptions& options,
               TextShapeCache& shapes);

} // namespace orvanta::cli
