#include "geometry/MLeaders.h"

#include "geometry/Primitives.h"

#include <cmath>
#include <type_traits>
#include <vector>

namespace orvanta {

namespace {

// The record that every piece of a MULTILEADER starts from: its owner, layer, linetype, colour,
// space and lineweight.
// A text has no linetype or lineweight and takes the rest one by one.
template <class Piece> Piece PieceOf(const TMLeaderBlk& m) {
    Piece piece;
    if constexpr (std::is_base_of_v<EntityCommon, Piece>) {
        static_cast<EntityCommon&>(piece) = m;
    } else {
        piece.bname = m.bname;
        piece.layer = m.layer;
        piece.color = m.color;
        piece.code67 = m.code67;
    }
    return piece;
}

// The closed filled arrowhead of the format's default leader style: a triangle with its tip at
// `tip`, `size` long back towards `from` and a sixth of that wide on either side.
bool Arrowhead(const TAcadPoint& tip, const TAcadPoint& from, double size,
               std::vector<TAcadPoint>& ring) {
    const double dx = tip.x - from.x, dy = tip.y - from.y;
    const double length = std::hypot(dx, dy);
    if (!(length > 0) || !(size > 0) || !std::isfinite(size)) return false;
    const double ux = dx / length * size, uy = dy / length * size;
    const TAcadPoint back{tip.x - ux, tip.y - uy, tip.z};
    ring = {
        tip, {back.x - uy / 6, back.y + ux / 6, tip.z}, {back.x + uy / 6, back.y - ux / 6, tip.z}};
    return true;
}

class Converter {
  public:
    Converter(std::vector<TAcadLineBlk>& lines, std::vector<TFillBlk>& fills,
              std::vector<TTextBlk>& texts)
        : lines_(lines), fills_(fills), texts_(texts) {}

    // Returns whether anything was drawn of it.
    bool convert(const TMLeaderBlk& m) {
        bool drawn = false;
        const TAcadLineBlk line = PieceOf<TAcadLineBlk>(m);
        for (const TMLeaderBranch& leader : m.leaders) {
            const bool lastKnown = IsFinitePoint(leader.last);
            for (const std::vector<TAcadPoint>& vertices : leader.lines) {
                std::vector<TAcadPoint> path;
                for (const TAcadPoint& p : vertices)
                    if (IsFinitePoint(p)) path.push_back(p);
                if (lastKnown) path.push_back(leader.last);
                for (std::size_t i = 1; i < path.size(); ++i)
                    segment(line, path[i - 1], path[i]);
                if (path.size() < 2) continue;
                drawn = true;
                // The arrowhead points along the first segment that has a length.
                std::size_t from = 1;
                while (from + 1 < path.size() && path[from].x == path[0].x &&
                       path[from].y == path[0].y)
                    ++from;
                TFillBlk fill = PieceOf<TFillBlk>(m);
                if (Arrowhead(path[0], path[from], m.arrowSize, fill.rings.emplace_back()))
                    fills_.push_back(std::move(fill));
            }
            const TAcadPoint end{leader.last.x + leader.dogleg.x * leader.doglegLength,
                                 leader.last.y + leader.dogleg.y * leader.doglegLength,
                                 leader.last.z + leader.dogleg.z * leader.doglegLength};
            if (m.doglegShown && lastKnown && !leader.lines.empty() && IsFinitePoint(end) &&
                (end.x != leader.last.x || end.y != leader.last.y))
                segment(line, leader.last, end);
        }
        if (m.hasText && !m.text.empty() && IsFinitePoint(m.textPoint) &&
            std::isfinite(m.textHeight) && m.textHeight > 0) {
            TTextBlk& text = texts_.emplace_back(PieceOf<TTextBlk>(m));
            text.mtflag = true;
            text.kind = TextKind::MLeader;
            text.str = m.text;
            text.pt10 = m.textPoint;
            text.pt11 = IsFinitePoint(m.textDirection) ? m.textDirection : TAcadPoint{1, 0, 0};
            text.code40 = m.textHeight;
            text.code41 = std::isfinite(m.textWidth) ? m.textWidth : 0;
            text.code71 = m.attachment >= 1 && m.attachment <= 9 ? m.attachment : 1;
            drawn = true;
        }
        return drawn;
    }

  private:
    void segment(const TAcadLineBlk& prototype, const TAcadPoint& a, const TAcadPoint& b) {
        TAcadLineBlk& line = lines_.emplace_back(prototype);
        line.st = a;
        line.ed = b;
    }

    std::vector<TAcadLineBlk>& lines_;
    std::vector<TFillBlk>& fills_;
    std::vector<TTextBlk>& texts_;
};

} // namespace

std::size_t MLeadersToPieces(Drawing& d) {
    std::size_t skipped = 0;
    Converter model(d.LineAry, d.FillAry, d.TextAry);
    for (const TMLeaderBlk& m : d.MLeaderAry)
        skipped += !model.convert(m);
    Converter blocks(d.BlkLineAry, d.BlkFillAry, d.BlkTextAry);
    for (const TMLeaderBlk& m : d.BlkMLeaderAry)
        skipped += !blocks.convert(m);
    std::vector<TMLeaderBlk>().swap(d.MLeaderAry);
    std::vector<TMLeaderBlk>().swap(d.BlkMLeaderAry);
    return skipped;
}

} // namespace orvanta
