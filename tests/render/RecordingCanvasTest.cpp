// The recording canvas, reached through a forwarding canvas as the renderer's wrappers reach it.
#include "render/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(RecordingCanvasTest, ClipsAreRecordedThroughAForwardingCanvas) {
    RecordingCanvas recording;
    ForwardingCanvas forwarding(recording);
    forwarding.setClip({{{0, 0}, {10, 0}, {10, 10}}, {{2, 2}, {4, 2}, {4, 4}}});
    forwarding.setClip({});
    forwarding.clearClip();
    EXPECT_EQ(recording.log(), "setClip([0,0 10,0 10,10] [2,2 4,2 4,4])\n"
                               "setClip()\n"
                               "clearClip()\n");
    EXPECT_EQ(recording.callsOf(CanvasCall::Kind::SetClip)[0].rings.size(), 2u);
}

} // namespace
} // namespace orvanta
