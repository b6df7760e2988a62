#include "render/DrawImages.h"

#include "geometry/EntityBoxes.h"
#include "geometry/Images.h"
#include "geometry/Primitives.h"
#include "render/Colors.h"
#include "render/LayerState.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

// The caption of a picture that cannot be shown: this tall in pixels, smaller (down to the
// least) when the frame is narrow, left out when even that does not fit.
constexpr double CaptionCell = 14;
constexpr double LeastCaptionCell = 7;
// Its distance from the frame's corner, pixels.
constexpr double CaptionInset = 4;

// Display flag 1 of an image: its picture is shown; without it only the frame is.
constexpr std::int16_t ImageShown = 1;

bool Finite(const TAcadPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

ImageTone ToneOf(ColorModeValue mode) {
    switch (mode) {
    case ColorModeMonochrome:
        return ImageTone::Grey;
    case ColorModeInverted:
        return ImageTone::Inverted;
    default:
        return ImageTone::Colour;
    }
}

class DeviceMap {
  public:
    explicit DeviceMap(const OtherKindsView& v) : v_(v) {}
    // With its fraction, on the scale where fillPolygon's rings lie.
    PointF operator()(const TAcadPoint& p) const {
        const TAcadPoint rel = PointDiff(p, v_.center);
        return {v_.origin.x + rel.x / v_.unitsPerPixel, v_.origin.y - rel.y / v_.unitsPerPixel};
    }
    TPoint pixel(const TAcadPoint& p) const {
        return WorldToScreen(PointDiff(p, v_.center), v_.origin, v_.unitsPerPixel);
    }

  private:
    const OtherKindsView& v_;
};

void Outline(Canvas& canvas, const std::vector<TPoint>& ring) {
    if (ring.empty()) return;
    canvas.moveTo(ring.front().x, ring.front().y);
    for (std::size_t i = 1; i < ring.size(); ++i)
        canvas.lineTo(ring[i].x, ring[i].y);
    canvas.lineTo(ring.front().x, ring.front().y);
}

// The file's name inside the frame `ring` (the picture's outline, or its clip boundary), along
// the picture's top edge (its bottom edge when the picture is mirrored, so that the name still
// reads the right way round).
void Caption(Canvas& canvas, const std::string& name, const PointF& topLeft, const PointF& topRight,
             const PointF& bottomLeft, const std::vector<TPoint>& ring, TColor colour) {
    if (name.empty() || ring.empty()) return;
    const double ax = topRight.x - topLeft.x, ay = topRight.y - topLeft.y;
    const double dx = bottomLeft.x - topLeft.x, dy = bottomLeft.y - topLeft.y;
    const double width = std::hypot(ax, ay), height = std::hypot(dx, dy);
    if (!(width > 0) || !(height > 0) || !std::isfinite(width * height)) return;
    const double ux = ax / width, uy = ay / width;
    const double vx = dx / height, vy = dy / height;
    // The frame's reach along the picture's edges, from its top-left corner.
    double a0 = 0, a1 = 0, b0 = 0, b1 = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const double px = ring[i].x - topLeft.x, py = ring[i].y - topLeft.y;
        const double a = px * ux + py * uy, b = px * vx + py * vy;
        a0 = i == 0 ? a : std::min(a0, a), a1 = i == 0 ? a : std::max(a1, a);
        b0 = i == 0 ? b : std::min(b0, b), b1 = i == 0 ? b : std::max(b1, b);
    }
    const double across = a1 - a0, down = b1 - b0;
    if (!(across > 2 * CaptionInset + LeastCaptionCell) ||
        !(down > 2 * CaptionInset + LeastCaptionCell))
        return;
    // The side of the baseline the characters stand on, on the screen (y down).
    const bool mirrored = -uy * dx + ux * dy < 0;
    const double b = mirrored ? b1 : b0;
    const PointF corner{topLeft.x + ux * a0 + vx * b, topLeft.y + uy * a0 + vy * b};
    const double inx = mirrored ? -vx : vx, iny = mirrored ? -vy : vy;

    CanvasFont font = canvas.font();
    font.cellHeight = std::min(CaptionCell, down - 2 * CaptionInset);
    font.averageWidth = 0;
    font.escapement = std::atan2(-uy, ux) * RadToDeg * 10;
    font.oblique = 0;
    font.mirrorX = font.mirrorY = false;
    canvas.setFont(font);
    const double room = across - 2 * CaptionInset;
    const int textWidth = canvas.textWidth(name);
    if (textWidth > room) {
        font.cellHeight *= room / textWidth;
        if (font.cellHeight < LeastCaptionCell) return;
        canvas.setFont(font);
    }
    canvas.setTextColor(colour);
    canvas.setTransparentText(true);
    const double x = corner.x + (ux + inx) * CaptionInset;
    const double y = corner.y + (uy + iny) * CaptionInset;
    canvas.textOut(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), name);
}

} // namespace

