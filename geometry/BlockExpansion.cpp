#include "geometry/BlockExpansion.h"

#include "geometry/BlockClipping.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/FaceExplosion.h"
#include "geometry/InsertPlacement.h"
#include "geometry/LeaderExplosion.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace orvanta {

BlockExpansionTooLarge::BlockExpansionTooLarge(std::size_t limit)
    : SilentAbort("the block references of this drawing expand to more than " +
                  std::to_string(limit) + " entities"),
      limit_(limit) {}

namespace {

using BlockId = std::uint32_t;
constexpr BlockId NoBlock = std::numeric_limits<BlockId>::max();
// A block circle or arc whose placement is not a circle of the world XY plane (a tilted or
// unevenly scaled one) becomes chords of at most this many degrees.
constexpr double TiltedChordStepDeg = 5;
// The chords of a whole ellipse: block ellipses are cut as those of the model are.
constexpr std::size_t EllipseChords = static_cast<std::size_t>(360 / FlatteningStepDeg) + 1;

// Lists of entries grouped by block, every list of one kind in one array and in table order:
// built by counting and then filling, so a drawing with thousands of small blocks makes one
// allocation per kind instead of several per block.
template <class Item> class ListsByBlock {
  public:
    ListsByBlock() = default;
    // Groups entry i (owned by owners[i], left out when NoBlock) as itemAt(i).
    template <class ItemAt>
    ListsByBlock(std::size_t blocks, const std::vector<BlockId>& owners, ItemAt itemAt)
        : first_(blocks + 1, 0) {
        for (const BlockId owner : owners)
            if (owner != NoBlock) ++first_[owner + 1];
        for (std::size_t b = 0; b < blocks; ++b)
            first_[b + 1] += first_[b];
        items_.resize(first_[blocks]);
        std::vector<std::size_t> next(first_.begin(), first_.end() - 1);
        for (std::size_t i = 0; i < owners.size(); ++i)
            if (owners[i] != NoBlock) items_[next[owners[i]]++] = itemAt(i);
    }

    std::span<const Item> of(BlockId block) const {
        return {items_.data() + first_[block], first_[block + 1] - first_[block]};
    }

  private:
    std::vector<std::size_t> first_;
    std::vector<Item> items_;
};

// What one block holds, as indexes into the Blk tables, in table order.
struct BlockContent {
    TAcadPoint base;
    bool anonymous = false;
    std::span<const std::uint32_t> lines;
    std::span<const std::uint32_t> circles;
    std::span<const std::uint32_t> arcs;
    std::span<const std::uint32_t> texts;
    std::span<const std::uint32_t> solids;
    std::span<const std::uint32_t> fills;
    std::span<const std::uint32_t> points;
    std::span<const std::uint32_t> splines;
    std::span<const std::uint32_t> rays;
    std::span<const std::uint32_t> ellipses;
    std::span<const std::uint32_t> faces;
    std::span<const std::uint32_t> leaders;
    std::span<const std::uint32_t> images;
    // The INSERTs the block holds whose block exists, with that block.
    std::span<const std::pair<std::uint32_t, BlockId>> inserts;
};

// The blocks of a drawing by name (the first BlockAry record of a name wins) with their contents,
// built in one walk over each Blk table. The index keeps the names of d.BlockAry, which must
// outlive it.
class BlockIndex {
  public:
    explicit BlockIndex(const Drawing& d) {
        ids_.reserve(d.BlockAry.size());
        for (const TBlockBlk& block : d.BlockAry) {
            if (!ids_.try_emplace(block.name, static_cast<BlockId>(blocks_.size())).second)
                continue;
            BlockContent& content = blocks_.emplace_back();
            content.base = block.base;
            content.anonymous = !block.name.empty() && block.name[0] == '*';
        }
        lines_ = group(d.BlkLineAry);
        circles_ = group(d.BlkCircleAry);
        arcs_ = group(d.BlkArcAry);
        texts_ = group(d.BlkTextAry);
        solids_ = group(d.SolidAry);
        fills_ = group(d.BlkFillAry);
        points_ = group(d.BlkPointAry);
        splines_ = group(d.BlkSplineAry);
        rays_ = group(d.BlkRayAry);
        ellipses_ = group(d.BlkEllipseAry);
        faces_ = group(d.BlkFaceAry);
        leaders_ = group(d.BlkLeaderAry);
        images_ = group(d.BlkImageAry);
        inserts_ = groupInserts(d.BlkInsertAry);
        for (BlockId id = 0; id < blocks_.size(); ++id) {
            BlockContent& content = blocks_[id];
            content.lines = lines_.of(id);
            content.circles = circles_.of(id);
            content.arcs = arcs_.of(id);
            content.texts = texts_.of(id);
            content.solids = solids_.of(id);
            content.fills = fills_.of(id);
            content.points = points_.of(id);
            content.splines = splines_.of(id);
            content.rays = rays_.of(id);
            content.ellipses = ellipses_.of(id);
            content.faces = faces_.of(id);
            content.leaders = leaders_.of(id);
            content.images = images_.of(id);
            content.inserts = inserts_.of(id);
        }
    }
    // The contents point into the lists of this index.
    BlockIndex(const BlockIndex&) = delete;
    BlockIndex& operator=(const BlockIndex&) = delete;

