#include "browse/FolderHistory.h"

#include <algorithm>

namespace orvanta {

void FolderHistory::add(const std::string& path) {
    if (path.empty()) return;
    remove(path);
    std::move_backward(entries_.begin(), entries_.end() - 1, entries_.end());
    entries_[0] = path;
}

bool FolderHistory::remove(const std::string& path) {
    if (path.empty()) return false;
    const auto found = std::find(entries_.begin(), entries_.end(), path);
    if (found == entries_.end()) return false;
    removeAt(static_cast<int>(found - entries_.begin()));
    return true;
}

void FolderHistory::removeAt(int index) {
    if (index < 0 || index >= Size) return;
    std::move(entries_.begin() + index + 1, entries_.end(), entries_.begin() + index);
    entries_.back().clear();
}

bool FolderHistory::anyVisible() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const std::string& entry) { return !entry.empty(); });
}

} // namespace orvanta
