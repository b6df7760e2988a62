// Reading the ENTITIES section of a large file in parts, one per core: where the section is cut,
// and how the tables of the parts are joined into the drawing's.
//
// Each part is read into a drawing of its own by a reader that starts where the part begins, as
// if it had read everything before; the reader checks that the part before it really ended
// where this one began (see DxfReader.cpp). The functions here know nothing of threads.
#pragma once

#include "dxf/LineSource.h"
#include "model/AcadDxfUnit.h"

#include <vector>

namespace orvanta {

// How a file writes its pairs, for finding a pair without reading from the start.
struct PairFormat {
    bool binary = false;
    bool oneByteCodes = false; // a binary file of release 12 or earlier
};

// Where parts 2 to `parts` of the stretch from `from` to the end of `file` begin: near equal
// shares of the bytes, each at a group code 0 that starts a LINE, CIRCLE, INSERT or another entity
// that needs nothing read before it. Strictly increasing offsets after `from`; fewer when no
// such pair is near a share's start. A text value that happens to look like such a pair is
// caught later, when the part before it does not end there.
std::vector<long long> FindEntityBoundaries(const LineSource& file, PairFormat format,
                                            long long from, int parts);

// Appends the records `part` read from a stretch of the ENTITIES section that follows what
// `whole` holds: the model's tables, the dimensions, the viewports and the paper-space handles,
// with every index they hold (a polyline's own and its vertices', a handle's place in its table)
// moved to where the records now stand, and the part's names adopted. The part's tables are
// left empty. Layers and attribute tags, which the reader looks up by name, are the reader's to
// join.
void AppendEntityTables(Drawing& whole, Drawing& part);

} // namespace orvanta