    BlockId find(std::string_view name) const {
        const auto it = ids_.find(name);
        return it == ids_.end() ? NoBlock : it->second;
    }
    std::size_t size() const { return blocks_.size(); }
    const BlockContent& operator[](BlockId id) const { return blocks_[id]; }

  private:
    // The block of each record of a Blk table.
    template <class Record> std::vector<BlockId> owners(const std::vector<Record>& records) const {
        std::vector<BlockId> owners(records.size());
        // Records of one block are usually consecutive: look a name up only when it changes.
        const std::string* lastName = nullptr;
        BlockId lastId = NoBlock;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::string& name = records[i].bname;
            if (!lastName || name != *lastName) {
                lastName = &name;
                lastId = find(name);
            }
            owners[i] = lastId;
        }
        return owners;
    }

    template <class Record>
    ListsByBlock<std::uint32_t> group(const std::vector<Record>& records) const {
        return {blocks_.size(), owners(records),
                [](std::size_t i) { return static_cast<std::uint32_t>(i); }};
    }

    // Nested INSERTs are resolved to their blocks once, not at every placement.
    ListsByBlock<std::pair<std::uint32_t, BlockId>>
    groupInserts(const std::vector<TInsertBlk>& inserts) const {
        std::vector<BlockId> owners = this->owners(inserts);
        std::vector<BlockId> targets(inserts.size());
        for (std::size_t i = 0; i < inserts.size(); ++i) {
            targets[i] = find(inserts[i].name);
            if (targets[i] == NoBlock) owners[i] = NoBlock;
        }
        return {blocks_.size(), owners, [&](std::size_t i) {
                    return std::pair<std::uint32_t, BlockId>(static_cast<std::uint32_t>(i),
                                                             targets[i]);
                }};
    }

    // Keyed by the names in d.BlockAry, which outlives the index.
    std::unordered_map<std::string_view, BlockId> ids_;
    std::vector<BlockContent> blocks_;
    ListsByBlock<std::uint32_t> lines_;
    ListsByBlock<std::uint32_t> circles_;
    ListsByBlock<std::uint32_t> arcs_;
    ListsByBlock<std::uint32_t> texts_;
    ListsByBlock<std::uint32_t> solids_;
    ListsByBlock<std::uint32_t> fills_;
    ListsByBlock<std::uint32_t> points_;
    ListsByBlock<std::uint32_t> splines_;
    ListsByBlock<std::uint32_t> rays_;
    ListsByBlock<std::uint32_t> ellipses_;
    ListsByBlock<std::uint32_t> faces_;
    ListsByBlock<std::uint32_t> leaders_;
    ListsByBlock<std::uint32_t> images_;
    ListsByBlock<std::pair<std::uint32_t, BlockId>> inserts_;
};

// Layer colours by name, with the lookup's side effect kept: a name that no layer has is appended
// to LayerAry (colour 7) the first time it is asked for, as GetLayerColor does.
class LayerColours {
  public:
    explicit LayerColours(Drawing& d) : d_(d) {
        for (const TLayer& layer : d.LayerAry) {
            colours_.try_emplace(layer.Name, layer.color);
            weights_.try_emplace(layer.Name, layer.code370);
        }
    }
    // The lineweight of the layer; a layer the table does not list has the default one.
    std::int16_t weightOf(const std::string& name) const {
        const auto it = weights_.find(name);
        return it == weights_.end() ? LineweightDefault : it->second;
    }
    std::int16_t of(const std::string& name) {
        const auto it = colours_.find(name);
        if (it != colours_.end()) return it->second;
        const std::int16_t colour = GetLayerColor(d_, name);
        colours_.emplace(name, colour);
        return colour;
    }

  private:
    Drawing& d_;
    std::unordered_map<std::string, std::int16_t> colours_;
    std::unordered_map<std::string, std::int16_t> weights_;
};

// For each block, the code67 of the first dimension naming it as its picture, if any does.
using DimensionSpaces = std::vector<std::optional<std::int16_t>>;

DimensionSpaces SpacesOfDimensionBlocks(const Drawing& d, const BlockIndex& index) {
    DimensionSpaces spaces(index.size());
    for (const TDimensionBlk& dimension : d.DimensionAry) {
        const BlockId id = index.find(dimension.dimblkName);
        if (id != NoBlock && !spaces[id]) spaces[id] = dimension.code67;
    }
    return spaces;
}

// r.layer == "0" without the length count and library call of a comparison with a C string, which
// block expansion makes for every copy at every level.
bool IsLayerZero(const std::string& layer) {
    return layer.size() == 1 && layer[0] == '0';
}

