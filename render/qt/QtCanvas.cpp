#include "render/qt/QtCanvas.h"

#include "render/qt/DirectRaster.h"
#include "render/qt/RasterImages.h"

#include <QColor>
#include <QFontDatabase>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>
#include <QTextLayout>
#include <QTextOption>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvanta {

namespace {

// The face is built at this pixel size and scaled by the painter, because Qt rounds a font's
// pixel size to a whole number and sizes it by its em rather than by its cell.
constexpr int ReferencePixelSize = 1000;

// Coordinates beyond this many pixels from the origin are clipped before they reach the
// painter, whose rasteriser works in limited fixed-point precision.
constexpr double CoordinateLimit = 1 << 22;
// An arc whose box is larger than this (half its size, pixels) is stroked as a polyline over the
// visible part only; curve flattening of a huge ellipse would take unbounded time.
constexpr double LargeArcLimit = 1 << 15;
constexpr int MaxArcSegments = 200000;

QColor ToQColor(TColor c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                  static_cast<int>(c >> 16 & 0xFF));
}

QPainter::CompositionMode CompositionOf(PenMode mode) {
    switch (mode) {
    case PenMode::Copy:
        return QPainter::CompositionMode_SourceOver;
    case PenMode::Not:
        return QPainter::RasterOp_NotDestination;
    case PenMode::Xor:
        return QPainter::RasterOp_SourceXorDestination;
    case PenMode::NotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    }
    return QPainter::CompositionMode_SourceOver;
}

// Dash patterns of one-pixel pens, in pen widths, as Windows draws its cosmetic pens: the dot
// pattern stays readable as dots instead of becoming a grey line.
std::span<const int> DashRuns(TPenStyle style) {
    static constexpr int dash[] = {18, 6};
    static constexpr int dot[] = {3, 3};
    static constexpr int dashDot[] = {9, 6, 3, 6};
    static constexpr int dashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
    case PenDash:
        return dash;
    case PenDot:
        return dot;
    case PenDashDot:
        return dashDot;
    case PenDashDotDot:
        return dashDotDot;
    default:
        return {};
    }
}

QVector<qreal> DashPattern(TPenStyle style) {
    QVector<qreal> pattern;
    for (int run : DashRuns(style))
        pattern.append(run);
    return pattern;
}

// Liang-Barsky: cuts the segment a-b to `box`; false when nothing of it is inside.
bool ClipSegment(QPointF& a, QPointF& b, const QRectF& box) {
    double t0, t1;
    if (!ClipParameters(a.x(), a.y(), b.x(), b.y(), box.left(), box.top(), box.right(),
                        box.bottom(), t0, t1))
        return false;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const QPointF start(a.x() + t0 * dx, a.y() + t0 * dy);
    const QPointF end(a.x() + t1 * dx, a.y() + t1 * dy);
    a = start;
    b = end;
    return true;
}

// A ring clipped to `bound` (Sutherland-Hodgman, one side at a time): the painter loses
// precision far beyond any device, and the part of the area inside the bound is unchanged. Each
// ring is clipped on its own, which keeps the even-odd parity of every point inside the bound.
QPolygonF ClipRing(const std::vector<TPoint>& ring, const QRectF& bound) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(ring.size()));
    bool inside = true;
    for (const TPoint& p : ring) {
        polygon.append(QPointF(p.x, p.y));
        inside = inside && bound.contains(polygon.back());
    }
    if (inside) return polygon;
    const auto clipSide = [](const QPolygonF& in, auto insideOf, auto cross) {
        QPolygonF out;
        for (qsizetype i = 0; i < in.size(); ++i) {
            const QPointF& a = in[(i + in.size() - 1) % in.size()];
            const QPointF& b = in[i];
            const bool ia = insideOf(a), ib = insideOf(b);
            if (ib) {
                if (!ia) out.append(cross(a, b));
                out.append(b);
            } else if (ia) {
                out.append(cross(a, b));
            }
        }
        return out;
    };
    const auto atX = [](double x) {
        return [x](const QPointF& a, const QPointF& b) {
            return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
        };
    };
    const auto atY = [](double y) {
        return [y](const QPointF& a, const QPointF& b) {
            return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
        };
    };
    const double l = bound.left(), r = bound.right(), t = bound.top(), b = bound.bottom();
    polygon = clipSide(
        polygon, [l](const QPointF& p) { return p.x() >= l; }, atX(l));
    polygon = clipSide(
        polygon, [r](const QPointF& p) { return p.x() <= r; }, atX(r));
    polygon = clipSide(
        polygon, [t](const QPointF& p) { return p.y() >= t; }, atY(t));
    polygon = clipSide(
        polygon, [b](const QPointF& p) { return p.y() <= b; }, atY(b));
    return polygon;
}

