// External references: blocks whose entities live in another drawing file. The block of a
// reference is empty in the drawing that uses it; its BLOCK names the file (code 1) and carries
// the flag 4. A load reads each referenced file with the same reader as the drawing itself and
// makes its model the block's content, so that the INSERTs of the block place it as they place
// any block. The blocks and layers the file brings are named "BLOCK|NAME" after the reference's
// block, as CAD programs show them.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvanta {

struct LoadOptions;

// References nested deeper than this below the drawing are not loaded.
constexpr int MaxReferenceDepth = 8;

// The most records the references of one drawing may bring, all files together: files that
// reference one another many times over could otherwise describe more than any memory holds.
constexpr std::size_t MaxReferencedRecords = 10'000'000;

// Why a reference was not loaded.
enum class ReferenceProblem {
    NotFound,     // no file where the path leads, nor of its name beside the drawing
    Cycle,        // the file references itself, directly or through other files
    TooDeep,      // nested deeper than MaxReferenceDepth
    Unreadable,   // the file could not be read; `detail` says why
    NotConverted, // DWG content, and no converter turned it into a DXF
    TooLarge,     // the references bring more than MaxReferencedRecords records
};

// A reference that is drawn as nothing.
struct MissingReference {
    std::string name; // the block of the reference
    std::string path; // the file as the drawing names it
    ReferenceProblem problem = ReferenceProblem::NotFound;
    std::string detail;
};

// Whether the block is an external reference whose file is to be loaded: flag 4 (or 32, a
// resolved reference, without 16, which marks what a reference brings) and a path.
bool IsExternalReference(const TBlockBlk& block);

// Loads the file of every external reference of `drawing`, just read from `path`, into its
// block: relative to `path`'s folder first (FindExternalFile), DWG content through the options'
// converter, the references of each file in turn to a depth of MaxReferenceDepth (overlays, flag
// 8, only in `drawing` itself). Each file is read once per call however often it is referenced.
// Returns the references drawn as nothing, each with its reason, in the order they were met.
std::vector<MissingReference> ResolveExternalReferences(Drawing& drawing, const std::string& path,
                                                        const LoadOptions& options);

// Makes the model of `reference` (a drawing as read, its own references resolved) the content
// of the block `name` of `drawing`: its model-space entities go to the block tables under that
// name, its blocks become "NAME|BLOCK" (anonymous ones "*NAME|..."), its layers other than "0"
// are added as "NAME|LAYER" with their colour and state unless `drawing` already has them.
// Paper space and layouts are left out. The reference's images come along, their files looked
// for beside `referencePath` (the reference's file; empty when it has none).
void MergeReference(Drawing& drawing, const std::string& name, const Drawing& reference,
                    const std::string& referencePath = {});

// How many records MergeReference copies from `reference`, at most.
std::size_t ReferenceSize(const Drawing& reference);

} // namespace orvanta