// The placements of an INSERT: itself, or for a MINSERT every cell of its rows and columns,
// spaced along the insert's own rotated axes.
template <class F> void ForEachCell(const TInsertBlk& insert, F&& place) {
    if (insert.code70 <= 1 && insert.code71 <= 1) {
        place(insert);
        return;
    }
    const double a = insert.rotate * DegToRad;
    TInsertBlk cell = insert;
    for (int row = 0; row < std::max<int>(insert.code71, 1); ++row) {
        for (int column = 0; column < std::max<int>(insert.code70, 1); ++column) {
            const double x = column * insert.code44, y = row * insert.code45;
            cell.base = {insert.base.x + x * std::cos(a) - y * std::sin(a),
                         insert.base.y + x * std::sin(a) + y * std::cos(a), insert.base.z};
            place(cell);
        }
    }
}

class Expander {
  public:
    // Reads the block tables of `d` and appends to the model tables of `out`. Without `out` the
    // expander only counts what the same placements would produce, so that the model tables
    // can grow once and an oversized drawing is refused before anything is copied.
    Expander(const Drawing& d, Drawing* out, const BlockIndex& index, std::size_t maxRecords)
        : d_(d), out_(out), index_(index), maxRecords_(maxRecords), sizing_(out == nullptr) {
        if (out) colours_.emplace(*out);
    }

    using Output = ExpansionSize;
    const Output& output() const { return output_; }

    // One model INSERT and everything nested in its block.
    void placeModelInsert(const TInsertBlk& insert) {
        const BlockId id = index_.find(insert.name);
        if (id == NoBlock) return;
        space_ = insert.code67;
        ForEachCell(insert, [&](const TInsertBlk& cell) {
            chain_.clear();
            open_.clear();
            chain_.emplace_back(cell, index_[id].base);
            place(id);
        });
    }

    // An INSERT inside a dimension's block: placed by its own transformation only, since the
    // dimension's block is already where it belongs.
    void placeDimensionInsert(const TInsertBlk& insert, BlockId owner, std::int16_t space) {
        const BlockId id = index_.find(insert.name);
        if (id == NoBlock || id == owner) return;
        space_ = space;
        chain_.clear();
        open_.assign(1, owner);
        chain_.emplace_back(insert, index_[id].base);
        place(id);
    }

    // A dimension's block, unchanged but for code67.
    void copyDimensionBlock(BlockId id, std::int16_t space) {
        const BlockContent& c = index_[id];
        count(1);
        if (sizing_) {
            size(c, 3 * c.solids.size());
            return;
        }
        for (std::uint32_t i : c.lines) {
            count(1);
            out_->LineAry.emplace_back(d_.BlkLineAry[i]).code67 = space;
        }
        for (std::uint32_t i : c.arcs) {
            count(1);
            out_->ArcAry.emplace_back(d_.BlkArcAry[i]).code67 = space;
        }
        for (std::uint32_t i : c.circles) {
            count(1);
            out_->CircleAry.emplace_back(d_.BlkCircleAry[i]).code67 = space;
        }
        for (std::uint32_t i : c.solids) {
            const TSolidBlk& solid = d_.SolidAry[i];
            const TAcadPoint* corners[] = {&solid.p1, &solid.p2, &solid.p3, &solid.p1};
            for (int k = 0; k < 3; ++k) {
                count(1);
                TAcadLineBlk& line = edgeOf(solid);
                line.st = *corners[k];
                line.ed = *corners[k + 1];
                line.code67 = space;
            }
        }
        for (std::uint32_t i : c.texts) {
            count(1);
            TTextBlk& text = out_->TextAry.emplace_back(d_.BlkTextAry[i]);
            text.code67 = space;
            text.kind = TextKind::Dimension;
        }
        for (std::uint32_t i : c.fills) {
            count(1);
            out_->FillAry.emplace_back(d_.BlkFillAry[i]).code67 = space;
        }
        for (std::uint32_t i : c.points) {
            count(1);
            out_->PointAry.emplace_back(d_.BlkPointAry[i]).code67 = space;
        }
        for (std::uint32_t i : c.splines) {
            count(1);
            out_->SplineAry.emplace_back(d_.BlkSplineAry[i]).code67 = space;
        }
        // Ellipses, faces and leaders of the picture become chords and segments where they are.
        const auto same = [](const TAcadPoint& p) { return p; };
        for (std::uint32_t i : c.ellipses) {
            const std::size_t before = out_->LineAry.size();
            const std::size_t curves = out_->CurveAry.size();
            AppendEllipse(*out_, d_.BlkEllipseAry[i], FlatteningStepDeg * DegToRad, same, same);
            count(1 + out_->LineAry.size() - before);
            for (std::size_t k = before; k < out_->LineAry.size(); ++k)
                out_->LineAry[k].code67 = space;
            for (std::size_t k = curves; k < out_->CurveAry.size(); ++k)
                out_->CurveAry[k].code67 = space;
        }
        const auto edge = [&](const auto& source, const TAcadPoint& a, const TAcadPoint& b) {
            count(1);
            TAcadLineBlk& line = edgeOf(source);
            line.st = a;
            line.ed = b;
            line.code67 = space;
        };
        for (std::uint32_t i : c.faces) {
            const TFaceBlk& face = d_.BlkFaceAry[i];
            ForEachFaceEdge(face,
                            [&](const TAcadPoint& a, const TAcadPoint& b) { edge(face, a, b); });
        }
        for (std::uint32_t i : c.leaders) {
            const TLeaderBlk& leader = d_.BlkLeaderAry[i];
            ForEachLeaderSegment(
                leader, [&](const TAcadPoint& a, const TAcadPoint& b) { edge(leader, a, b); });
        }
    }