// The rings as one even-odd path, each cut to the range the painter computes in.
QPainterPath RingsPath(const std::vector<std::vector<TPoint>>& rings) {
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const QRectF bound(-CoordinateLimit, -CoordinateLimit, 2 * CoordinateLimit,
                       2 * CoordinateLimit);
    for (const std::vector<TPoint>& ring : rings) {
        const QPolygonF clipped = ClipRing(ring, bound);
        if (clipped.size() >= 3) path.addPolygon(clipped);
    }
    return path;
}

// The pixels inside rings that are a single axis-aligned rectangle (its first point repeated at
// the end or not), which the painter and the direct raster clip to far more cheaply than to a
// path; nothing for any other shape. The rectangle may be empty.
std::optional<QRect> SingleRectangle(const std::vector<std::vector<TPoint>>& rings) {
    if (rings.size() != 1) return std::nullopt;
    const std::vector<TPoint>& ring = rings.front();
    if (ring.size() != 4 && !(ring.size() == 5 && ring[4] == ring[0])) return std::nullopt;
    const TPoint &a = ring[0], &b = ring[1], &c = ring[2], &d = ring[3];
    const bool acrossFirst = a.y == b.y && b.x == c.x && c.y == d.y && d.x == a.x;
    const bool downFirst = a.x == b.x && b.y == c.y && c.x == d.x && d.y == a.y;
    if (!acrossFirst && !downFirst) return std::nullopt;
    // Within the coordinate range, so that the size cannot overflow.
    const auto cut = [](int v) {
        const int limit = static_cast<int>(CoordinateLimit);
        return std::clamp(v, -limit, limit);
    };
    const int left = cut(std::min(a.x, c.x)), right = cut(std::max(a.x, c.x));
    const int top = cut(std::min(a.y, c.y)), bottom = cut(std::max(a.y, c.y));
    return QRect(left, top, right - left, bottom - top);
}

// Whether p lies inside the rings by the even-odd rule.
bool InsideRings(const QList<QPolygonF>& rings, const QPointF& p) {
    bool inside = false;
    for (const QPolygonF& ring : rings) {
        for (qsizetype i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
            const QPointF &u = ring[i], &v = ring[j];
            if ((u.y() > p.y()) != (v.y() > p.y()) &&
                p.x() < u.x() + (v.x() - u.x()) * (p.y() - u.y()) / (v.y() - u.y()))
                inside = !inside;
        }
    }
    return inside;
}

// The parts of the segment a-b inside the rings (even-odd), as intervals of its parameter from
// 0 to 1, in order and with touching intervals joined. The segment is cut where it crosses an
// edge, and each piece is inside or outside as its midpoint is.
std::vector<std::pair<double, double>> InsideParts(const QPointF& a, const QPointF& b,
                                                   const QList<QPolygonF>& rings) {
    std::vector<double> cuts{0, 1};
    const QPointF d = b - a;
    for (const QPolygonF& ring : rings) {
        for (qsizetype i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
            const QPointF e = ring[i] - ring[j];
            const QPointF w = ring[j] - a;
            const double denominator = d.x() * e.y() - d.y() * e.x();
            // A parallel edge changes nothing the midpoints do not see.
            if (denominator == 0) continue;
            const double t = (w.x() * e.y() - w.y() * e.x()) / denominator;
            const double u = (w.x() * d.y() - w.y() * d.x()) / denominator;
            if (t > 0 && t < 1 && u >= 0 && u <= 1) cuts.push_back(t);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    std::vector<std::pair<double, double>> parts;
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        if (cuts[k + 1] <= cuts[k] || !InsideRings(rings, a + d * ((cuts[k] + cuts[k + 1]) / 2)))
            continue;
        if (!parts.empty() && parts.back().second == cuts[k])
            parts.back().second = cuts[k + 1];
        else
            parts.emplace_back(cuts[k], cuts[k + 1]);
    }
    return parts;
}

bool BeyondLimit(const QPoint& p) {
    return std::abs(static_cast<double>(p.x())) > CoordinateLimit ||
           std::abs(static_cast<double>(p.y())) > CoordinateLimit;
}

// The ray angle (counterclockwise on the screen) of point p seen from c.
double RayAngle(const QPointF& c, double x, double y) {
    return std::atan2(-(y - c.y()), x - c.x());
}

// The parameter of the ellipse with half axes a and b at which it meets the ray of angle phi;
// Qt measures its arc angles as this parameter, the canvas's arc takes rays.
double ParameterOfRay(double phi, double a, double b) {
    return std::atan2(a * std::sin(phi), b * std::cos(phi));
}

double ParameterOfRay(const OutlineRay& ray, double a, double b) {
    return std::atan2(a * ray.sin, b * ray.cos);
}

} // namespace

