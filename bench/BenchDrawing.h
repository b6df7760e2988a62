// Writes large synthetic drawings for the benchmarks.
#pragma once

#include <string>

namespace orvanta::bench {

// Writes a DXF of about `targetBytes` to `path` (skipped when a file of about that size is
// already there) and returns its size. The drawing mixes what real plans hold: lines, arcs,
// circles, light polylines, texts with Japanese in Shift-JIS, inserts of 50 blocks, with the
// handles and subclass markers real writers put in.
long long WriteMixedDrawing(const std::string& path, long long targetBytes);

// The same mix with exactly `entities` records in the ENTITIES section (one in ten an insert of
// a twenty-entity block). A complete file already at `path` is kept, so name it by its count.
long long WriteMixedDrawingOf(const std::string& path, long long entities);

// Peak resident memory of this process so far, in bytes.
long long PeakMemoryBytes();

} // namespace orvanta::bench
