#include "geometry/Images.h"

#include "geometry/Primitives.h"

#include <utility>

namespace orvanta {

namespace {

TAcadPoint Scaled(const TAcadPoint& v, double f) {
    return {v.x * f, v.y * f, v.z * f};
}

} // namespace

TAcadPoint ImagePixelPoint(const TImageBlk& image, double x, double y) {
    // The insertion point is the bottom-left corner, pixel coordinates (-0.5, height - 0.5).
    return PointAdd(image.pt10,
                    PointAdd(Scaled(image.u, x + 0.5), Scaled(image.v, image.height - 0.5 - y)));
}

ImageCorners ImageCornersOf(const TImageBlk& image) {
    const TAcadPoint across = Scaled(image.u, image.width);
    const TAcadPoint up = Scaled(image.v, image.height);
    const TAcadPoint topLeft = PointAdd(image.pt10, up);
    return {topLeft, PointAdd(topLeft, across), image.pt10, PointAdd(image.pt10, across)};
}

bool ImageClipped(const TImageBlk& image) {
    if (image.code280 == 0) return false;
    return image.code71 == 1 ? image.clip.size() >= 2 : image.clip.size() >= 3;
}

std::vector<TAcadPoint> ImageOutline(const TImageBlk& image) {
    if (!ImageClipped(image)) {
        const ImageCorners c = ImageCornersOf(image);
        return {c.topLeft, c.topRight, c.bottomRight, c.bottomLeft};
    }
    std::vector<TAcadPoint> outline;
    if (image.code71 == 1) {
        // Two opposite corners of a rectangle of the picture's pixels.
        const TAcadPoint& a = image.clip[0];
        const TAcadPoint& b = image.clip[1];
        for (const auto& [x, y] :
             {std::pair{a.x, a.y}, std::pair{b.x, a.y}, std::pair{b.x, b.y}, std::pair{a.x, b.y}})
            outline.push_back(ImagePixelPoint(image, x, y));
        return outline;
    }
    outline.reserve(image.clip.size());
    for (const TAcadPoint& p : image.clip)
        outline.push_back(ImagePixelPoint(image, p.x, p.y));
    // Some writers repeat the first vertex at the end.
    if (outline.size() > 3 && image.clip.front().x == image.clip.back().x &&
        image.clip.front().y == image.clip.back().y)
        outline.pop_back();
    return outline;
}

std::string ImageFileCaption(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

} // namespace orvanta
