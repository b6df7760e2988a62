#include "browse/FolderScan.h"

#include "browse/Collation.h"

#include <algorithm>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>

namespace orvanta {

namespace {

// The wildcard "*.d??": an extension of one to three characters beginning with 'd'.
bool MatchesWildcard(const std::string& name) {
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::size_t length = name.size() - dot - 1;
    return length >= 1 && length <= 3 && (name[dot + 1] == 'd' || name[dot + 1] == 'D');
}

} // namespace

bool HasExtension(const std::string& name, const char* extension) {
    const std::size_t length = std::char_traits<char>::length(extension);
    return name.size() >= length &&
           ::strcasecmp(name.c_str() + name.size() - length, extension) == 0;
}

FolderScanResult ScanDrawingFolder(const std::string& folder,
                                   const std::function<bool(int count)>& progress) {
    FolderScanResult result;
    std::error_code error;
    std::filesystem::directory_iterator it(folder.empty() ? "/" : folder, error);
    if (error) return result;
    for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) break;
        if (progress && !progress(static_cast<int>(result.files.size()))) {
            result.stopped = true;
            return result;
        }
        const std::string name = it->path().filename().string();
        if (!MatchesWildcard(name)) continue;
        result.anyCandidate = true;
        if (!HasExtension(name, ".dxf") && !HasExtension(name, ".dwg")) continue;
        struct stat st {};
        if (::stat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        result.files.push_back({name, static_cast<std::uintmax_t>(st.st_size), st.st_mtime});
    }
    SortDrawingFiles(result.files);
    return result;
}

void SortDrawingFiles(std::vector<DrawingFile>& files) {
    // Names equal but for case are first put in a fixed order, which the stable sort keeps.
    std::sort(files.begin(), files.end(),
              [](const DrawingFile& a, const DrawingFile& b) { return a.name < b.name; });
    std::vector<QString> names;
    names.reserve(files.size());
    for (const DrawingFile& file : files)
        names.push_back(QString::fromStdString(file.name));
    std::vector<DrawingFile> sorted;
    sorted.reserve(files.size());
    for (std::size_t i : CollationOrder(names))
        sorted.push_back(std::move(files[i]));
    files = std::move(sorted);
}

std::string FormatSizeKb(std::uintmax_t bytes) {
    return std::to_string(bytes / 1024) + "KB";
}

std::string FormatFileTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &local);
    return text;
}

} // namespace orvanta
