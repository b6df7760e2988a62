#include "output/Printing.h"

#include "model/Abort.h"
#include "model/Language.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <new>

namespace orvanta {

namespace {

constexpr TColor White = 0xFFFFFF;

// The caption font: IPAGothic's cell (ascent + descent) is 1.0756 em, so the pixel size is
// chosen for a cell of `cellHeight` pixels.
QFont CaptionFont(int cellHeight) {
    QFont font = TextQFont();
    font.setPixelSize(std::max(1, static_cast<int>(cellHeight / 1.0756)));
    return font;
}

// Draws `text` with its cell's top-left corner at (x, y).
void DrawCaption(QPainter& painter, int x, int y, const QString& text) {
    const QFontMetricsF metrics(painter.font());
    painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

QPen BlackPen() {
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    pen.setWidth(1);
    return pen;
}

// Draws the drawing into the `pixW` x `pixH` box centred on `origin`, with nothing outside the
// box: the painter is clipped to it, so a part of the drawing outside never shows through.
void DrawInBox(QPainter& painter, const Drawing& drawing, const DrawView& view, ColorModeValue cosw,
               Clipping clipping, const QRect& box, const LineweightDisplay& lineweights) {
    painter.save();
    painter.setClipRect(box);
    {
        QtCanvas canvas(painter);
        DrawOptions options;
        options.view = view;
        options.backColor = White;
        options.colorMode = cosw;
        options.penWidth = 1;
        options.clipping = clipping;
        options.lineweights = lineweights;
        DrawDxf(drawing, options, canvas);
    }
    painter.restore();
}

// Lineweights at the page's resolution, when they are shown.
LineweightDisplay LineweightsOn(const PageGeometry& g, bool shown) {
    return {shown, g.metrics.pxPerMmX * 25.4};
}

// The whole of `sheet` of the drawing (what it opens in when it has no such layout) fitted into
// a box of pixW x pixH around `origin`.
DrawView WholeView(const Drawing& drawing, const std::string& sheet, TPoint origin, int pixW,
                   int pixH) {
    std::int16_t space = OpeningSpace(drawing);
    SpaceOfSheetChoice(drawing, sheet, space);
    DrawView view = WholeDrawingView(drawing, pixW, pixH, space);
    view.origin = origin;
    return view;
}

// A short reason for a cell left empty.
std::string CellReason(const LoadedDrawing& loaded) {
    const bool japanese = TextLanguage() == Language::Japanese;
    if (loaded.outcome == LoadOutcome::NotLoaded)
        return "DWG " + loaded.versionName +
               (japanese ? ": 変換プログラムが未設定" : ": no converter is registered");
    std::string reason = loaded.failure.reason();
    // The cell already names the file: a reason that starts with its path ("path:line: ...")
    // keeps only what follows.
    const std::string& file = loaded.failure.file;
    if (!file.empty() && reason.compare(0, file.size(), file) == 0) {
        const auto colon = reason.find(": ", file.size());
        if (colon != std::string::npos) reason.erase(0, colon + 2);
    }
    if (!reason.empty()) return reason;
    return japanese ? "読めません" : "cannot be read";
}

void BeginDocument(QPainter& painter, QPagedPaintDevice& device) {
    if (!painter.begin(&device)) throw PrintError("印刷を開始できません (出力先に書き込めません)");
}

} // namespace

PageMetrics MetricsOf(const QPagedPaintDevice& device) {
    PageMetrics metrics;
    metrics.pageW = device.width();
    metrics.pageH = device.height();
    metrics.pxPerMmX = device.widthMM() > 0 ? double(device.width()) / device.widthMM() : 1;
    metrics.pxPerMmY = device.heightMM() > 0 ? double(device.height()) / device.heightMM() : 1;
    return metrics;
}

PageGeometry ComputePageGeometry(const PageMetrics& metrics) {
    PageGeometry g;
    g.metrics = metrics;
    g.left = g.mmX(20) - metrics.offsetX;
    g.top = g.mmY(20) - metrics.offsetY;
    g.areaW = std::max(1, metrics.pageW - g.mmX(30));
    g.areaH = std::max(1, metrics.pageH - g.mmY(30));
    g.strip = g.mmY(5);
    g.captionHeight = g.mmY(3);
    return g;
}

int PrintRows(int columns, bool landscape) {
    return landscape ? columns : 2 * columns;
}

int PrintPages(int files, int columns, int rows) {
    const int perPage = std::max(1, columns * rows);
    return std::max(1, (files + perPage - 1) / perPage);
}

PrintReport PrintAll(QPagedPaintDevice& device, const ListPrintRequest& request,
                     PrintMonitor& monitor) {
    PrintReport report;
    const int retu = std::clamp(request.retu, 1, 64);
    const int gyou = std::clamp(request.gyou, 1, 128);
    const PageGeometry g = ComputePageGeometry(MetricsOf(device));
    const int cellW = g.areaW / retu;
    const int cellH = g.areaH / gyou;
    const int files = static_cast<int>(request.names.size());
    const int pages = PrintPages(files, retu, gyou);

    // The bar moves in about fifty steps however many files there are.
    int step = files / 50;
    int progress = 1;
    if (step == 0) {
        step = 1;
        monitor.setProgressRange(files + 1);
    } else {
        monitor.setProgressRange(51);
    }
    monitor.setProgress(progress);

    std::filesystem::path folder(request.folder);
    QPainter painter;
    BeginDocument(painter, device);
    const QFont captionFont = CaptionFont(g.captionHeight);
    const QFontMetricsF captionMetrics(captionFont, &device);
    const auto width = [&](const QString& text) { return captionMetrics.horizontalAdvance(text); };

    // The document is ended on every way out, so the pages done are printed and no job stays
    // open; QPainter::end() ends it.
    struct EndDocument {
        QPainter& painter;
        ~EndDocument() {
            if (painter.isActive()) painter.end();
        }
    } endDocument{painter};

    for (int p = 0; p < pages && !report.stopped; ++p) {
        if (p > 0) device.newPage();
        ++report.pages;
        painter.setFont(captionFont);
        painter.setPen(BlackPen());
        const QString number = QStringLiteral("%1 / %2").arg(p + 1).arg(pages);
        const int right = cellW * retu + g.left;
        DrawCaption(painter, right - static_cast<int>(width(number)), g.top - g.mmY(4), number);

        for (int j = 0; j < gyou && !report.stopped; ++j) {
            for (int k = 0; k < retu && !report.stopped; ++k) {
                const int n = p * retu * gyou + j * retu + k + 1;
                if (n % step == 0) monitor.setProgress(++progress);
                const int cx = static_cast<int>(cellW * (k + 0.5)) + g.left;
                const int cy = static_cast<int>(cellH * (j + 0.5)) + g.top;
                const int x0 = cx - cellW / 2;
                const int y0 = cy - cellH / 2;

                QString reason;
                if (n <= files) {
                    const std::string& name = request.names[n - 1];
                    const std::string path = (folder / name).string();
                    std::string why;
                    LoadedDrawing loaded;
                    try {
                        LoadOptions options;
                        options.converter = request.converter;
                        monitor.setStatus(QString::fromStdString(name));
                        loaded = LoadDrawingFile(path, options);
                        monitor.setStatus(QString());
                        if (loaded.outcome == LoadOutcome::Loaded) {
                            const QRect box(x0 + 1, y0 + g.strip + 1, cellW - 1,
                                            cellH - g.strip - 1);
                            DrawInBox(painter, loaded.drawing,
                                      WholeView(loaded.drawing, request.sheet,
                                                {cx, cy + g.strip / 2}, cellW, cellH - g.strip),
                                      request.cosw, Clipping::WholeExtent, box,
                                      LineweightsOn(g, request.lineweights));
                            ++report.drawn;
                        } else {
                            why = CellReason(loaded);
                        }
                    } catch (const std::bad_alloc&) {
                        why = TextLanguage() == Language::Japanese ? "メモリが足りません"
                                                                   : "not enough memory";
                    } catch (const std::exception& e) {
                        why = e.what();
                    }
                    monitor.setStatus(QString());
                    monitor.fileRead(n - 1, loaded, why);
                    loaded = LoadedDrawing();
                    if (!why.empty()) {
                        report.failures.push_back({name, why});
                        reason = QString::fromStdString(why);
                    }
                    painter.setFont(captionFont);
                    painter.setPen(BlackPen());
                    painter.setBrush(Qt::NoBrush);
                    painter.drawLine(x0, y0 + g.strip, x0 + cellW / 2 * 2, y0 + g.strip);
                    const QString caption = QString::fromStdString(name);
                    DrawCaption(painter, x0 + g.mmX(2.5), y0 + g.mmY(1),
                                CutCaption(caption, cellW - g.mmX(5), width));
                    if (!reason.isEmpty()) {
                        // The reason goes where the drawing would have been, cut to the cell.
                        DrawCaption(painter, x0 + g.mmX(2.5), y0 + g.strip + g.mmY(2),
                                    CutCaption(reason, cellW - g.mmX(5), width));
                    }
                }
                painter.setPen(BlackPen());
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(x0, y0, cellW / 2 * 2, cellH / 2 * 2);
                if (!monitor.keepPrinting()) report.stopped = true;
            }
        }
    }
    painter.end();
    monitor.setStatus(QString());
    monitor.setProgress(++progress);
    return report;
}

void PrintZoom(QPagedPaintDevice& device, const Drawing& drawing, const DrawView& view,
               const QString& caption, PrintRange hanisw, ColorModeValue cosw, bool lineweights) {
    const PageGeometry g = ComputePageGeometry(MetricsOf(device));
    const int cx = g.areaW / 2 + g.left;
    const int cy = g.areaH / 2 + g.top;
    const int x0 = cx - g.areaW / 2;
    const int y0 = cy - g.areaH / 2;
    const TPoint origin{cx, cy + g.strip / 2};
    const int pixW = g.areaW;
    const int pixH = g.areaH - g.strip;

    DrawView drawView;
    Clipping clipping = Clipping::WholeExtent;
    // The page shows what the view shows, the model or a sheet.
    if (hanisw == PrintRange::View) {
        drawView = {view.center, view.drawW, view.drawH,      origin,
                    pixW,        pixH,       DefaultZoomRate, view.space};
        clipping = Clipping::ToView;
    } else {
        drawView = WholeDrawingView(drawing, pixW, pixH, view.space);
        drawView.origin = origin;
    }

    QPainter painter;
    BeginDocument(painter, device);
    const QRect box(x0 + 1, y0 + g.strip + 1, g.areaW - 1, g.areaH - g.strip - 1);
    try {
        DrawInBox(painter, drawing, drawView, cosw, clipping, box, LineweightsOn(g, lineweights));
    } catch (...) {
        painter.end();
        throw;
    }
    // Whatever lies outside the frame is white: the drawing is cut at the frame and the
    // caption strip stays clear.
    const QColor white(Qt::white);
    painter.fillRect(0, 0, g.metrics.pageW, y0 + g.strip, white);
    painter.fillRect(0, 0, g.left, g.metrics.pageH, white);
    painter.fillRect(g.left + g.areaW, 0, g.metrics.pageW, g.metrics.pageH, white);
    painter.fillRect(0, g.top + g.areaH, g.metrics.pageW, g.metrics.pageH, white);

    painter.setPen(BlackPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(x0, y0, g.areaW / 2 * 2, g.areaH / 2 * 2);
    painter.drawLine(x0, y0 + g.strip, x0 + g.areaW / 2 * 2, y0 + g.strip);
    painter.setFont(CaptionFont(g.captionHeight));
    DrawCaption(painter, x0 + g.mmX(2.5), y0 + g.mmY(1), caption);
    painter.end();
}

} // namespace orvanta
