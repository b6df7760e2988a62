// The render command's loading and drawing, shared with the other commands that draw.
#pragma once

#include "cli/CommandSupport.h"
#include "model/AcadDxfUnit.h"
#include "output/ImageExport.h"
#include "render/qt/QtCanvas.h"

#include <QGuiApplication>
#include <QPainter>

#include <memory>
#include <string>

namespace orvanta::cli {

// Clears the device and draws the whole of the model (space 0) or a layout's sheet on it, fitted
// as after opening, at the request's size, in its colours and with its pen; the request's own
// view is not used.
void DrawWhole(Drawing& drawing, std::int16_t space, QPainter& painter, const ImageRequest& request,
               TextShapeCache& shapes);

} // namespace orvanta::cli
