// Drawings dragged out of the window: the files travel as a list of file URIs, which CAD programs,
// file managers, mail and chat windows all take.
#pragma once

#include <QMimeData>
#include <QStringList>

#include <memory>

class QWidget;

namespace orvanta {

// The data a drag of the files `paths` (full paths) carries: "text/uri-list" with one file URI
// each. Null when `paths` is empty.
std::unique_ptr<QMimeData> DrawingFilesMimeData(const QStringList& paths);

// Drags the files `paths` out of `source`. The files are only ever offered as copies, so that a
// file manager never moves a drawing away from its folder.
void DragDrawingFiles(QWidget* source, const QStringList& paths);

} // namespace orvanta
