// Block references to copies of the block's entities in the model tables.
//
// The renderer draws only LineAry, CircleAry, ArcAry and TextAry. Block definitions keep their
// entities in the Blk tables (and SolidAry), each naming its block in bname; INSERTs of the model
// are in InsertAry, INSERTs inside block definitions in BlkInsertAry (bname = the containing
// block). An ACAD_TABLE is read as the INSERT of its table block.
//
// Placing a block copies its lines, circles, arcs and texts (and the outlines of the SOLIDs of
// anonymous blocks) through the INSERT's transformation, then places the INSERTs the block holds,
// composing the transformations, so every placement of a block places the blocks inside it.
// Entities on layer "0" or of colour 0 (by block) take the INSERT's layer, its linetype (texts
// have none) and the colour of that layer, level by level from the innermost block outwards.
// The copies take code67 and code210 of the outermost reference.
//
// The block contents are indexed by block name once per pass, so expansion costs in proportion
// to what it produces.
#pragma once

#include "model/Abort.h"
#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// Blocks nested deeper than this below a model reference are not placed.
constexpr std::size_t MaxBlockNesting = 32;

// The most entities (and placements) one expansion may produce. Blocks that multiply one another
// can describe more entities than any memory holds; such a drawing is refused instead.
constexpr std::size_t MaxExpandedRecords = 10'000'000;

// Thrown when a drawing's block references expand beyond the limit.
class BlockExpansionTooLarge : public SilentAbort {
  public:
    explicit BlockExpansionTooLarge(std::size_t limit);
    // The most entities the expansion may produce.
    std::size_t limit() const { return limit_; }

  private:
    std::size_t limit_;
};

// Places every INSERT of InsertAry. An INSERT that names no block, and any nested INSERT that
// names no block, that lies deeper than MaxBlockNesting or that would place a block inside itself,
// contributes nothing. `maxRecords` bounds the entities and placements produced.
void ExpandModelInserts(Drawing& drawing, std::size_t maxRecords = MaxExpandedRecords);

// Copies, unchanged in position, every block that a DIMENSION of the model names as its picture
// (its lines, circles, arcs, SOLID outlines and texts, which take the dimension's code67), then
// runs ExpandBlockInserts. No other block reaches the model here: every other block, anonymous or
// not, is drawn only where an INSERT places it. Does nothing when BlockAry is empty.
void ExpandBlocks(Drawing& drawing, std::size_t maxRecords = MaxExpandedRecords);

// Places the INSERTs held by the blocks that dimensions name, each by its own transformation
// (and the INSERTs nested in it, as for model INSERTs); they take the dimension's code67.
void ExpandBlockInserts(Drawing& drawing, std::size_t maxRecords = MaxExpandedRecords);

// What ExpandModelInserts followed by ExpandBlocks will append to the model tables, counted
// without copying anything, so that a caller can make room once. Throws BlockExpansionTooLarge
// as those passes would.
struct ExpansionSize {
    std::size_t lines = 0;
    std::size_t circles = 0;
    std::size_t arcs = 0;
    std::size_t texts = 0;
};
ExpansionSize MeasureBlockExpansion(const Drawing& drawing,
                                    std::size_t maxRecords = MaxExpandedRecords);

} // namespace orvanta