  private:
    struct Level {
        Level(const TInsertBlk& inner, const TAcadPoint& blockBase)
            : placement(inner, blockBase), insert(&inner),
              tilted(!IsDefaultExtrusion(inner.code210)) {
            if (tilted) frame = OcsFrameOf(inner.code210);
        }
        InsertPlacement placement;
        const TInsertBlk* insert;
        // An INSERT with its own extrusion places the block in its object coordinates, which
        // are then mapped to the space around it.
        bool tilted;
        OcsFrame frame;
        // The colour of the insert's layer, looked up once per placement when first needed.
        std::int16_t colour = 0;
        bool colourKnown = false;
    };

    void count(std::size_t records) {
        produced_ += records;
        if (produced_ > maxRecords_) throw BlockExpansionTooLarge(maxRecords_);
    }

    // What copying the block's content would add, counted without copying.
    void size(const BlockContent& c, std::size_t solidLines) {
        // Ellipses are counted as whole ones, faces and leaders at their most edges.
        const std::size_t pieces =
            c.ellipses.size() * EllipseChords + 4 * c.faces.size() + 3 * c.leaders.size();
        output_.lines += c.lines.size() + solidLines + pieces;
        output_.circles += c.circles.size();
        output_.arcs += c.arcs.size();
        output_.texts += c.texts.size();
        count(c.lines.size() + solidLines + c.circles.size() + c.arcs.size() + c.texts.size() +
              c.fills.size() + c.points.size() + c.splines.size() + c.rays.size() +
              c.images.size() + pieces);
    }

    // A new line of the model carrying the common fields of the record it is an edge or a piece
    // of; the caller settles its space.
    TAcadLineBlk& edgeOf(const EntityCommon& source) {
        TAcadLineBlk& line = out_->LineAry.emplace_back();
        static_cast<EntityCommon&>(line) = source;
        return line;
    }

    // Through every level, innermost first.
    TAcadPoint point(TAcadPoint p) const {
        for (auto k = chain_.size(); k-- > 0;) {
            p = chain_[k].placement.point(p);
            if (chain_[k].tilted) p = OcsToWcs(p, chain_[k].frame);
        }
        return p;
    }
    // A point given in the object coordinates of extrusion n, through every level.
    TAcadPoint point(const TAcadPoint& p, const TAcadPoint& n) const {
        return point(IsDefaultExtrusion(n) ? p : OcsToWcs(p, n));
    }
    // A direction through every level: the image of its tip less the image of the origin.
    TAcadPoint direction(const TAcadPoint& v) const {
        return PointSub(point(v), point(TAcadPoint{}));
    }
    // Whether every level maps the XY plane onto itself without extrusion and keeps circles
    // round; the copies of records in the world XY plane then stay circles, arcs and texts of
    // the plane. A block stretched more one way than the other is placed as a tilted one is.
    bool flat() const {
        for (const Level& level : chain_)
            if (level.tilted || !level.placement.round()) return false;
        return true;
    }
    double length(double v) const {
        for (auto k = chain_.size(); k-- > 0;)
            v = chain_[k].placement.length(v);
        return v;
    }

    // Layer "0" and by-block entities take the layer of the INSERT that places them, and the
    // colour of that layer; an INSERT on layer "0" passes them on to the next level out.
    template <class Record> void inherit(Record& r) {
        for (auto k = chain_.size(); k-- > 0;) {
            if (r.color != ColorByBlock && !IsLayerZero(r.layer)) continue;
            Level& level = chain_[k];
            const TInsertBlk& insert = *level.insert;
            r.layer = insert.layer;
            if constexpr (requires { r.ltype; }) r.ltype = insert.ltype;
            if (!level.colourKnown) {
                level.colour = colours_->of(insert.layer);
                level.colourKnown = true;
            }
            r.color = level.colour;
        }
        if constexpr (requires { r.code370; }) {
            // A by-block lineweight is the weight of the INSERT that places the record; an
            // INSERT that is itself by block passes the question on to the next level out.
            for (auto k = chain_.size(); k-- > 0 && r.code370 == LineweightByBlock;) {
                const TInsertBlk& insert = *chain_[k].insert;
                r.code370 = insert.code370 == LineweightByLayer ? colours_->weightOf(insert.layer)
                                                                : insert.code370;
            }
        }
    }

    // The copies are in world coordinates: the passes that map object coordinates have run.
    template <class Record> void finish(Record& r) {
        r.code67 = space_;
        if constexpr (std::is_same_v<decltype(r.code210), Extrusion>)
            r.code210 = Extrusion();
        else
            r.code210 = TAcadPoint{0, 0, 1};
        inherit(r);
    }

