// Writes large synthetic drawings for the benchmarks.
#pragma once

#include <string>

namespace orvanta::bench {

// Writes a DXF of about `targetBytes` to `path` (skipped when a file of about that size is
// already there) and returns its size. The drawing mixes what real plans hold: lines, arcs,
// circles, light polylines, texts with Japanese in Shift-JIS, inserts of 50 blocks, with the
// handles and subclass markers real writers put in.
long long WriteMixedDrawing(const std::string& path, long long targetBytes);

// Peak resident memory of this process so far, in bytes.
long long PeakMemoryBytes();

} // namespace orvanta::bench
