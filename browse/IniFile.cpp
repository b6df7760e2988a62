#include "browse/IniFile.h"

#include "dxf/TextDecoder.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

bool IsValidUtf8(const std::string& text) {
    return SanitizeUtf8(text) == text;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool IniFile::load(const std::string& path) {
    sections_.clear();
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > MaximumSize) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string text(size, '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<std::size_t>(in.gcount()));
    parse(text);
    return true;
}

void IniFile::parse(const std::string& text) {
    sections_.clear();
    Section* current = nullptr;
    std::size_t start = 0;
    // A UTF-8 byte-order mark before the first section is not part of its name.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) start = 3;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close == std::string::npos) {
                current = nullptr; // a broken header: its keys belong to no known section
                continue;
            }
            const std::string name = Trimmed(std::string_view(line).substr(1, close - 1));
            current = findSection(name);
            if (!current) {
                sections_.push_back({name, {}});
                current = &sections_.back();
            }
            continue;
        }
        const auto equals = line.find('=');
        if (!current || equals == std::string::npos || equals == 0) continue;
        std::string key = Trimmed(std::string_view(line).substr(0, equals));
        std::string value = Trimmed(std::string_view(line).substr(equals + 1));
        if (key.empty()) continue;
        if (!IsValidUtf8(value)) value = DecodeCp932(value);
        if (!IsValidUtf8(key)) continue;
        bool replaced = false;
        for (Entry& entry : current->entries) {
            if (SameName(entry.key, key)) {
                entry.value = value; // the last of duplicate keys wins
                replaced = true;
                break;
            }
        }
        if (!replaced) current->entries.push_back({std::move(key), std::move(value)});
    }
}

std::string IniFile::text() const {
    std::string out;
    for (const Section& section : sections_) {
        if (!out.empty()) out += '\n';
        out += '[' + section.name + "]\n";
        for (const Entry& entry : section.entries)
            out += entry.key + '=' + entry.value + '\n';
    }
    return out;
}

bool IniFile::save(const std::string& path) const {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // mkstemp makes the file private to its owner; keep the old file's permissions instead.
    struct stat old {};
    ::fchmod(fd, ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
    const bool written = WriteAll(fd, text()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> IniFile::value(const std::string& section,
                                          const std::string& key) const {
    const Section* found = findSection(section);
    if (!found) return std::nullopt;
    for (const Entry& entry : found->entries)
        if (SameName(entry.key, key)) return entry.value;
    return std::nullopt;
}

void IniFile::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
    Section* found = findSection(section);
    if (!found) {
        sections_.push_back({section, {}});
        found = &sections_.back();
    }
    // Line breaks would split the value over lines and be read back as something else.
    std::string clean = value;
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    for (Entry& entry : found->entries) {
        if (SameName(entry.key, key)) {
            entry.value = clean;
            return;
        }
    }
    found->entries.push_back({key, clean});
}

IniFile::Section* IniFile::findSection(const std::string& name) {
    for (Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const std::string& name) const {
    for (const Section& section : sections_)
        if (SameName(section.name, name)) return &section;
    return nullptr;
}

} // namespace orvanta