TextShapeCache::Shaped& TextShapeCache::shape(const QFont& font, const std::string& text) {
    if (font != font_) {
        shapes_.clear();
        font_ = font;
        raw_ = QRawFont::fromFont(font);
        rawAscent_ = QFontMetricsF(font).ascent();
    }
    if (const auto found = shapes_.find(text); found != shapes_.end()) return found->second;
    // A plain bound: drawings rarely have more distinct texts than this, and starting over is
    // cheaper than tracking use.
    if (shapes_.size() >= capacity_) shapes_.clear();
    const QString qtext = QString::fromStdString(text);
    // The usual text has every character in the text face, whose characters stand side by side
    // at their own advances: its glyphs are looked up and placed directly, without the full
    // shaping that a fallback face or a combining character needs.
    if (raw_.isValid()) {
        bool simple = true;
        for (const QChar c : qtext) {
            if (c.isSurrogate() || c.isMark() || c.isNonCharacter() ||
                c.direction() == QChar::DirR || c.direction() == QChar::DirAL) {
                simple = false;
                break;
            }
        }
        QList<quint32> glyphs = simple ? raw_.glyphIndexesForString(qtext) : QList<quint32>();
        if (simple && !glyphs.contains(0u) && glyphs.size() == qtext.size()) {
            const QList<QPointF> advances =
                raw_.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
            QList<QPointF> positions;
            positions.reserve(glyphs.size());
            double x = 0;
            for (const QPointF& advance : advances) {
                positions.append(QPointF(x, rawAscent_));
                x += advance.x();
            }
            QGlyphRun run;
            run.setRawFont(raw_);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            Shaped shaped;
            shaped.runs.append(run);
            shaped.advance = x;
            return shapes_.emplace(text, std::move(shaped)).first->second;
        }
    }
    QTextLayout layout(qtext, font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setPosition(QPointF(0, 0));
    layout.endLayout();
    Shaped shaped;
    shaped.runs = layout.glyphRuns();
    const QFontMetricsF metrics(font);
    shaped.advance = metrics.horizontalAdvance(qtext);
    // A fallback face with a taller ascent would lower the line's baseline; the cell is the
    // text face's, so the baseline stays where that face puts it.
    if (line.isValid()) {
        const double shift = metrics.ascent() - line.ascent();
        if (shift != 0) {
            for (QGlyphRun& run : shaped.runs) {
                QList<QPointF> positions = run.positions();
                for (QPointF& p : positions)
                    p.ry() += shift;
                run.setPositions(positions);
            }
        }
    }
    return shapes_.emplace(text, std::move(shaped)).first->second;
}

std::string TextFaceProblem(const std::string& face) {
    const QString family = QString::fromStdString(face);
    // hasFamily also knows a face by its other names: in a Japanese session fontconfig lists
    // "IPAGothic" as "IPAゴシック", and the face is there all the same.
    if (QFontDatabase::hasFamily(family)) return {};
    std::string message = "文字の表示に使うフォント \"" + face +
                          "\" が見つからないため、図面の文字を表示できません。";
    if (face == DefaultTextFace) message += " (fonts-ipafont-gothic をインストールしてください)";
    return message;
}

QFont TextQFont(const std::string& face) {
    QFont font(QString::fromStdString(face));
    font.setFamilies({QString::fromStdString(face), QString::fromLatin1(FallbackTextFace)});
    return font;
}

QtCanvas::QtCanvas(QPainter& painter, const std::string& face, TextShapeCache* shapes, QRect clip)
    : painter_(painter), referenceMetrics_(QFont()), shapes_(shapes) {
    if (shapes_ == nullptr) {
        ownShapes_ = std::make_unique<TextShapeCache>();
        shapes_ = ownShapes_.get();
    }
    textProblem_ = TextFaceProblem(face);
    referenceFont_ = TextQFont(face);
    referenceFont_.setPixelSize(ReferencePixelSize);
    referenceFont_.setHintingPreference(QFont::PreferNoHinting);
    referenceFont_.setKerning(false);
    referenceMetrics_ = QFontMetricsF(referenceFont_, painter_.device());
    referenceCell_ = referenceMetrics_.ascent() + referenceMetrics_.descent();
    // A Windows font's average width of a Japanese face is its half-width advance.
    referenceAverage_ = referenceMetrics_.horizontalAdvance(QLatin1Char('0'));
    if (referenceCell_ <= 0) referenceCell_ = ReferencePixelSize;
    if (referenceAverage_ <= 0) referenceAverage_ = ReferencePixelSize / 2.0;
    font_ = {face, 16, 0, 0};

    // An untransformed, unclipped 32-bit image gets its thin figures written directly.
    QPaintDevice* device = painter_.device();
    const bool onImage = device != nullptr && device->devType() == QInternal::Image;
    band_ = clip;
    // On an image, texts that set no pixel of it are passed over (showsAny). Other devices
    // take them all: a file's page may hold more than its device's size says.
    deviceTransform_ = painter_.combinedTransform();
    if (onImage) {
        settable_ = QRectF(0, 0, device->width(), device->height());
        if (!band_.isEmpty()) settable_ &= QRectF(band_);
        passOver_ = true;
    }
    if (onImage && DirectRaster::Supports(*static_cast<QImage*>(device)) &&
        deviceTransform_.type() == QTransform::TxNone && !painter_.hasClipping()) {
        directImage_ = static_cast<QImage*>(device);
        direct_ = std::make_unique<DirectRaster>(*directImage_, band_);
    }
    if (!clip.isEmpty()) painter_.setClipRect(clip, Qt::IntersectClip);
    // Qt's SVG generator writes no clip at all: figures are cut to a clip before they reach it.
    engineClips_ =
        painter_.paintEngine() == nullptr || painter_.paintEngine()->type() != QPaintEngine::SVG;

    // Raster operations give exact inverses only on unblended pixels.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setBrush(Qt::NoBrush);
    // The raster engine copies the painter's font, unused, for every run of glyphs it draws.
    // The font an image's painter starts with is the application's, shared by the canvases of
    // all threads, and two threads counting references to one font take turns at its memory:
    // this canvas's own font makes that count its own. (Other devices write the painter's font
    // into their files, so theirs is left as it is.)
    if (onImage) painter_.setFont(referenceFont_);
}

QtCanvas::~QtCanvas() {
    flush();
    if (clipped_) painter_.restore();
}

void QtCanvas::setClip(const std::vector<std::vector<TPoint>>& rings) {
    flush();
    // Every clip starts from the painter as it was before the first, band clip included, so that
    // a second clip replaces the first instead of narrowing it.
    if (clipped_) {
        painter_.restore();
        appliedPen_.reset();
        appliedComposition_.reset();
    }
    painter_.save();
    clipped_ = true;
    direct_.reset();
    cutting_ = false;
    const std::optional<QRect> rectangle = SingleRectangle(rings);
    QPainterPath path;
    if (rectangle) {
        QRect box = band_.isEmpty() ? *rectangle : rectangle->intersected(band_);
        if (directImage_ != nullptr) box = box.intersected(directImage_->rect());
        clippedAway_ = box.isEmpty();
        if (!clippedAway_ && directImage_ != nullptr)
            direct_ = std::make_unique<DirectRaster>(*directImage_, box);
        path.addRect(*rectangle);
    } else {
        // The direct raster knows only rectangles: the painter draws everything under any other
        // clip.
        path = RingsPath(rings);
        clippedAway_ = path.isEmpty();
    }
    if (clippedAway_) return;
    if (!engineClips_) {
        cutting_ = true;
        cutPath_ = path;
        cutRings_ = path.toSubpathPolygons();
    } else if (rectangle) {
        painter_.setClipRect(*rectangle, Qt::IntersectClip);
    } else {
        painter_.setClipPath(path, Qt::IntersectClip);
    }
}

void QtCanvas::clearClip() {
    if (!clipped_) return;
    flush();
    painter_.restore();
    clipped_ = false;
    clippedAway_ = false;
    cutting_ = false;
    // The restored painter holds the pen and composition of the time of setClip().
    appliedPen_.reset();
    appliedComposition_.reset();
    if (directImage_ != nullptr) direct_ = std::make_unique<DirectRaster>(*directImage_, band_);
}

void QtCanvas::strokeInside(const QPainterPath& figure) {
    const QPen pen = painter_.pen();
    if (pen.style() == Qt::NoPen) return;
    const double reach = std::max(1, pen_.width);
    const QRectF bounds = figure.boundingRect().adjusted(-reach, -reach, reach, reach);
    if (!cutPath_.intersects(bounds)) return;
    if (cutPath_.contains(bounds)) {
        painter_.drawPath(figure);
        return;
    }
    if (pen_.width > 1) {
        // The outline of the stroke cut by the clip, so that caps, joins and dashes end exactly
        // at its edge. The stroke is laid out in the canvas's pixels, which are the device's
        // wherever the engine needs this.
        QPainterPathStroker stroker(pen);
        const QPainterPath inside = stroker.createStroke(figure).intersected(cutPath_);
        if (!inside.isEmpty()) painter_.fillPath(inside, pen.color());
        return;
    }
    // A thin pen draws the runs of the outline inside the clip, each with the dash pattern
    // going on where the whole outline has it.
    QPolygonF run;
    double runStart = 0;
    const auto drawRun = [&] {
        if (run.size() >= 2) {
            if (pen.style() == Qt::CustomDashLine && runStart > 0) {
                QPen offset = pen;
                offset.setDashOffset(runStart / std::max(1.0, pen.widthF()));
                painter_.setPen(offset);
                painter_.drawPolyline(run);
                painter_.setPen(pen);
            } else {
                painter_.drawPolyline(run);
            }
        }
        run.clear();
    };
    for (const QPolygonF& polyline : figure.toSubpathPolygons()) {
        double travelled = 0;
        for (qsizetype i = 0; i + 1 < polyline.size(); ++i) {
            const QPointF a = polyline[i], b = polyline[i + 1];
            const double length = QLineF(a, b).length();
            for (const auto& [t0, t1] : InsideParts(a, b, cutRings_)) {
                if (t0 > 0 || run.isEmpty()) {
                    drawRun();
                    run << a + (b - a) * t0;
                    runStart = travelled + t0 * length;
                }
                run << a + (b - a) * t1;
                if (t1 < 1) drawRun();
            }
            travelled += length;
        }
        drawRun();
    }
}

void QtCanvas::fillInside(const QPainterPath& area, const QColor& colour) {
    const QRectF bounds = area.boundingRect();
    if (!cutPath_.intersects(bounds)) return;
    const QPainterPath inside = cutPath_.contains(bounds) ? area : area.intersected(cutPath_);
    if (!inside.isEmpty()) painter_.fillPath(inside, colour);
}

void QtCanvas::useComposition(QPainter::CompositionMode mode) {
    if (appliedComposition_ == mode) return;
    painter_.setCompositionMode(mode);
    appliedComposition_ = mode;
}

void QtCanvas::applyLinePen() {
    useComposition(CompositionOf(mode_));
    if (appliedPen_ == pen_) return;
    QPen pen(ToQColor(pen_.colour));
    pen.setCosmetic(true);
    pen.setWidth(std::max(1, pen_.width));
    pen.setJoinStyle(Qt::RoundJoin);
    if (pen_.style == PenClear) {
        pen.setStyle(Qt::NoPen);
    } else if (const QVector<qreal> dashes = DashPattern(pen_.style); !dashes.isEmpty()) {
        // Flat caps keep the dashes their exact length.
        pen.setDashPattern(dashes);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setCapStyle(pen_.width > 1 ? Qt::RoundCap : Qt::FlatCap);
    }
    painter_.setPen(pen);
    appliedPen_ = pen_;
}

void QtCanvas::setPen(TColor colour, int width, TPenStyle style) {
    const PenKey pen{colour & 0xFFFFFF, width, style};
    if (pen == pen_) return;
    flush();
    if (style != pen_.style) dashes_ = DashRuns(style);
    pen_ = pen;
}

void QtCanvas::setPenMode(PenMode mode) {
    if (mode == mode_) return;
    flush();
    mode_ = mode;
}

void QtCanvas::moveTo(int x, int y) {
    current_ = QPoint(x, y);
}

bool QtCanvas::thinPen() const {
    return direct_ != nullptr && pen_.width <= 1 && pen_.style != PenClear;
}

void QtCanvas::lineTo(int x, int y) {
    const QPoint to(x, y);
    if (clippedAway_) {
        current_ = to;
        return;
    }
    if (thinPen()) {
        direct_->line(current_.x(), current_.y(), x, y, pen_.colour, mode_, dashes_);
        current_ = to;
        return;
    }
    if (BeyondLimit(current_) || BeyondLimit(to)) {
        QPointF a(current_), b(to);
        const QRectF bound(-CoordinateLimit, -CoordinateLimit, 2 * CoordinateLimit,
                           2 * CoordinateLimit);
        if (ClipSegment(a, b, bound)) pendingLines_.emplace_back(a.toPoint(), b.toPoint());
    } else {
        pendingLines_.emplace_back(current_, to);
    }
    current_ = to;
    if (pendingLines_.size() >= 4096) flush();
}

void QtCanvas::flush() {
    if (pendingLines_.empty()) return;
    applyLinePen();
    if (cutting_) {
        for (const QLine& line : pendingLines_) {
            QPainterPath segment(line.p1());
            segment.lineTo(line.p2());
            strokeInside(segment);
        }
    } else {
        painter_.drawLines(pendingLines_.data(), static_cast<int>(pendingLines_.size()));
    }
    pendingLines_.clear();
}

void QtCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    flush();
    if (clippedAway_) return;
    const QRectF box(QPointF(left, top), QPointF(right, bottom));
    const QRectF normal = box.normalized();
    const QPointF c = normal.center();
    const bool whole = xs == xe && ys == ye;
    const std::span<const int> dashes = dashes_;
    if (thinPen() && dashes.empty()) {
        // A whole ellipse needs no rays.
        const OutlineRay start =
            whole ? OutlineRay{} : DirectRaster::RayThrough(c.x(), c.y(), xs, ys);
        const OutlineRay end =
            whole ? OutlineRay{} : DirectRaster::RayThrough(c.x(), c.y(), xe, ye);
        direct_->arc(left, top, right, bottom, start, end, whole, pen_.colour, mode_);
        return;
    }
    const double a = normal.width() / 2;
    const double b = normal.height() / 2;
    double startRad = 0;
    double spanRad = 2 * std::numbers::pi;
    if (!whole) {
        startRad = ParameterOfRay(DirectRaster::RayThrough(c.x(), c.y(), xs, ys), a, b);
        spanRad = ParameterOfRay(DirectRaster::RayThrough(c.x(), c.y(), xe, ye), a, b) - startRad;
        while (spanRad <= 0)
            spanRad += 2 * std::numbers::pi;
    }
    if (thinPen() && std::max(a, b) <= LargeArcLimit) {
        if (a < 0.5 || b < 0.5) {
            // No inside to go round: the degenerate outline, as a solid arc draws it.
            direct_->arc(left, top, right, bottom, {}, {}, true, pen_.colour, mode_);
            return;
        }
        direct_->dashedArc(c.x(), c.y(), a, b, startRad, spanRad, whole, pen_.colour, mode_,
                           dashes);
        return;
    }
    applyLinePen();
    if (std::max(a, b) > LargeArcLimit) {
        strokeArcAsPolyline(normal, startRad, spanRad);
        return;
    }
    constexpr double degrees = 180 / std::numbers::pi;
    QPainterPath path;
    path.arcMoveTo(normal, startRad * degrees);
    path.arcTo(normal, startRad * degrees, spanRad * degrees);
    if (cutting_)
        strokeInside(path);
    else
        painter_.drawPath(path);
}

