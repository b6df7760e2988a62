// Where an IMAGE lies in the world: the corners of its picture and the outline of the part it
// shows, from its insertion point, its pixel vectors and its clip boundary.
#pragma once

#include "model/AcadDxfUnit.h"

#include <string>
#include <vector>

namespace orvanta {

// The world point of pixel coordinates (x, y) of the image: x right and y down from the
// picture's top-left corner at (-0.5, -0.5).
TAcadPoint ImagePixelPoint(const TImageBlk& image, double x, double y);

// The corners of the whole picture: top-left, top-right, bottom-left (the insertion point) and
// bottom-right.
struct ImageCorners {
    TAcadPoint topLeft;
    TAcadPoint topRight;
    TAcadPoint bottomLeft;
    TAcadPoint bottomRight;
};
ImageCorners ImageCornersOf(const TImageBlk& image);

// Whether the image shows only the inside of its clip boundary: clipping on and a boundary of
// two corners (a rectangle) or three vertices or more (a polygon).
bool ImageClipped(const TImageBlk& image);

// The outline of what the image shows, in world coordinates: its clip boundary when it is
// clipped, else the picture's four corners, running top-left, top-right, bottom-right,
// bottom-left.
std::vector<TAcadPoint> ImageOutline(const TImageBlk& image);

// The last component of a file name as a drawing stores it, whichever separator it uses: the
// caption of a picture whose file cannot be shown.
std::string ImageFileCaption(const std::string& fileName);

} // namespace orvanta
