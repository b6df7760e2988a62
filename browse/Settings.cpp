#include "browse/Settings.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <sstream>
#include <unistd.h>

namespace orvanta {

namespace {

// Larger panel or cell sizes than this are no layout anybody chose.
constexpr int MaximumSize = 10000;

std::optional<int> ReadInteger(const IniFile& file, const char* section, const char* key) {
    const auto text = file.value(section, key);
    if (!text || text->empty()) return std::nullopt;
    int value = 0;
    const char* first = text->data();
    const char* last = first + text->size();
    if (*first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last) return std::nullopt;
    return value;
}

int ReadSize(const IniFile& file, const char* section, const char* key, int fallback, int minimum) {
    const auto value = ReadInteger(file, section, key);
    if (!value || *value < minimum || *value > MaximumSize) return fallback;
    return *value;
}

std::string ReadString(const IniFile& file, const char* section, const char* key) {
    return file.value(section, key).value_or(std::string());
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

} // namespace

AppSettings ReadSettings(const IniFile& file) {
    AppSettings s;
    s.left = ReadInteger(file, "Form", "Left");
    s.top = ReadInteger(file, "Form", "Top");
    s.treeWidth = ReadSize(file, "Form", "Panel1Width", s.treeWidth, 0);
    s.fileListHeight = ReadSize(file, "Form", "Panel4Height", s.fileListHeight, 0);
    s.sidePanelWidth = ReadSize(file, "Form", "Panel3Width", s.sidePanelWidth, 0);
    // A cell holds a 24-pixel title and a picture of at least one pixel.
    s.cellWidth = ReadSize(file, "Form", "DrawGridColWidth", s.cellWidth, 1);
    s.cellHeight = ReadSize(file, "Form", "DrawGridRowHeight", s.cellHeight, 25);
    const auto lineweights = ReadInteger(file, "Form", "LineWeight");
    s.showLineweights = lineweights.has_value() && *lineweights != 0;
    const auto alwaysModel = ReadInteger(file, "Form", "AlwaysModel");
    s.alwaysModel = alwaysModel.has_value() && *alwaysModel != 0;

    // A folder or a converter that cannot be found now (an unmounted drive, a network share
    // that is down) is kept as stored: the window does without it this time, and the setting
    // is still there at the next start.
    s.baseFolder = ReadString(file, "TreeView", "BaseFolade");
    s.converterExePath = ReadString(file, "Teigha", "ExePath");
    const auto show = ReadInteger(file, "Teigha", "Show");
    s.converterShow = show.has_value() && *show != 0;
    const auto timeout = ReadInteger(file, "Teigha", "Timeout");
    if (timeout && *timeout >= 0) s.converterTimeoutSeconds = *timeout;

    // Tab 2 once meant a page that no longer exists; it and anything else show the previews.
    const auto tab = ReadInteger(file, "Page", "Tab");
    s.pageTab = tab == 1 ? 1 : 0;

    for (int i = 0; i < HistorySize; ++i)
        s.history[i] = ReadString(file, "Menu", ("Path" + std::to_string(i)).c_str());

    if (const auto subfolders = ReadInteger(file, "Search", "Subfolders"))
        s.searchSubfolders = *subfolders == 1;
    const auto colour = ReadInteger(file, "Print", "Colour");
    if (colour && *colour >= 0 && *colour <= 3) s.print.colour = *colour;
    s.print.styleTable = ReadString(file, "Print", "StyleTable");
    if (const std::string paper = ReadString(file, "Print", "Paper"); !paper.empty())
        s.print.paper = paper;
    const auto landscape = ReadInteger(file, "Print", "Landscape");
    s.print.landscape = landscape.has_value() && *landscape != 0;
    for (int i = 0; i < MaxFileEncodings; ++i) {
        const std::string entry =
            ReadString(file, "Encoding", ("File" + std::to_string(i)).c_str());
        const auto bar = entry.find('|');
        if (bar == std::string::npos || bar == 0 || bar + 1 == entry.size()) continue;
        s.fileEncodings[entry.substr(bar + 1)] = entry.substr(0, bar);
    }
    const std::string ratioText = ReadString(file, "Print", "Scale");
    char* end = nullptr;
    const double ratio = std::strtod(ratioText.c_str(), &end);
    if (!ratioText.empty() && *end == '\0' && ratio > 0 && ratio <= 1e7) s.print.ratio = ratio;
    return s;
}

void WriteSettings(IniFile& file, const AppSettings& s) {
    if (s.left) file.setValue("Form", "Left", std::to_string(*s.left));
    if (s.top) file.setValue("Form", "Top", std::to_string(*s.top));
    file.setValue("Form", "Panel1Width", std::to_string(s.treeWidth));
    file.setValue("Form", "DrawGridColWidth", std::to_string(s.cellWidth));
    file.setValue("Form", "DrawGridRowHeight", std::to_string(s.cellHeight));
    file.setValue("Form", "LineWeight", s.showLineweights ? "1" : "0");
    file.setValue("Form", "AlwaysModel", s.alwaysModel ? "1" : "0");
    file.setValue("TreeView", "BaseFolade", s.baseFolder);
    file.setValue("Teigha", "ExePath", s.converterExePath);
    file.setValue("Teigha", "Show", s.converterShow ? "1" : "0");
    file.setValue("Teigha", "Timeout", std::to_string(s.converterTimeoutSeconds));
    file.setValue("Page", "Tab", std::to_string(s.pageTab));
    for (int i = 0; i < HistorySize; ++i)
        file.setValue("Menu", "Path" + std::to_string(i), s.history[i]);
    int entry = 0;
    for (const auto& [path, encoding] : s.fileEncodings) {
        if (entry == MaxFileEncodings) break;
        file.setValue("Encoding", "File" + std::to_string(entry++), encoding + "|" + path);
    }
    // Entries of a longer list written before are emptied, not left to come back.
    for (; entry < MaxFileEncodings; ++entry) {
        const std::string key = "File" + std::to_string(entry);
        if (!file.value("Encoding", key)) break;
        file.setValue("Encoding", key, "");
    }
    file.setValue("Search", "Subfolders", s.searchSubfolders ? "1" : "0");
    file.setValue("Print", "Colour", std::to_string(s.print.colour));
    file.setValue("Print", "StyleTable", s.print.styleTable);
    file.setValue("Print", "Paper", s.print.paper);
    file.setValue("Print", "Landscape", s.print.landscape ? "1" : "0");
    std::ostringstream ratio;
    ratio.imbue(std::locale::classic());
    ratio << s.print.ratio;
    file.setValue("Print", "Scale", ratio.str());
}

std::string ReadShellPath(const IniFile& file, const std::string& fallback) {
    return file.value("Shell", "Path").value_or(fallback);
}

void WriteShellPath(IniFile& file, const std::string& path) {
    file.setValue("Shell", "Path", path);
}

bool FolderIsWritable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0 && IsFolder(folder);
}

std::string SettingsPathFor(const std::string& executablePath, const std::string& configFolder) {
    std::filesystem::path beside(executablePath);
    beside.replace_extension(".ini");
    std::string folder = beside.parent_path().string();
    if (folder.empty()) folder = ".";
    if (FolderIsWritable(folder)) return beside.string();
    return (std::filesystem::path(configFolder) / beside.filename()).string();
}

} // namespace orvanta