int DrawImages(const Drawing& d, Canvas& canvas, const OtherKindsView& v) {
    int count = 0;
    const DeviceMap device(v);
    // Rough drawing, while panning, keeps every picture: a picture missing from one frame to
    // the next would flicker, and the canvas keeps what it has decoded.
    for (const TImageBlk& image : d.ImageAry) {
        const std::vector<TAcadPoint> outline = ImageOutline(image);
        if (!std::all_of(outline.begin(), outline.end(), Finite)) continue;
        const auto inView = [&] {
            TBox box;
            box.Min = box.Max = outline.front();
            for (const TAcadPoint& p : outline) {
                box.Min = {std::min(box.Min.x, p.x), std::min(box.Min.y, p.y), 0};
                box.Max = {std::max(box.Max.x, p.x), std::max(box.Max.y, p.y), 0};
            }
            return box.Min.x <= v.window.upperRight.x && box.Max.x >= v.window.lowerLeft.x &&
                   box.Min.y <= v.window.upperRight.y && box.Max.y >= v.window.lowerLeft.y;
        };
        if (image.code67 != v.space) continue;
        if (v.layer >= 0) {
            if (image.layindex != v.layer) continue;
        } else if (LayerHidden(v.hiddenLayers, image.layindex) ||
                   !LayerVisibleAt(d, image.layindex) || (!v.noClip && !inView())) {
            continue;
        }
        ++count;
        std::vector<TPoint> ring;
        ring.reserve(outline.size());
        for (const TAcadPoint& p : outline)
            ring.push_back(device.pixel(p));
        const TColor colour = DrawnColor(image.PenColor, v.backColor, v.colorMode);
        canvas.setPen(colour, LineweightPen(image.code370, v.penWidth, v.lineweights), PenSolid);
        // An inverting pen mode draws everything twice to take it away again: only the frame
        // comes back exactly.
        if (canvas.penMode() != PenMode::Copy) {
            Outline(canvas, ring);
            continue;
        }
        const TImageDef* def =
            image.def >= 0 && static_cast<std::size_t>(image.def) < d.ImageDefAry.size()
                ? &d.ImageDefAry[static_cast<std::size_t>(image.def)]
                : nullptr;
        const ImageCorners corners = ImageCornersOf(image);
        CanvasImage picture;
        picture.topLeft = device(corners.topLeft);
        picture.topRight = device(corners.topRight);
        picture.bottomLeft = device(corners.bottomLeft);
        bool drawn = false;
        if ((image.code70 & ImageShown) != 0 && def != nullptr && !def->path.empty()) {
            picture.path = def->path;
            if (ImageClipped(image)) picture.clip = ring;
            picture.tone = ToneOf(v.colorMode);
            picture.brightness = image.code281;
            picture.contrast = image.code282;
            picture.fade = image.code283;
            picture.background = v.backColor;
            picture.wait = v.waitForPictures;
            drawn = canvas.drawImage(picture);
        }
        // A picture that shows is framed when the drawing asks for frames; one that does not
        // is always framed, and named when its file is what is missing.
        if (drawn && !d.ImageFrame) continue;
        canvas.setPen(colour, LineweightPen(image.code370, v.penWidth, v.lineweights), PenSolid);
        Outline(canvas, ring);
        if (!drawn && (image.code70 & ImageShown) != 0)
            Caption(canvas, ImageFileCaption(def != nullptr ? def->fileName : std::string()),
                    picture.topLeft, picture.topRight, picture.bottomLeft, ring, colour);
    }
    return count;
}

} // namespace orvanta