    void place(BlockId id) {
        count(1);
        open_.push_back(id);
        const BlockContent& c = index_[id];
        const std::int32_t clip = sizing_ ? NoClip : chain_.back().insert->clip;
        const AppendMarks marks = clip == NoClip ? AppendMarks{} : MarkAppends(*out_);
        if (sizing_)
            size(c, c.anonymous ? 3 * c.solids.size() : 0);
        else
            copy(c);
        for (const auto& nested : c.inserts) {
            count(1);
            const TInsertBlk& inner = d_.BlkInsertAry[nested.first];
            const auto innerId = nested.second;
            if (chain_.size() >= MaxBlockNesting) continue;
            // A block met again inside itself would place itself without end.
            if (std::find(open_.begin(), open_.end(), innerId) != open_.end()) continue;
            ForEachCell(inner, [&](const TInsertBlk& cell) {
                chain_.emplace_back(cell, index_[innerId].base);
                place(innerId);
                chain_.pop_back();
            });
        }
        if (clip != NoClip) cut(clip, marks);
        open_.pop_back();
    }

    // Cuts what the placement added since `marks` to the clip boundary of its reference, placed
    // as the block's entities are. A boundary is cut into convex pieces once, when a fill first
    // needs them; the pieces stay convex through any placement.
    void cut(std::int32_t clip, const AppendMarks& marks) {
        if (static_cast<std::size_t>(clip) >= d_.ClipAry.size()) return;
        const std::vector<TAcadPoint>& boundary = d_.ClipAry[static_cast<std::size_t>(clip)];
        std::vector<TAcadPoint> polygon;
        polygon.reserve(boundary.size());
        for (const TAcadPoint& p : boundary)
            polygon.push_back(point(p));
        std::vector<std::vector<TAcadPoint>> pieces;
        if (FillsAppended(*out_, marks)) {
            auto [known, fresh] = clipPieces_.try_emplace(clip);
            if (fresh) known->second = ConvexPieces(boundary);
            for (const auto& piece : known->second) {
                count(piece.size() / 64);
                auto& placed = pieces.emplace_back();
                for (const TAcadPoint& p : piece)
                    placed.push_back(point(p));
            }
        }
        count(ClipAppended(*out_, marks, ClipRegion(std::move(polygon), std::move(pieces))));
    }

