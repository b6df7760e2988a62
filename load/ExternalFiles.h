// The files a drawing names beside itself: raster images and external references. A drawing
// made on another machine keeps their paths as its author's system wrote them, often absolute,
// with backslashes, and in another letter case than the files on this disk.
#pragma once

#include <optional>
#include <string>

namespace orvanta {

// The file on this disk that `stored` (a path as the drawing at `drawingPath` keeps it) names:
//  - its name relative to the drawing's folder first: the stored relative path, then the stored
//    path's last component alone (a folder of drawings moved with its images);
//  - then the stored path as it stands;
// with `\` read as a separator, and each try repeated with letters of any case when the exact
// name is missing. None when no regular file is found.
std::optional<std::string> FindExternalFile(const std::string& drawingPath,
                                            const std::string& stored);

} // namespace orvanta
