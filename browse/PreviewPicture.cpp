#include "browse/PreviewPicture.h"

#include "bridges/DwgPreview.h"
#include "bridges/qt/PreviewQImage.h"
#include "dxf/DxfVersion.h"
#include "load/LoadDrawing.h"
#include "model/Abort.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"

#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include <memory>
#include <new>

namespace orvanta {

namespace {

bool HasDxfExtension(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("dxf"), Qt::CaseInsensitive) == 0;
}

QImage BlankPicture(QSize size) {
    QImage picture(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

QImage DrawnPicture(const Drawing& drawing, QSize size, ColorModeValue colorMode,
                    TextShapeCache* shapes, const std::string& sheet) {
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) throw std::bad_alloc();
    QPainter painter(&picture);
    QtCanvas canvas(painter, DefaultTextFace, shapes);
    ClearCanvas(canvas, size.width(), size.height(), 0x000000);
    DrawOptions options;
    std::int16_t space = OpeningSpace(drawing);
    SpaceOfSheetChoice(drawing, sheet, space);
    options.view = WholeDrawingView(drawing, size.width(), size.height(), space);
    options.backColor = 0x000000;
    options.colorMode = colorMode;
    options.clipping = Clipping::WholeExtent;
    DrawDxf(drawing, options, canvas);
    return picture;
}

QImage DxfPicture(const QString& path, QSize size, ColorModeValue colorMode, PreviewFacts& facts,
                  TextShapeCache* shapes, const std::atomic<bool>* stop, const std::string& sheet,
                  std::shared_ptr<const FileEncodings> encodings) {
    StopSink progress(stop);
    LoadOptions options;
    options.progress = &progress;
    options.encodings = std::move(encodings);
    const LoadedDrawing loaded = LoadDrawingFile(path.toStdString(), options);
    facts.version = QString::fromStdString(loaded.versionName);
    if (loaded.kind != DrawingFileKind::Dxf) facts.kind = QStringLiteral("BinaryDXF");
    switch (loaded.outcome) {
    case LoadOutcome::Loaded:
        facts.drawn = true;
        return DrawnPicture(loaded.drawing, size, colorMode, shapes, sheet);
    case LoadOutcome::NotLoaded:
        return BlankPicture(size);
    case LoadOutcome::Failed:
        break;
    }
    if (loaded.failure.inUse()) facts.kind = QStringLiteral("busy");
    // Some reasons name the file and line already; they are not named twice.
    facts.failure = QString::fromStdString(loaded.failure.message());
    return BlankPicture(size);
}

QImage DwgPicture(const QString& path, QSize size, PreviewFacts& facts) {
    const std::string file = path.toStdString();
    std::string signature;
    ProbeFileSignature(file, signature);
    std::string name;
    DwgVersionName(signature, name);
    facts.version = QString::fromStdString(name);
    facts.kind = QStringLiteral("DWG");
    const DwgPreview preview = ReadDwgPreview(file);
    if (preview.status == DwgPreview::Status::Failed) {
        facts.failure = path + QStringLiteral(": ") + QString::fromStdString(preview.reason());
        return BlankPicture(size);
    }
    const QImage stored = ToQImage(preview.image);
    if (stored.isNull()) return BlankPicture(size);
    facts.drawn = true;
    // Stretched over the whole cell, as the grid has always shown them: the aspect is not kept.
    return stored.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

QString PreviewCachePath(const QString& drawingPath) {
    const QFileInfo file(drawingPath);
    const QString suffix = file.suffix();
    QString base = drawingPath;
    if (!suffix.isEmpty() || drawingPath.endsWith(QLatin1Char('.'))) base.chop(suffix.size() + 1);
    return base +
           (HasDxfExtension(drawingPath) ? QStringLiteral("_DXF.bmp") : QStringLiteral("_DWG.bmp"));
}

QImage MakePreviewPicture(const QString& path, QSize size, ColorModeValue colorMode,
                          PreviewFacts* facts, TextShapeCache* shapes,
                          const std::atomic<bool>* stop, const std::string& sheet,
                          std::shared_ptr<const FileEncodings> encodings) {
    PreviewFacts local;
    PreviewFacts& found = facts ? *facts : local;
    found = PreviewFacts{};
    size = size.expandedTo(QSize(1, 1));
    try {
        const QString cache = PreviewCachePath(path);
        if (QFileInfo(cache).isFile()) {
            QImage cached(cache, "BMP");
            if (!cached.isNull()) {
                found.fromCache = true;
                found.drawn = true;
                return cached.convertToFormat(QImage::Format_RGB32);
            }
            // A damaged cache file is passed over: the drawing itself still gives its picture.
        }
        if (HasDxfExtension(path))
            return DxfPicture(path, size, colorMode, found, shapes, stop, sheet,
                              std::move(encodings));
        return DwgPicture(path, size, found);
    } catch (const std::bad_alloc&) {
        found.failure = QString::fromStdString(
            LoadFailure{path.toStdString(), 0, LoadProblem::NotEnoughMemory}.message());
    } catch (const DxfReadError& e) {
        found.failure = QString::fromStdString(FailureOf(e).message());
    } catch (const std::exception& e) {
        found.failure = path + QStringLiteral(": ") + QString::fromUtf8(e.what());
    }
    found.drawn = false;
    return BlankPicture(size);
}

QString SavePreviewCache(const QImage& picture, const QString& cachePath) {
    QSaveFile file(cachePath);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (!picture.save(&file, "BMP")) {
        file.cancelWriting();
        return QStringLiteral("the picture could not be written");
    }
    if (!file.commit()) return file.errorString();
    return {};
}

} // namespace orvanta