    // The block's own entities through the current chain of placements.
    void copy(const BlockContent& c) {
        for (std::uint32_t i : c.lines) {
            count(1);
            TAcadLineBlk& line = out_->LineAry.emplace_back(d_.BlkLineAry[i]);
            if (IsDefaultExtrusion(line.code210)) {
                line.st = point(line.st);
                line.ed = point(line.ed);
            } else {
                const OcsFrame frame = OcsFrameOf(line.code210);
                line.st = point(OcsToWcs(line.st, frame));
                line.ed = point(OcsToWcs(line.ed, frame));
            }
            finish(line);
        }
        // SOLIDs are drawn as outlines for anonymous blocks only (dimension arrowheads and the
        // like), as for the dimension blocks themselves.
        if (c.anonymous) {
            for (std::uint32_t i : c.solids) {
                const TSolidBlk& solid = d_.SolidAry[i];
                const TAcadPoint corners[] = {point(solid.p1), point(solid.p2), point(solid.p3)};
                for (int k = 0; k < 3; ++k) {
                    count(1);
                    TAcadLineBlk& line = edgeOf(solid);
                    line.st = corners[k];
                    line.ed = corners[(k + 1) % 3];
                    finish(line);
                }
            }
        }
        const bool flat = this->flat();
        for (std::uint32_t i : c.circles) {
            const TCircleBlk& source = d_.BlkCircleAry[i];
            if (!flat || !IsDefaultExtrusion(source.code210)) {
                placeCurve(source, source.center, source.hankei, 0, 360, true);
                continue;
            }
            count(1);
            TCircleBlk& circle = out_->CircleAry.emplace_back(source);
            circle.center = point(circle.center);
            circle.hankei = length(circle.hankei);
            finish(circle);
        }
        for (std::uint32_t i : c.arcs) {
            const TArcBlk& source = d_.BlkArcAry[i];
            if (!flat || !IsDefaultExtrusion(source.code210)) {
                placeCurve(source, source.center, source.hankei, source.st, source.ed, false);
                continue;
            }
            count(1);
            TArcBlk& arc = out_->ArcAry.emplace_back(source);
            arc.center = point(arc.center);
            arc.hankei = length(arc.hankei);
            for (auto k = chain_.size(); k-- > 0;)
                chain_[k].placement.arcAngles(arc.st, arc.ed);
            finish(arc);
        }
        for (std::uint32_t i : c.texts) {
            count(1);
            TTextBlk& text = out_->TextAry.emplace_back(d_.BlkTextAry[i]);
            placeText(text, flat);
            finish(text);
        }
        // Fills, points and splines are made of points alone, which every placement maps
        // exactly (a B-spline's image is the spline of its control points' images).
        for (std::uint32_t i : c.fills) {
            const TFillBlk& source = d_.BlkFillAry[i];
            count(1 + source.segments.size() / 64);
            TFillBlk& fill = out_->FillAry.emplace_back(source);
            for (auto& ring : fill.rings)
                for (TAcadPoint& p : ring)
                    p = point(p);
            for (TAcadPoint& p : fill.segments)
                p = point(p);
            fill.code67 = space_;
            inherit(fill);
        }
        for (std::uint32_t i : c.points) {
            count(1);
            TPointBlk& p = out_->PointAry.emplace_back(d_.BlkPointAry[i]);
            p.pt10 = point(p.pt10);
            p.code67 = space_;
            inherit(p);
        }
        // An image's picture follows its corner and its pixel vectors; its clip boundary is in
        // the picture's own pixels and goes with it.
        for (std::uint32_t i : c.images) {
            count(1);
            TImageBlk& image = out_->ImageAry.emplace_back(d_.BlkImageAry[i]);
            image.u = direction(image.u);
            image.v = direction(image.v);
            image.pt10 = point(image.pt10);
            image.code67 = space_;
            inherit(image);
        }
        for (std::uint32_t i : c.rays) {
            count(1);
            TRayBlk& ray = out_->RayAry.emplace_back(d_.BlkRayAry[i]);
            ray.pt11 = direction(ray.pt11);
            ray.pt10 = point(ray.pt10);
            ray.code67 = space_;
            inherit(ray);
        }
        // Ellipses, faces and leaders are given in world coordinates of the block: their points
        // and axes go through the placements, which keeps an ellipse an ellipse whatever the
        // scale, and they become the chords and segments the model's own become.
        const auto mapPoint = [&](const TAcadPoint& p) { return point(p); };
        const auto mapDirection = [&](const TAcadPoint& v) { return direction(v); };
        for (std::uint32_t i : c.ellipses) {
            const std::size_t before = out_->LineAry.size();
            const std::size_t curves = out_->CurveAry.size();
            AppendEllipse(*out_, d_.BlkEllipseAry[i], FlatteningStepDeg * DegToRad, mapPoint,
                          mapDirection);
            count(1 + out_->LineAry.size() - before);
            for (std::size_t k = before; k < out_->LineAry.size(); ++k)
                finish(out_->LineAry[k]);
            for (std::size_t k = curves; k < out_->CurveAry.size(); ++k) {
                out_->CurveAry[k].code67 = space_;
                inherit(out_->CurveAry[k]);
            }
        }
        for (std::uint32_t i : c.faces) {
            const TFaceBlk& face = d_.BlkFaceAry[i];
            ForEachFaceEdge(face, [&](const TAcadPoint& a, const TAcadPoint& b) {
                piece(face, point(a), point(b));
            });
        }
        for (std::uint32_t i : c.leaders) {
            const TLeaderBlk& leader = d_.BlkLeaderAry[i];
            ForEachLeaderSegment(leader, [&](const TAcadPoint& a, const TAcadPoint& b) {
                piece(leader, point(a), point(b));
            });
        }
        for (std::uint32_t i : c.splines) {
            const TSplineBlk& source = d_.BlkSplineAry[i];
            count(1 + source.control.size() / 64);
            TSplineBlk& spline = out_->SplineAry.emplace_back(source);
            for (TAcadPoint& p : spline.control)
                p = point(p);
            spline.code67 = space_;
            inherit(spline);
        }
    }

    // A circle or arc (startDeg to endDeg counterclockwise about its extrusion) in its object
    // coordinates, through a chain that may tilt or mirror it. Its image is a circle or arc of
    // the world XY plane when the object axes map to perpendicular vectors of equal length in
    // that plane (a mirror reverses the arc); any other image is an ellipse, which becomes
    // chords.
    template <class Record>
    void placeCurve(const Record& source, const TAcadPoint& centre, double radius, double startDeg,
                    double endDeg, bool whole) {
        const OcsFrame own = OcsFrameOf(source.code210);
        const TAcadPoint c = point(centre, source.code210);
        const TAcadPoint u = direction(own.ax);
        const TAcadPoint v = direction(own.ay);
        const double lu = std::hypot(u.x, u.y, u.z);
        const double lv = std::hypot(v.x, v.y, v.z);
        const double tol = 1e-9 * std::max(lu, lv);
        const bool inPlane = std::fabs(u.z) <= tol && std::fabs(v.z) <= tol;
        const bool round = std::fabs(lu - lv) <= tol && std::fabs(u.x * v.x + u.y * v.y) <= tol;
        if (inPlane && round && lu > 0) {
            count(1);
            Record& copy = [&]() -> Record& {
                if constexpr (std::is_same_v<Record, TCircleBlk>)
                    return out_->CircleAry.emplace_back(source);
                else
                    return out_->ArcAry.emplace_back(source);
            }();
            copy.center = c;
            copy.hankei = radius * lu;
            if constexpr (std::is_same_v<Record, TArcBlk>) {
                const double turn = std::atan2(u.y, u.x) * RadToDeg;
                const bool mirrored = u.x * v.y - u.y * v.x < 0;
                copy.st = mirrored ? turn - endDeg : turn + startDeg;
                copy.ed = mirrored ? turn - startDeg : turn + endDeg;
            }
            finish(copy);
            return;
        }
        double sweep = whole ? 360 : endDeg - startDeg;
        if (sweep <= 0) sweep += 360;
        // At most one turn, as ArcSweep has it; angles too large for a degree to count (or no
        // number at all) give a whole turn rather than a step count no int holds.
        if (!(sweep > 0 && sweep <= 360)) sweep = 360;
        const int steps = std::max(1, static_cast<int>(std::ceil(sweep / TiltedChordStepDeg)));
        TAcadPoint previous;
        for (int k = 0; k <= steps; ++k) {
            const double a = (startDeg + sweep * k / steps) * DegToRad;
            const TAcadPoint p = PointAdd(
                c, PointAdd(Scaled(u, radius * std::cos(a)), Scaled(v, radius * std::sin(a))));
            if (k > 0) piece(source, previous, p);
            previous = p;
        }
    }

