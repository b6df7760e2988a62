#include "load/ExternalFiles.h"

#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

namespace orvanta {

namespace {

namespace fs = std::filesystem;

bool IsFile(const fs::path& p) {
    std::error_code error;
    return fs::is_regular_file(p, error);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// `relative`'s components below `base`, each matched exactly or else in any letter case.
std::optional<fs::path> Resolve(const fs::path& base, const std::vector<std::string>& components) {
    fs::path at = base;
    for (const std::string& part : components) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            at = at.parent_path();
            continue;
        }
        const fs::path exact = at / part;
        std::error_code error;
        if (fs::exists(exact, error)) {
            at = exact;
            continue;
        }
        std::optional<fs::path> found;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error))
            if (SameIgnoringCase(it->path().filename().string(), part)) {
                found = it->path();
                break;
            }
        if (!found) return std::nullopt;
        at = *found;
    }
    if (!IsFile(at)) return std::nullopt;
    return at;
}

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts(1);
    for (const char c : path) {
        if (c == '/' || c == '\\')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

} // namespace

std::optional<std::string> FindExternalFile(const std::string& drawingPath,
                                            const std::string& stored) {
    if (stored.empty()) return std::nullopt;
    std::vector<std::string> parts = Components(stored);
    const fs::path folder = fs::path(drawingPath).parent_path();
    const fs::path base = folder.empty() ? fs::path(".") : folder;
    // A drive letter ("C:") or a leading separator makes the stored path absolute elsewhere.
    const bool absolute =
        parts.front().empty() || (parts.front().size() == 2 && parts.front()[1] == ':');
    if (!absolute)
        if (const auto found = Resolve(base, parts)) return found->string();
    if (const auto found = Resolve(base, {parts.back()})) return found->string();
    if (parts.front().empty()) {
        parts.erase(parts.begin());
        if (const auto found = Resolve("/", parts)) return found->string();
    }
    return std::nullopt;
}

} // namespace orvanta
