// Drawing the model's raster images (IMAGE): each picture mapped into its parallelogram and cut
// to its clip boundary by the canvas, with a frame around it. A picture the canvas cannot show
// (its file missing or unreadable, or a canvas without pictures) is drawn as its frame with the
// file's name inside, so that the sheet still says what belongs there.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/DrawOther.h"

namespace orvanta {

// The images of the view's space, under everything else. In a pen mode other than copy (a
// layer's blink) only their frames are drawn, with the pen. Returns how many passed the filters.
int DrawImages(const Drawing& drawing, Canvas& canvas, const OtherKindsView& view);

} // namespace orvanta