    // A segment of a face, a leader or a curve, already placed.
    template <class Record>
    void piece(const Record& source, const TAcadPoint& a, const TAcadPoint& b) {
        count(1);
        TAcadLineBlk& line = edgeOf(source);
        line.st = a;
        line.ed = b;
        finish(line);
    }

    static TAcadPoint Scaled(const TAcadPoint& v, double f) { return {v.x * f, v.y * f, v.z * f}; }

    void placeText(TTextBlk& text, bool flat) const {
        if (!flat || !IsDefaultExtrusion(text.code210)) {
            placeTiltedText(text);
            return;
        }
        text.pt10 = point(text.pt10);
        text.code40 = length(text.code40);
        scaleParagraph(text);
        if (!text.mtflag) {
            // TEXT: the second alignment point is a position; the text turns with the block.
            text.pt11 = point(text.pt11);
            for (const Level& level : chain_)
                text.code50 += level.placement.rotation();
            return;
        }
        // MTEXT: pt11 is the direction of the text's x axis, not a position. A zero direction
        // means the x axis itself, which matters only once something turns it.
        TAcadPoint direction = text.pt11;
        bool zero = direction.x == 0 && direction.y == 0;
        for (auto k = chain_.size(); k-- > 0;) {
            if (chain_[k].placement.rotation() == 0) continue;
            if (zero) {
                direction = {1, 0, direction.z};
                zero = false;
            }
            direction = chain_[k].placement.turn(direction);
        }
        text.pt11 = direction;
    }

    // An MTEXT wraps at its reference width and flows into columns of its own height: they
    // scale with the text.
    void scaleParagraph(TTextBlk& text) const {
        if (!text.mtflag) return;
        text.code41 = length(text.code41);
        text.code46 = length(text.code46);
        text.columnWidth = length(text.columnWidth);
        text.columnGutter = length(text.columnGutter);
    }

    // A text through a chain that tilts, mirrors or stretches: its points (TEXT keeps them in
    // its object coordinates, MTEXT in world coordinates) and its baseline direction are mapped;
    // the text is drawn upright along the mapped direction, stretched and slanted as the map
    // draws its baseline and its upright.
    void placeTiltedText(TTextBlk& text) const {
        const TAcadPoint own = text.mtflag ? TAcadPoint{0, 0, 1} : text.code210;
        const TAcadPoint n = text.code210;
        const double height = text.code40;
        text.pt10 = point(text.pt10, own);
        text.code40 = length(text.code40);
        scaleParagraph(text);
        TAcadPoint along;
        if (text.mtflag) {
            along = text.pt11;
            // No direction: the x axis of the text's object coordinates.
            if (along.x == 0 && along.y == 0 && along.z == 0) along = OcsFrameOf(n).ax;
            const double l = std::hypot(along.x, along.y, along.z);
            if (l > 0) along = Scaled(along, 1 / l);
            text.pt11 = direction(along);
            stretch(text, height, along, Cross(n, along));
            return;
        }
        text.pt11 = point(text.pt11, own);
        const double a = text.code50 * DegToRad;
        const auto inPlane = [&](double x, double y) {
            return IsDefaultExtrusion(n)
                       ? TAcadPoint{x, y, 0}
                       : PointSub(OcsToWcs(TAcadPoint{x, y, 0}, n), OcsToWcs(TAcadPoint{}, n));
        };
        along = inPlane(std::cos(a), std::sin(a));
        const TAcadPoint mapped = direction(along);
        text.code50 = std::atan2(mapped.y, mapped.x) * RadToDeg;
        stretch(text, height, along, inPlane(-std::sin(a), std::cos(a)));
    }

    static TAcadPoint Cross(const TAcadPoint& a, const TAcadPoint& b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }

