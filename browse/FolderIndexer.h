// Brings the search index of a folder up to date: reads the drawings that are new or changed
// since they were indexed (by size and modification time) on worker threads, through the one
// load routine, and removes from the index the drawings that are gone. A drawing that fails is
// stored with its reason, so that it is read again only once it changes.
#pragma once

#include "browse/TextIndex.h"
#include "load/LoadDrawing.h"

#include <functional>
#include <string>

namespace orvanta {

struct FolderIndexRequest {
    SearchScope scope;
    // How the drawings are read: the user's encodings and, for DWG content, a converter that is
    // safe to call from several threads at once (without one, DWG files are left unindexed and
    // are looked at again on the next update).
    LoadOptions load;
    int jobs = 0; // worker threads; one per processor when 0 or less
    // The workers run at a lower priority, so that what the user waits for (the previews, a
    // drawing being opened) goes first.
    bool background = false;
};

struct FolderIndexProgress {
    std::size_t done = 0;  // drawings read so far
    std::size_t total = 0; // drawings to read
    std::string current;   // the last drawing read
};

struct FolderIndexOutcome {
    std::size_t drawings = 0;  // drawing files in the scope
    std::size_t read = 0;      // read and stored
    std::size_t failed = 0;    // of those read, the ones that failed
    std::size_t unchanged = 0; // left as indexed
    std::size_t removed = 0;   // gone from the folder and the index
    bool stopped = false;      // `progress` asked to stop: what was read is stored
};

// Updates `index` for the drawings of `request.scope`. `progress` is called on the calling
// thread, after the list is made and after each drawing is read, and may return false to stop.
// Throws TextIndexError when the index cannot be written.
FolderIndexOutcome
UpdateFolderIndex(TextIndex& index, const FolderIndexRequest& request,
                  const std::function<bool(const FolderIndexProgress&)>& progress = {});

// The drawing files of a scope as the folder scan lists them, the subfolders' too when asked
// (symbolic links to folders are not followed, so that a loop cannot trap the walk), by path.
std::vector<IndexedFile> ListDrawingFiles(const SearchScope& scope);

} // namespace orvanta
