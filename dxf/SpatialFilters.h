// Spatial filters: the clip boundaries (XCLIP) of block references, as the OBJECTS section keeps
// them. A clipped INSERT names its extension dictionary (code 360 in its "{ACAD_XDICTIONARY"
// group); that dictionary's entry "ACAD_FILTER" names a dictionary whose entry "SPATIAL" names
// the SPATIAL_FILTER object. The reader gathers the three kinds of link as they come, in any
// order, and ties them together once the file is read.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvanta {

// A boundary with more points than this is not used: the block is shown whole. Real boundaries
// have a few dozen; the limit keeps the cost of cutting a block to one bounded.
constexpr std::size_t MaxClipBoundaryPoints = 10'000;

// What a SPATIAL_FILTER says, as read (DXF reference, SPATIAL_FILTER group codes).
struct SpatialFilter {
    std::int16_t code70 = 0;        // number of points; 2 = a rectangle by two corners
    std::vector<TAcadPoint> points; // codes 10/20, in the boundary's own coordinate system
    bool enabled = true;            // code 71: 0 shows the block whole
    bool frontClip = false;         // code 72 = 1: the next code 40 is the front distance
    bool tooManyPoints = false;     // more than MaxClipBoundaryPoints
    std::vector<double> inverse;    // the first twelve codes 40: the inverse of the block
                                    // transformation the reference had when it was clipped
    std::vector<double> toBoundary; // the next twelve: world to the boundary's system
};

// The links gathered from one file.
class SpatialFilterLinks {
  public:
    // The INSERT at `index` of InsertAry (or of BlkInsertAry when `inBlock`) has the extension
    // dictionary `dictionary`.
    void addReference(bool inBlock, std::size_t index, std::uint64_t dictionary) {
        references_.push_back({inBlock, index, dictionary});
    }
    // The references `part` gathered from the next stretch of the ENTITIES section, whose
    // INSERTs follow the first `modelInserts` of InsertAry.
    void appendReferences(const SpatialFilterLinks& part, std::size_t modelInserts) {
        for (const Reference& r : part.references_)
            references_.push_back(
                {r.inBlock, r.inBlock ? r.index : r.index + modelInserts, r.dictionary});
    }
    // Entry `name` of the dictionary `dictionary` names `target`; only the two entries on the
    // way to a filter are kept.
    void addEntry(std::uint64_t dictionary, const std::string& name, std::uint64_t target);
    // The filter of that handle, made empty when first asked for.
    SpatialFilter& filter(std::uint64_t handle) { return filters_[handle]; }

    // Gives every reference whose links lead to a usable filter its boundary in the coordinates
    // of its block's definition: appended to ClipAry, its index in the INSERT's `clip`. A
    // filter that is switched off, has fewer than three corners, too many points or values
    // that are not finite leaves its reference unclipped.
    void apply(Drawing& drawing) const;

  private:
    struct Reference {
        bool inBlock;
        std::size_t index;
        std::uint64_t dictionary;
    };
    std::vector<Reference> references_;
    std::unordered_map<std::uint64_t, std::uint64_t> filterEntries_;  // dictionary -> ACAD_FILTER
    std::unordered_map<std::uint64_t, std::uint64_t> spatialEntries_; // dictionary -> SPATIAL
    std::unordered_map<std::uint64_t, SpatialFilter> filters_;
};

// The boundary of `filter` in the coordinates of the block that `insert` places (whose base
// point is `blockBase`): the boundary's points taken back to world coordinates, then through the
// inverse block transformation the filter stores, or, when it stores none, the inverse of the
// reference's own. Empty when the filter gives no usable boundary.
std::vector<TAcadPoint> BlockClipBoundary(const SpatialFilter& filter, const TInsertBlk& insert,
                                          const TAcadPoint& blockBase);

} // namespace orvanta
