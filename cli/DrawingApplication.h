// The Qt application of a command that draws: fonts and painting need one, but no display.
#pragma once

#include <QGuiApplication>

#include <memory>

namespace orvanta::cli {

// Starts it on the offscreen platform unless another is asked for, passes on only Qt's critical
// messages (its notes would bury the command's one-line errors) and warns when the text face is
// missing.
std::unique_ptr<QGuiApplication> StartDrawingApplication();

} // namespace orvanta::cli