void QtCanvas::strokeArcAsPolyline(const QRectF& box, double startRad, double spanRad) {
    const QPointF c = box.center();
    const double a = box.width() / 2;
    const double b = box.height() / 2;
    const double pi = std::numbers::pi;

    // The part of the device that can show anything, in the painter's coordinates.
    const QPaintDevice* device = painter_.device();
    const QRectF deviceRect(0, 0, device->width(), device->height());
    const QRectF visible =
        painter_.combinedTransform().inverted().mapRect(deviceRect).adjusted(-8, -8, 8, 8);

    // Parameter ranges to sample: only where the ellipse can cross the visible rectangle, seen
    // from the centre, when the centre lies outside it.
    std::vector<std::pair<double, double>> ranges;
    const double arcEnd = startRad + spanRad;
    if (visible.contains(c)) {
        ranges.emplace_back(startRad, arcEnd);
    } else {
        const double reference = RayAngle(c, visible.center().x(), visible.center().y());
        double low = 0, high = 0;
        for (const QPointF& corner :
             {visible.topLeft(), visible.topRight(), visible.bottomLeft(), visible.bottomRight()}) {
            double d = RayAngle(c, corner.x(), corner.y()) - reference;
            d = std::remainder(d, 2 * pi);
            low = std::min(low, d);
            high = std::max(high, d);
        }
        const double v0 = ParameterOfRay(reference + low, a, b);
        double width = ParameterOfRay(reference + high, a, b) - v0;
        if (width < 0) width += 2 * pi;
        // The window seen from the start of the arc, once and one turn earlier.
        const double shifted =
            startRad + std::fmod(std::fmod(v0 - startRad, 2 * pi) + 2 * pi, 2 * pi);
        for (double from : {shifted - 2 * pi, shifted}) {
            const double lo = std::max(from, startRad);
            const double hi = std::min(from + width, arcEnd);
            if (lo < hi) ranges.emplace_back(lo, hi);
        }
    }

    // Steps short enough that the chord leaves the curve by less than a quarter pixel.
    const double radius = std::max(a, b);
    const double step = 2 * std::acos(std::max(-1.0, 1 - 0.25 / radius));
    std::vector<QLineF> segments;
    for (const auto& [lo, hi] : ranges) {
        const int n = std::clamp(static_cast<int>(std::ceil((hi - lo) / step)), 1, MaxArcSegments);
        QPointF previous(c.x() + a * std::cos(lo), c.y() - b * std::sin(lo));
        for (int i = 1; i <= n; ++i) {
            const double t = lo + (hi - lo) * i / n;
            const QPointF next(c.x() + a * std::cos(t), c.y() - b * std::sin(t));
            QPointF p = previous, q = next;
            if (ClipSegment(p, q, visible)) segments.emplace_back(p, q);
            previous = next;
        }
    }
    if (cutting_) {
        for (const QLineF& line : segments) {
            QPainterPath segment(line.p1());
            segment.lineTo(line.p2());
            strokeInside(segment);
        }
    } else if (!segments.empty()) {
        painter_.drawLines(segments.data(), static_cast<int>(segments.size()));
    }
}

