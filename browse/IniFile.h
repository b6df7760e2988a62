// A small INI file: sections of key=value lines, read leniently and written atomically.
//
// Section and key names compare without regard to letter case, as INI files always have. Lines
// that are neither a section header, a key nor a comment are dropped when the file is read.
// Everything read is kept in its order and written back, so keys this program does not know
// survive a save.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvanta {

class IniFile {
  public:
    // Files larger than this are taken as damaged and read as empty.
    static constexpr std::size_t MaximumSize = 1 << 20;

    // Reads `path`. A missing, unreadable or oversized file gives an empty IniFile and false.
    bool load(const std::string& path);
    // Parses INI text. Values that are not valid UTF-8 are taken as Shift-JIS (CP932).
    void parse(const std::string& text);
    std::string text() const;

    // Writes the file through a temporary file in the same folder that is then renamed over
    // `path`, so an interrupted save leaves the old file whole. False when that fails.
    bool save(const std::string& path) const;

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    void setValue(const std::string& section, const std::string& key, const std::string& value);

  private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* findSection(const std::string& name);
    const Section* findSection(const std::string& name) const;

    std::vector<Section> sections_;
};

} // namespace orvanta
