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

// The folder of the previews benchmark, written once into the temporary folder and kept for the
// next run: `count` drawings, mostly copies of the small drawings of `samplesFolder`, one in ten
// a generated plan of 2,000 records (about 150 KB) and one in fifty one of 20,000 (about
// 1.5 MB), as folders of real work mix them. Returns the folder.
std::string MixedDrawingFolder(int count, const std::string& samplesFolder);

// Peak resident memory of this process so far, in bytes.
long long PeakMemoryBytes();

} // namespace orvanta::bench