void QtCanvas::setPixel(int x, int y, TColor colour) {
    flush();
    if (clippedAway_) return;
    if (direct_ != nullptr) {
        direct_->pixel(x, y, colour, PenMode::Copy);
        return;
    }
    if (cutting_ && !InsideRings(cutRings_, QPointF(x + 0.5, y + 0.5))) return;
    useComposition(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(QRect(x, y, 1, 1), ToQColor(colour));
}

void QtCanvas::fillRect(int left, int top, int right, int bottom, TColor colour) {
    flush();
    if (clippedAway_ || right <= left || bottom <= top) return;
    useComposition(QPainter::CompositionMode_SourceOver);
    if (cutting_) {
        QPainterPath area;
        area.addRect(QRectF(left, top, right - left, bottom - top));
        fillInside(area, ToQColor(colour));
        return;
    }
    painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), ToQColor(colour));
}

void QtCanvas::fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) {
    flush();
    if (clippedAway_) return;
    const QPainterPath path = RingsPath(rings);
    if (path.isEmpty()) return;
    useComposition(QPainter::CompositionMode_SourceOver);
    if (cutting_)
        fillInside(path, ToQColor(colour));
    else
        painter_.fillPath(path, ToQColor(colour));
}

void QtCanvas::fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) {
    flush();
    if (clippedAway_) return;
    QPainterPath path = RingsPath(rings);
    if (path.isEmpty()) return;
    path.setFillRule(Qt::WindingFill);
    useComposition(QPainter::CompositionMode_SourceOver);
    if (cutting_)
        fillInside(path, ToQColor(colour));
    else
        painter_.fillPath(path, ToQColor(colour));
}

