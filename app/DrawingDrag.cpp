#include "app/DrawingDrag.h"

#include <QDrag>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace orvanta {

std::unique_ptr<QMimeData> DrawingFilesMimeData(const QStringList& paths) {
    if (paths.isEmpty()) return nullptr;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

void DragDrawingFiles(QWidget* source, const QStringList& paths) {
    std::unique_ptr<QMimeData> data = DrawingFilesMimeData(paths);
    if (!data) return;
    // The drag owns its data and deletes itself once the drop is over.
    auto* drag = new QDrag(source);
    drag->setMimeData(data.release());
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

} // namespace orvanta
