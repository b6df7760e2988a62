// 3D faces to the closed loop of their edges.
#pragma once

#include "model/AcadDxfUnit.h"

#include <algorithm>

namespace orvanta {

// Calls edge(a, b) for each edge of a face: corner 1 to 2, ..., the last corner back to the
// first. Invisible-edge flags hide nothing.
template <class Edge> void ForEachFaceEdge(const TFaceBlk& face, Edge&& edge) {
    // The reader gives 3 or 4; anything else is held to the corners a face has.
    const int count = std::min<int>(face.count, 4);
    for (int j = 0; j < count; ++j)
        edge(face.pt[j], face.pt[(j + 1) % count]);
}

// Appends to LineAry the edges of every face of FaceAry (ForEachFaceEdge).
void ExplodeFaces(Drawing& drawing);

} // namespace orvanta
