#include "output/Printing.h"

#include "geometry/Layouts.h"
#include "geometry/PrintScale.h"
#include "model/Abort.h"
#include "model/Language.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
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

// A plot style table prints its own colours and lineweights: the drawing in colour, with its
// lineweights, once the table has been applied to it.
ColorModeValue StyledMode(const PlotStyleTable* style, ColorModeValue cosw) {
    return style ? ColorModeColor : cosw;
}
bool StyledWeights(const PlotStyleTable* style, bool lineweights) {
    return style || lineweights;
}

// Lineweights at the page's resolution, when they are shown.
LineweightDisplay LineweightsOn(const PageGeometry& g, bool shown) {
    return {shown, g.metrics.pxPerMmX * 25.4};
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

// Why printing stopped short of a drawing, as its cell or page says it.
std::string OutOfMemoryReason() {
    return TextLanguage() == Language::Japanese ? "メモリが足りません" : "not enough memory";
}

// A drawing loaded for printing, with the plot style table applied and the sheet chosen; `why`
// says why it cannot be printed (empty when it can).
struct PrintedDrawing {
    LoadedDrawing loaded;
    std::int16_t space = 0;
    std::string why;
};

PrintedDrawing LoadForPrint(const std::string& path, DrawingConverter* converter,
                            std::shared_ptr<const FileEncodings> encodings,
                            const std::string& sheet, const PlotStyleTable* style) {
    PrintedDrawing result;
    try {
        LoadOptions options;
        options.converter = converter;
        options.encodings = std::move(encodings);
        result.loaded = LoadDrawingFile(path, options);
        if (result.loaded.outcome != LoadOutcome::Loaded) {
            result.why = CellReason(result.loaded);
        } else {
            if (style) ApplyPlotStyle(result.loaded.drawing, *style);
            result.space = OpeningSpace(result.loaded.drawing);
            SpaceOfSheetChoice(result.loaded.drawing, sheet, result.space);
        }
    } catch (const std::bad_alloc&) {
        result.why = OutOfMemoryReason();
    } catch (const std::exception& e) {
        result.why = e.what();
    }
    return result;
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
                    monitor.setStatus(QString::fromStdString(name));
                    PrintedDrawing printed = LoadForPrint(
                        path, request.converter, request.encodings, request.sheet, request.style);
                    std::string why = printed.why;
                    if (why.empty()) {
                        try {
                            const QRect box(x0 + 1, y0 + g.strip + 1, cellW - 1,
                                            cellH - g.strip - 1);
                            DrawView view = WholeDrawingView(printed.loaded.drawing, cellW,
                                                             cellH - g.strip, printed.space);
                            view.origin = {cx, cy + g.strip / 2};
                            DrawInBox(painter, printed.loaded.drawing, view,
                                      StyledMode(request.style, request.cosw),
                                      Clipping::WholeExtent, box,
                                      LineweightsOn(
                                          g, StyledWeights(request.style, request.lineweights)));
                            ++report.drawn;
                        } catch (const std::bad_alloc&) {
                            why = OutOfMemoryReason();
                        } catch (const std::exception& e) {
                            why = e.what();
                        }
                    }
                    monitor.setStatus(QString());
                    monitor.fileRead(n - 1, printed.loaded, why);
                    printed = PrintedDrawing();
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

namespace {

// Where a one-page print draws: the frame below the caption strip, in device pixels.
struct FramedPage {
    PageGeometry g;
    QRect frame;     // the frame around strip and drawing
    QRect box;       // inside the frame, below the strip: where the drawing goes
    TPoint origin{}; // the box's centre pixel
};

FramedPage FramedPageOf(const PageGeometry& g) {
    FramedPage page;
    page.g = g;
    const int cx = g.areaW / 2 + g.left;
    const int cy = g.areaH / 2 + g.top;
    page.frame = QRect(cx - g.areaW / 2, cy - g.areaH / 2, g.areaW, g.areaH);
    page.box = QRect(page.frame.left() + 1, page.frame.top() + g.strip + 1, g.areaW - 1,
                     g.areaH - g.strip - 1);
    page.origin = {cx, cy + g.strip / 2};
    return page;
}

// The page's frame box in millimetres, for a paper of `paper` millimetres.
QSizeF FrameBoxMm(QSizeF paper) {
    // The margins of ComputePageGeometry (20 + 10 mm) and the 5 mm caption strip.
    return {std::max(0.0, paper.width() - 30), std::max(0.0, paper.height() - 30 - 5)};
}

// The view a framed page draws: the range centred in the box, fitted or at the ratio.
DrawView FramedView(const Drawing& drawing, const DrawView& view, const FramedPage& page,
                    const PagePrintOptions& options, Clipping& clipping) {
    const int pixW = page.g.areaW;
    const int pixH = page.g.areaH - page.g.strip;
    DrawView drawView;
    clipping = Clipping::WholeExtent;
    if (options.range == PrintRange::View) {
        drawView = {view.center, view.drawW, view.drawH,      page.origin,
                    pixW,        pixH,       DefaultZoomRate, view.space};
        clipping = Clipping::ToView;
    } else {
        drawView = WholeDrawingView(drawing, pixW, pixH, view.space);
        drawView.origin = page.origin;
    }
    if (options.scale.kind == PrintScaleChoice::Kind::Ratio && options.scale.ratio > 0) {
        // At 1 : N a drawing unit is unitMm / N paper millimetres, whatever the range's size:
        // the range keeps its centre and what does not fit is cut at the frame.
        const double unitsPerPixel =
            options.scale.ratio / (MillimetresPerUnit(drawing.InsUnits) * page.g.metrics.pxPerMmX);
        drawView.drawW = pixW * unitsPerPixel;
        drawView.drawH = pixH * unitsPerPixel;
        drawView.zoom = 1;
        clipping = Clipping::ToView;
    }
    return drawView;
}

QString ScaleCaption(const PagePrintOptions& options, QSizeF paper) {
    if (options.scale.kind != PrintScaleChoice::Kind::Ratio) return {};
    return QStringLiteral("1:%1 %2").arg(options.scale.ratio, 0, 'g', 10).arg(PaperCaption(paper));
}

QSizeF PaperOf(const QPagedPaintDevice& device) {
    return device.pageLayout().fullRect(QPageLayout::Millimeter).size();
}

// Draws a framed page on the open document: the caption strip, the frame and the drawing cut at
// it (nothing of the drawing shows outside).
void DrawFramedPage(QPainter& painter, const QPagedPaintDevice& device, const Drawing* drawing,
                    const DrawView& view, const QString& caption, const PagePrintOptions& options,
                    const QString& reason = {}) {
    const FramedPage page = FramedPageOf(ComputePageGeometry(MetricsOf(device)));
    const PageGeometry& g = page.g;
    if (drawing) {
        Clipping clipping = Clipping::WholeExtent;
        const DrawView drawView = FramedView(*drawing, view, page, options, clipping);
        DrawInBox(painter, *drawing, drawView, StyledMode(options.style, options.cosw), clipping,
                  page.box, LineweightsOn(g, StyledWeights(options.style, options.lineweights)));
    }
    // Whatever lies outside the frame is white: the drawing is cut at the frame and the
    // caption strip stays clear.
    const QColor white(Qt::white);
    const QRect& frame = page.frame;
    painter.fillRect(0, 0, g.metrics.pageW, frame.top() + g.strip, white);
    painter.fillRect(0, 0, g.left, g.metrics.pageH, white);
    painter.fillRect(g.left + g.areaW, 0, g.metrics.pageW, g.metrics.pageH, white);
    painter.fillRect(0, g.top + g.areaH, g.metrics.pageW, g.metrics.pageH, white);

    painter.setPen(BlackPen());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.left(), frame.top(), g.areaW / 2 * 2, g.areaH / 2 * 2);
    painter.drawLine(frame.left(), frame.top() + g.strip, frame.left() + g.areaW / 2 * 2,
                     frame.top() + g.strip);
    const QFont font = CaptionFont(g.captionHeight);
    painter.setFont(font);
    const QString scale = ScaleCaption(options, PaperOf(device));
    const QFontMetricsF metrics(font, &device);
    const auto width = [&](const QString& text) { return metrics.horizontalAdvance(text); };
    int available = g.areaW - g.mmX(5);
    if (!scale.isEmpty()) {
        // The scale stands at the strip's right end; the caption is cut before it.
        const int scaleWidth = static_cast<int>(width(scale));
        DrawCaption(painter, frame.left() + g.areaW - g.mmX(2.5) - scaleWidth,
                    frame.top() + g.mmY(1), scale);
        available -= scaleWidth + g.mmX(5);
    }
    DrawCaption(painter, frame.left() + g.mmX(2.5), frame.top() + g.mmY(1),
                CutCaption(caption, std::max(0, available), width));
    if (!reason.isEmpty())
        DrawCaption(painter, frame.left() + g.mmX(2.5), page.box.top() + g.mmY(2),
                    CutCaption(reason, g.areaW - g.mmX(5), width));
}

// Draws the layout of `space` over the whole page as its author plots it: the page is its
// paper, the paper space's units at the plot scale.
void DrawSheetPage(QPainter& painter, const QPagedPaintDevice& device, const Drawing& drawing,
                   std::int16_t space, const PagePrintOptions& options) {
    const TLayout& layout =
        drawing.LayoutAry[static_cast<std::size_t>(LayoutOfSpace(drawing, space))];
    const PageGeometry g = ComputePageGeometry(MetricsOf(device));
    const double unitsPerPixel = 1 / (layout.paperMmPerUnit * g.metrics.pxPerMmX);
    DrawView view;
    view.space = space;
    view.center = {(layout.paperMin.x + layout.paperMax.x) / 2,
                   (layout.paperMin.y + layout.paperMax.y) / 2, 0};
    view.pixW = g.metrics.pageW;
    view.pixH = g.metrics.pageH;
    view.drawW = view.pixW * unitsPerPixel;
    view.drawH = view.pixH * unitsPerPixel;
    view.zoom = 1;
    view.origin = {g.metrics.pageW / 2, g.metrics.pageH / 2};
    DrawInBox(painter, drawing, view, StyledMode(options.style, options.cosw), Clipping::ToView,
              QRect(0, 0, g.metrics.pageW, g.metrics.pageH),
              LineweightsOn(g, StyledWeights(options.style, options.lineweights)));
}

// The page a drawing is printed on: its sheet's paper when it is printed as plotted, else
// `paper` (upright or turned as given).
void SetPaper(QPagedPaintDevice& device, QSizeF paper) {
    device.setPageLayout(PageLayoutOf(paper));
}

bool PrintsAsPlotted(const Drawing& drawing, std::int16_t space, const PagePrintOptions& options) {
    return options.scale.kind == PrintScaleChoice::Kind::Sheet &&
           options.range == PrintRange::Whole && SheetPaper(drawing, space).has_value();
}

} // namespace

std::optional<QSizeF> SheetPaper(const Drawing& drawing, std::int16_t space) {
    const int index = LayoutOfSpace(drawing, space);
    if (index < 0) return std::nullopt;
    const TLayout& layout = drawing.LayoutAry[static_cast<std::size_t>(index)];
    if (!(layout.paperMmPerUnit > 0)) return std::nullopt;
    const QSizeF size((layout.paperMax.x - layout.paperMin.x) * layout.paperMmPerUnit,
                      (layout.paperMax.y - layout.paperMin.y) * layout.paperMmPerUnit);
    if (!(size.width() > 0 && size.height() > 0 && size.width() < 1e5 && size.height() < 1e5))
        return std::nullopt;
    return size;
}

double RangeShareOnPage(const Drawing& drawing, const DrawView& view, PrintRange range,
                        double ratio, QSizeF paper) {
    double w = view.drawW, h = view.drawH;
    if (range == PrintRange::Whole) {
        const DrawView whole = WholeDrawingView(drawing, 1000, 1000, view.space);
        w = whole.drawW;
        h = whole.drawH;
    }
    const QSizeF box = FrameBoxMm(paper);
    return ShareOnPaper(w, h, box.width(), box.height(), ratio,
                        MillimetresPerUnit(drawing.InsUnits));
}

QPageLayout PageLayoutOf(QSizeF paper) {
    const bool landscape = paper.width() > paper.height();
    const QSizeF upright = landscape ? paper.transposed() : paper;
    QPageLayout layout(
        QPageSize(upright, QPageSize::Millimeter, PaperCaption(upright), QPageSize::ExactMatch),
        landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    // Margins are placed by the print code from the paper's edges.
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

QString PaperCaption(QSizeF paper) {
    if (const std::optional<PaperSize> standard = PaperOfSize(paper.width(), paper.height()))
        return QString::fromUtf8(standard->name.data(),
                                 static_cast<qsizetype>(standard->name.size()));
    return QStringLiteral("%1 x %2 mm")
        .arg(std::round(paper.width()), 0, 'f', 0)
        .arg(std::round(paper.height()), 0, 'f', 0);
}

void PrintZoom(QPagedPaintDevice& device, const Drawing& drawing, const DrawView& view,
               const QString& caption, const PagePrintOptions& options) {
    // A plot style table changes the pens of a copy: the window's drawing stays as it is.
    std::optional<Drawing> styled;
    if (options.style) {
        styled.emplace(drawing);
        ApplyPlotStyle(*styled, *options.style);
    }
    const Drawing& printed = styled ? *styled : drawing;
    const bool plotted = PrintsAsPlotted(printed, view.space, options);
    if (plotted) SetPaper(device, *SheetPaper(printed, view.space));
    QPainter painter;
    BeginDocument(painter, device);
    try {
        if (plotted)
            DrawSheetPage(painter, device, printed, view.space, options);
        else
            DrawFramedPage(painter, device, &printed, view, caption, options);
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

namespace {

// One PDF file of a batch: written beside its path, put in its place once complete.
class BatchPdf {
  public:
    explicit BatchPdf(std::string path)
        : path_(std::move(path)), part_(path_ + ".part"), writer_(QString::fromStdString(part_)) {
        writer_.setCreator(QStringLiteral("Orvanta"));
    }
    ~BatchPdf() {
        if (painter_.isActive()) painter_.end();
        std::error_code error;
        if (!done_) std::filesystem::remove(part_, error);
    }

    // Starts a page of `paper` millimetres: the document's first or a new one.
    QPainter& page(QSizeF paper) {
        SetPaper(writer_, paper);
        if (!painter_.isActive())
            BeginDocument(painter_, writer_);
        else
            writer_.newPage();
        ++pages_;
        return painter_;
    }
    QPagedPaintDevice& device() { return writer_; }
    int pages() const { return pages_; }

    // Ends the document and puts it in its place; throws PrintError when it cannot be.
    void finish() {
        if (painter_.isActive()) painter_.end();
        std::error_code error;
        std::filesystem::rename(part_, path_, error);
        if (error) throw PrintError(path_ + ": " + error.message());
        done_ = true;
    }

  private:
    std::string path_;
    std::string part_;
    QPdfWriter writer_;
    QPainter painter_;
    int pages_ = 0;
    bool done_ = false;
};

// Prints a loaded drawing (or its failure) on a page of `pdf`.
void PrintBatchPage(BatchPdf& pdf, const PdfBatchRequest& request, const PrintedDrawing& drawing,
                    const QString& caption) {
    PagePrintOptions options;
    options.cosw = request.cosw;
    options.lineweights = request.lineweights;
    options.scale = request.scale;
    options.style = request.style;
    if (drawing.why.empty() && PrintsAsPlotted(drawing.loaded.drawing, drawing.space, options)) {
        QPainter& painter = pdf.page(*SheetPaper(drawing.loaded.drawing, drawing.space));
        DrawSheetPage(painter, pdf.device(), drawing.loaded.drawing, drawing.space, options);
        return;
    }
    if (options.scale.kind == PrintScaleChoice::Kind::Sheet)
        options.scale.kind =
            options.scale.ratio > 0 ? PrintScaleChoice::Kind::Ratio : PrintScaleChoice::Kind::Fit;
    QPainter& painter = pdf.page(request.paper);
    DrawView view;
    view.space = drawing.space;
    if (drawing.why.empty())
        DrawFramedPage(painter, pdf.device(), &drawing.loaded.drawing, view, caption, options);
    else
        DrawFramedPage(painter, pdf.device(), nullptr, view, caption, options,
                       QString::fromStdString(drawing.why));
}

} // namespace

std::string EachPdfPath(const PdfBatchRequest& request, std::size_t index) {
    namespace fs = std::filesystem;
    const fs::path name(request.names[index]);
    bool shared = false;
    for (std::size_t i = 0; i < request.names.size() && !shared; ++i)
        shared = i != index && fs::path(request.names[i]).stem() == name.stem();
    fs::path file = shared ? name : name.stem();
    file += ".pdf";
    return (fs::path(request.output) / file).string();
}

PrintReport PrintPdfBatch(const PdfBatchRequest& request, PrintMonitor& monitor) {
    PrintReport report;
    const std::size_t files = request.names.size();
    monitor.setProgressRange(static_cast<int>(files));
    monitor.setProgress(0);
    std::optional<BatchPdf> single;
    if (!request.each) single.emplace(request.output);
    bool written = false;
    std::string lastError;
    for (std::size_t i = 0; i < files; ++i) {
        const std::string& name = request.names[i];
        monitor.setStatus(QString::fromStdString(name));
        PrintedDrawing drawing =
            LoadForPrint((std::filesystem::path(request.folder) / request.names[i]).string(),
                         request.converter, request.encodings, request.sheet, request.style);
        monitor.fileRead(static_cast<int>(i), drawing.loaded, drawing.why);
        const QString caption = QString::fromStdString(name);
        if (!drawing.why.empty()) report.failures.push_back({name, drawing.why});
        try {
            if (single) {
                PrintBatchPage(*single, request, drawing, caption);
                ++report.pages;
            } else if (drawing.why.empty()) {
                BatchPdf pdf(EachPdfPath(request, i));
                PrintBatchPage(pdf, request, drawing, caption);
                pdf.finish();
                ++report.pages;
                written = true;
            }
            if (drawing.why.empty()) ++report.drawn;
        } catch (const PrintError& e) {
            // A file of its own that cannot be written fails alone; the one PDF fails the run.
            if (single) throw;
            lastError = e.what();
            report.failures.push_back({name, e.what()});
        } catch (const std::bad_alloc&) {
            report.failures.push_back({name, OutOfMemoryReason()});
        }
        drawing = PrintedDrawing();
        monitor.setStatus(QString());
        monitor.setProgress(static_cast<int>(i + 1));
        if (!monitor.keepPrinting()) {
            report.stopped = i + 1 < files;
            break;
        }
    }
    if (single && single->pages() > 0) single->finish();
    if (!single && !written && !lastError.empty()) throw PrintError(lastError);
    return report;
}

} // namespace orvanta