void QtCanvas::setFont(const CanvasFont& font) {
    font_ = font;
}

double QtCanvas::scaleY() const {
    return font_.cellHeight / referenceCell_;
}

double QtCanvas::scaleX() const {
    return font_.averageWidth > 0 ? font_.averageWidth / referenceAverage_ : scaleY();
}

void QtCanvas::textOut(int x, int y, const std::string& text) {
    flush();
    if (clippedAway_ || !textProblem_.empty() || text.empty() || font_.cellHeight <= 0) return;
    useComposition(QPainter::CompositionMode_SourceOver);
    TextShapeCache::Shaped& shaped = shapes_->shape(referenceFont_, text);
    // The glyphs are drawn at whole-pixel sizes, placed where the exact size puts them: the
    // painter keeps rasterised glyphs for each scale it meets, and a text of a fractional size
    // of its own would rasterise its glyphs afresh, while a line of text still ends where its
    // exact size says.
    const double exactX = scaleX(), exactY = scaleY();
    const double glyphY = std::max(1.0, std::round(font_.cellHeight)) / referenceCell_;
    const double glyphX = font_.averageWidth > 0
                              ? std::max(1.0, std::round(font_.averageWidth)) / referenceAverage_
                              : glyphY;
    const double stretchX = exactX / glyphX, stretchY = exactY / glyphY;
    // From the glyphs' coordinates to the canvas's.
    QTransform local;
    local.translate(x, y);
    // Escapement is counterclockwise on the screen, Qt's rotation clockwise.
    local.rotate(-font_.escapement / 10.0);
    local.scale(font_.mirrorX ? -glyphX : glyphX, font_.mirrorY ? -glyphY : glyphY);
    if (font_.oblique != 0) {
        // Slanted about the baseline: the tops of the characters move along it, the baseline
        // stays where it is.
        const double baseline = referenceMetrics_.ascent() * stretchY;
        local.translate(0, baseline);
        local.shear(-std::tan(font_.oblique * std::numbers::pi / 180), 0);
        local.translate(0, -baseline);
    }
    const QRectF cell(0, 0, shaped.advance * stretchX, referenceCell_ * stretchY);
    // Each glyph on a whole pixel, as glyphs at their own sizes land: the painter then reuses
    // one rasterised glyph instead of one for every fraction of a pixel. The texts of one size
    // at one scale place their glyphs alike, so the placed runs are kept with the shape.
    const std::array<double, 4> stretch{exactX, glyphX, exactY, glyphY};
    if (shaped.placedFor != stretch) {
        shaped.placed = shaped.runs;
        if (stretchX != 1 || stretchY != 1) {
            for (QGlyphRun& run : shaped.placed) {
                QList<QPointF> positions = run.positions();
                for (QPointF& p : positions)
                    p = QPointF(std::round(p.x() * exactX) / glyphX,
                                std::round(p.y() * exactY) / glyphY);
                run.setPositions(positions);
            }
        }
        shaped.placedInk = QRectF();
        for (const QGlyphRun& run : shaped.placed)
            shaped.placedInk |= run.boundingRect();
        shaped.placedFor = stretch;
    }
    if (cutting_) {
        // A fifth of the cell around it for the parts of glyphs that reach beyond it.
        const double margin = cell.height() / 5;
        const QRectF reach = local.mapRect(cell.adjusted(-margin, -margin, margin, margin));
        if (!cutPath_.intersects(reach)) return;
        if (!cutPath_.contains(reach)) {
            // Partly inside: the outlines of the glyphs, cut.
            if (!transparentText_) {
                QPainterPath back;
                back.addRect(cell);
                fillInside(local.map(back), ToQColor(textBackColour_));
            }
            QPainterPath outlines;
            outlines.setFillRule(Qt::WindingFill);
            for (const QGlyphRun& placed : shaped.placed) {
                const QList<quint32> glyphs = placed.glyphIndexes();
                const QList<QPointF> positions = placed.positions();
                for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
                    outlines.addPath(
                        placed.rawFont().pathForGlyph(glyphs[i]).translated(positions[i]));
            }
            fillInside(local.map(outlines), ToQColor(textColour_));
            return;
        }
    }
    // Texts are looked for a little beyond the view, and a band takes those that reach across
    // its edge: many of those met land wholly outside what this canvas sets, and need no glyphs
    // drawn.
    if (passOver_ && !cutting_ && transparentText_ && !showsAny(local, shaped.placedInk)) return;
    const QTransform previous = painter_.worldTransform();
    painter_.setWorldTransform(local * previous);
    if (!transparentText_) painter_.fillRect(cell, ToQColor(textBackColour_));
    painter_.setPen(textPen(textColour_));
    appliedPen_.reset();
    for (const QGlyphRun& run : shaped.placed)
        painter_.drawGlyphRun(QPointF(0, 0), run);
    painter_.setWorldTransform(previous);
}