    // A text of `height` whose baseline and upright run along the unit vectors `along` and `up`
    // of the block: as the placement draws them on the plan, its height is the mapped upright's
    // reach across the mapped baseline, its width factor grows with the baseline's stretch, and
    // the upright's lean along the baseline adds to its oblique angle. A mirrored text is still
    // drawn readable.
    void stretch(TTextBlk& text, double height, const TAcadPoint& along,
                 const TAcadPoint& up) const {
        const TAcadPoint e1 = direction(along), e2 = direction(up);
        const double l1 = std::hypot(e1.x, e1.y);
        const double across = std::fabs(e1.x * e2.y - e1.y * e2.x) / (l1 > 0 ? l1 : 1);
        if (!(l1 > 0) || !(across > 0) || !std::isfinite(l1 / across)) return;
        const double lean = (e1.x * e2.x + e1.y * e2.y) / l1;
        const double slant = std::tan(text.code51 * DegToRad);
        text.code40 = height * across;
        const double widen = l1 / across;
        if (text.mtflag)
            text.styleWidth *= widen;
        else
            text.code41 *= widen;
        text.code51 = std::atan((lean + slant * l1) / across) * RadToDeg;
    }

    const Drawing& d_;
    Drawing* out_;
    const BlockIndex& index_;
    std::optional<LayerColours> colours_;
    std::vector<Level> chain_;
    std::vector<BlockId> open_;
    // The convex pieces of the clip boundaries that fills were cut by, by index in ClipAry.
    std::unordered_map<std::int32_t, std::vector<std::vector<TAcadPoint>>> clipPieces_;
    std::int16_t space_ = 0;
    std::size_t maxRecords_;
    bool sizing_;
    Output output_;
    std::size_t produced_ = 0;
};

void Reserve(Drawing& d, const Expander::Output& more) {
    ReserveMore(d.LineAry, more.lines);
    ReserveMore(d.CircleAry, more.circles);
    ReserveMore(d.ArcAry, more.arcs);
    ReserveMore(d.TextAry, more.texts);
}

void PlaceDimensionInserts(const Drawing& d, const BlockIndex& index, const DimensionSpaces& spaces,
                           Expander& expander) {
    for (const TInsertBlk& insert : d.BlkInsertAry) {
        const BlockId owner = index.find(insert.bname);
        if (owner == NoBlock || !spaces[owner]) continue;
        expander.placeDimensionInsert(insert, owner, *spaces[owner]);
    }
}

// The dimensions' pictures, each once and where it stands, then the INSERTs they hold.
void PlaceDimensionPictures(const Drawing& d, const BlockIndex& index,
                            const DimensionSpaces& spaces, Expander& expander) {
    for (BlockId id = 0; id < index.size(); ++id)
        if (spaces[id]) expander.copyDimensionBlock(id, *spaces[id]);
    PlaceDimensionInserts(d, index, spaces, expander);
}

} // namespace

void ExpandModelInserts(Drawing& d, std::size_t maxRecords) {
    if (d.InsertAry.empty()) return;
    const BlockIndex index(d);
    Expander sizer(d, nullptr, index, maxRecords);
    for (const TInsertBlk& insert : d.InsertAry)
        sizer.placeModelInsert(insert);
    Reserve(d, sizer.output());
    Expander expander(d, &d, index, maxRecords);
    for (const TInsertBlk& insert : d.InsertAry)
        expander.placeModelInsert(insert);
}

void ExpandBlocks(Drawing& d, std::size_t maxRecords) {
    if (d.BlockAry.empty()) return;
    const BlockIndex index(d);
    const DimensionSpaces spaces = SpacesOfDimensionBlocks(d, index);
    Expander sizer(d, nullptr, index, maxRecords);
    PlaceDimensionPictures(d, index, spaces, sizer);
    Reserve(d, sizer.output());
    Expander expander(d, &d, index, maxRecords);
    PlaceDimensionPictures(d, index, spaces, expander);
}

void ExpandBlockInserts(Drawing& d, std::size_t maxRecords) {
    if (d.BlkInsertAry.empty() || d.BlockAry.empty()) return;
    const BlockIndex index(d);
    const DimensionSpaces spaces = SpacesOfDimensionBlocks(d, index);
    Expander sizer(d, nullptr, index, maxRecords);
    PlaceDimensionInserts(d, index, spaces, sizer);
    Reserve(d, sizer.output());
    Expander expander(d, &d, index, maxRecords);
    PlaceDimensionInserts(d, index, spaces, expander);
}

ExpansionSize MeasureBlockExpansion(const Drawing& d, std::size_t maxRecords) {
    if (d.BlockAry.empty()) return {};
    const BlockIndex index(d);
    Expander models(d, nullptr, index, maxRecords);
    for (const TInsertBlk& insert : d.InsertAry)
        models.placeModelInsert(insert);
    const DimensionSpaces spaces = SpacesOfDimensionBlocks(d, index);
    Expander dimensions(d, nullptr, index, maxRecords);
    PlaceDimensionPictures(d, index, spaces, dimensions);
    ExpansionSize size = models.output();
    size.lines += dimensions.output().lines;
    size.circles += dimensions.output().circles;
    size.arcs += dimensions.output().arcs;
    size.texts += dimensions.output().texts;
    return size;
}

} // namespace orvanta
