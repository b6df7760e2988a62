// The sixteen most recent folders of the "ファイル" menu, entry 0 the newest.
#pragma once

#include "browse/Settings.h"

#include <array>
#include <string>

namespace orvanta {

class FolderHistory {
  public:
    static constexpr int Size = HistorySize;

    const std::string& at(int index) const { return entries_.at(index); }
    void set(int index, std::string path) { entries_.at(index) = std::move(path); }
    const std::array<std::string, Size>& entries() const { return entries_; }

    // Puts `path` at the top. An equal entry (exact comparison) moves up instead of being
    // repeated; with sixteen entries the oldest is dropped. Nothing happens for an empty path.
    void add(const std::string& path);
    // Removes the first entry equal to `path`; later entries move up and the last becomes empty.
    // False when no entry equals it.
    bool remove(const std::string& path);
    void removeAt(int index);

    // An entry is shown in the menu while it holds a folder; the separator below the entries
    // while any does.
    bool visible(int index) const { return !entries_.at(index).empty(); }
    bool anyVisible() const;

  private:
    std::array<std::string, Size> entries_;
};

} // namespace orvanta
