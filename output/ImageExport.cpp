#include "output/ImageExport.h"

#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/metafile/MetafileCanvas.h"
#include "render/qt/QtCanvas.h"
#include "render/qt/RasterImages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <new>
#include <stdexcept>

namespace orvanta {

std::optional<ImageFormat> ImageFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("bmp")) return ImageFormat::Bmp;
    if (suffix == QLatin1String("png")) return ImageFormat::Png;
    if (suffix == QLatin1String("emf")) return ImageFormat::Emf;
    if (suffix == QLatin1String("wmf")) return ImageFormat::Wmf;
    if (suffix == QLatin1String("svg")) return ImageFormat::Svg;
    if (suffix == QLatin1String("pdf")) return ImageFormat::Pdf;
    return std::nullopt;
}

ImageRequest ViewRequest(const DrawView& view, int width, int height) {
    ImageRequest request;
    request.width = width;
    request.height = height;
    request.options.view = view;
    request.options.clipping = Clipping::ToView;
    return request;
}

ImageRequest WholeDrawingRequest(const Drawing& drawing, double zoom, int width, int height,
                                 std::optional<std::int16_t> space) {
    ImageRequest request;
    request.width = width;
    request.height = height;
    request.options.view = WholeDrawingView(drawing, width, height, space);
    request.options.view.zoom = zoom;
    request.options.clipping = Clipping::WholeExtent;
    return request;
}

int DrawImage(Drawing& drawing, const ImageRequest& request, Canvas& canvas) {
    canvas.setPen(ColorBlack, 1, PenSolid);
    if (!request.noBackground)
        ClearCanvas(canvas, request.width, request.height, request.options.backColor);
    DrawOptions options = request.options;
    options.view.origin = ViewOriginOf(request.width, request.height);
    options.view.pixW = request.width;
    options.view.pixH = request.height;
    const int count = DrawDxf(drawing, options, canvas);
    canvas.flush();
    return count;
}

QImage MakeBitmap(Drawing& drawing, const ImageRequest& request, TextShapeCache* shapes) {
    QImage image(request.width, request.height,
                 request.noBackground ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) return image;
    // A fresh bitmap's memory is undefined: without a background it starts transparent.
    if (request.noBackground) image.fill(Qt::transparent);
    QPainter painter(&image);
    QtCanvas canvas(painter, DefaultTextFace, shapes);
    DrawImage(drawing, request, canvas);
    return image;
}

namespace {

QByteArray EncodeBitmap(Drawing& drawing, const ImageRequest& request, const char* format,
                        TextShapeCache* shapes) {
    const QImage image = MakeBitmap(drawing, request, shapes);
    if (image.isNull()) throw std::bad_alloc();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw std::runtime_error(std::string("the ") + format + " writer failed");
    return bytes;
}

// Draws on a painter over a vector device (SVG or PDF).
void DrawOnDevice(Drawing& drawing, const ImageRequest& request, QPaintDevice& device,
                  TextShapeCache* shapes, const char* what) {
    QPainter painter;
    if (!painter.begin(&device)) throw std::runtime_error(std::string("cannot start the ") + what);
    {
        QtCanvas canvas(painter, DefaultTextFace, shapes);
        DrawImage(drawing, request, canvas);
    }
    if (!painter.end()) throw std::runtime_error(std::string("cannot complete the ") + what);
}

} // namespace

QByteArray EncodeImage(Drawing& drawing, const ImageRequest& request, ImageFormat format,
                       TextShapeCache* shapes) {
    switch (format) {
    case ImageFormat::Bmp:
        return EncodeBitmap(drawing, request, "BMP", shapes);
    case ImageFormat::Png:
        return EncodeBitmap(drawing, request, "PNG", shapes);
    case ImageFormat::Emf:
    case ImageFormat::Wmf: {
        QtRasterSource images;
        const auto canvas = MetafileCanvas::Create(
            format == ImageFormat::Emf ? MetafileKind::Emf : MetafileKind::Wmf, request.width,
            request.height, DefaultTextFace, &images);
        DrawImage(drawing, request, *canvas);
        const std::vector<char> bytes = canvas->finish();
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    case ImageFormat::Svg: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(request.width, request.height));
        svg.setViewBox(QRect(0, 0, request.width, request.height));
        DrawOnDevice(drawing, request, svg, shapes, "SVG picture");
        return bytes;
    }
    case ImageFormat::Pdf: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        {
            // One page of the picture's size, a pixel to a point.
            QPdfWriter pdf(&buffer);
            pdf.setResolution(72);
            pdf.setPageLayout(
                QPageLayout(QPageSize(QSizeF(request.width, request.height), QPageSize::Point,
                                      QString(), QPageSize::ExactMatch),
                            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
            DrawOnDevice(drawing, request, pdf, shapes, "PDF page");
        }
        return bytes;
    }
    }
    throw std::logic_error("unknown image format");
}

QString WriteFileReplacing(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return QString();
}

} // namespace orvanta
