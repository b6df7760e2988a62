#include "bridges/ConverterCommand.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace orvanta {

namespace {

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

constexpr std::size_t HashNameLength = 16;

bool IsConversionFolderName(const std::string& name) {
    if (name.size() != HashNameLength) return false;
    for (char c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool IsDxfName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension == ".dxf";
}

} // namespace

std::vector<std::string> ConverterArguments(const std::string& dwgPath,
                                            const std::string& outputFolder) {
    const std::filesystem::path input(dwgPath);
    const std::filesystem::path parent = input.parent_path();
    return {WithoutTrailingSlash(parent.empty() ? std::string(".") : parent.string()),
            WithoutTrailingSlash(outputFolder),
            "ACAD2000",
            "DXF",
            "0",
            "0",
            input.filename().string()};
}

std::string ConvertedDxfPath(const std::string& dwgPath, const std::string& outputFolder) {
    std::filesystem::path name = std::filesystem::path(dwgPath).filename();
    name.replace_extension(".dxf");
    return (std::filesystem::path(outputFolder) / name).string();
}

std::string ConversionFolder(const std::string& sourcePath, const std::string& convertedRoot) {
    // FNV-1a over the absolute path: stable from one run to the next, so a conversion made in
    // one visit of a folder serves the next while the source has not changed.
    const std::string path = std::filesystem::absolute(sourcePath).lexically_normal().string();
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : path) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char name[HashNameLength + 1];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return (std::filesystem::path(convertedRoot) / name).string();
}

int DeleteTempDxf(const std::string& convertedRoot) {
    namespace fs = std::filesystem;
    int deleted = 0;
    std::error_code error;
    std::vector<fs::path> folders;
    for (fs::directory_iterator it(convertedRoot, error), end; !error && it != end;
         it.increment(error)) {
        struct stat st {};
        if (IsConversionFolderName(it->path().filename().string()) &&
            ::lstat(it->path().c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            folders.push_back(it->path());
    }
    for (const fs::path& folder : folders) {
        std::vector<fs::path> doomed;
        std::error_code listing;
        for (fs::directory_iterator it(folder, listing), end; !listing && it != end;
             it.increment(listing)) {
            struct stat st {};
            if (IsDxfName(it->path().filename().string()) &&
                ::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
                doomed.push_back(it->path());
        }
        for (const fs::path& file : doomed) {
            std::error_code ignored;
            deleted += fs::remove(file, ignored) ? 1 : 0;
        }
        std::error_code ignored;
        fs::remove(folder, ignored); // only when empty
    }
    return deleted;
}

} // namespace orvanta