bool QtCanvas::showsAny(const QTransform& local, const QRectF& ink) const {
    // Smoothing and the rounding of each glyph to its pixel reach a pixel or two past the
    // outlines.
    const QTransform toDevice = deviceTransform_.isIdentity() ? local : local * deviceTransform_;
    return toDevice.mapRect(ink).adjusted(-3, -3, 3, 3).intersects(settable_);
}

const QPen& QtCanvas::textPen(TColor colour) {
    for (std::size_t i = 0; i < textPenCount_; ++i)
        if (textPens_[i].colour == colour) return textPens_[i].pen;
    // A free place, or else the places in turn.
    const std::size_t slot =
        textPenCount_ < textPens_.size() ? textPenCount_++ : nextTextPen_++ % textPens_.size();
    textPens_[slot] = {colour, QPen(ToQColor(colour))};
    return textPens_[slot].pen;
}

bool QtCanvas::drawImage(const CanvasImage& image) {
    flush();
    // The part of the canvas that can show anything: the device, the band, the clips.
    const QTransform toDevice = painter_.combinedTransform();
    const QPaintDevice* device = painter_.device();
    QRectF visible = toDevice.inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
    if (!band_.isEmpty()) visible &= QRectF(band_);
    if (cutting_)
        visible &= cutPath_.boundingRect();
    else if (painter_.hasClipping())
        visible &= painter_.clipBoundingRect();
    if (clippedAway_) visible = QRectF();
    PicturePart part;
    if (!PartOfPicture(image, toDevice, visible, part)) return false;
    if (part.pixels.isNull()) return true;

    useComposition(QPainter::CompositionMode_SourceOver);
    if (!engineClips_) {
        // The SVG generator writes no clip: the picture is drawn, clipped, into a picture of the
        // visible part, which is then placed as it is.
        const QRect box = part.placed.mapRect(QRectF(part.pixels.rect())).toAlignedRect() &
                          visible.toAlignedRect();
        const QImage layer = PictureLayer(image, box, cutting_ ? &cutPath_ : nullptr);
        if (!layer.isNull()) painter_.drawImage(box.topLeft(), layer);
        return true;
    }
    painter_.save();
    if (!image.clip.empty()) painter_.setClipPath(RingsPath({image.clip}), Qt::IntersectClip);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, part.smooth);
    painter_.setWorldTransform(part.placed * painter_.worldTransform());
    painter_.drawImage(QPointF(0, 0), part.pixels);
    painter_.restore();
    return true;
}

int QtCanvas::textWidth(const std::string& text) {
    if (text.empty() || font_.cellHeight <= 0) return 0;
    const double width = shapes_->shape(referenceFont_, text).advance * scaleX();
    return static_cast<int>(std::lround(width));
}

} // namespace orvanta
