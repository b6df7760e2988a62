// Listing the drawings of a folder for the file list, and removing converted drawings.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace orvanta {

struct DrawingFile {
    std::string name; // file name without folder
    std::uintmax_t size = 0;
    std::time_t modified = 0;
};

struct FolderScanResult {
    std::vector<DrawingFile> files; // DXF and DWG files, sorted for the list
    // True when the folder held any entry named like "*.d??" at all, drawing or not.
    bool anyCandidate = false;
    bool stopped = false; // `progress` asked to stop; `files` is then incomplete
};

// Lists the DXF and DWG files (extension compared without regard to case) directly inside
// `folder`. Folders are not listed, whatever their name. `progress` is called before each entry
// of the folder with the number of drawings found so far and may return false to stop the scan.
// A folder that cannot be read gives an empty result.
FolderScanResult ScanDrawingFolder(const std::string& folder,
                                   const std::function<bool(int count)>& progress = {});

// Orders file names as the list shows them: by the platform's collation without regard to case;
// names that differ only in case keep a fixed order.
void SortDrawingFiles(std::vector<DrawingFile>& files);

// The list's "Size" text: whole kilobytes (bytes div 1024) followed by "KB".
std::string FormatSizeKb(std::uintmax_t bytes);
// The list's "Time" text, local time as "yyyy/mm/dd hh:mm".
std::string FormatFileTime(std::time_t time);

// True when `name` ends in `extension` (".dxf"), compared without regard to case.
bool HasExtension(const std::string& name, const char* extension);

} // namespace orvanta
