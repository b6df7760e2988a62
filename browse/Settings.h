// The browser's settings: window layout, options, the registered converter and the folder
// history, kept in an INI file from one run to the next.
#pragma once

#include "browse/IniFile.h"

#include <array>
#include <map>
#include <optional>
#include <string>

namespace orvanta {

constexpr int HistorySize = 16;
constexpr int MaxFileEncodings = 500;

// The print window's choices, kept for the next print.
struct PrintSettings {
    int colour = 1;           // "Print"/"Colour": 0 colour, 1 black, 2 inverted, 3 the style table
    std::string styleTable;   // "Print"/"StyleTable": the plot style table (.ctb) last chosen
    std::string paper = "A4"; // "Print"/"Paper": the paper of a PDF
    bool landscape = false;   // "Print"/"Landscape"
    double ratio = 100;       // "Print"/"Scale": N of the last 1 : N
};

struct AppSettings {
    // Design sizes of the panels, in pixels; a width or height of 0 hides the panel.
    static constexpr int DefaultTreeWidth = 183;
    static constexpr int DefaultFileListHeight = 125;
    static constexpr int DefaultSidePanelWidth = 135;
    static constexpr int DefaultCellWidth = 200;
    static constexpr int DefaultCellHeight = 160;

    std::optional<int> left; // window position; unset: centred on the screen
    std::optional<int> top;
    int treeWidth = DefaultTreeWidth;           // "Form"/"Panel1Width"
    int fileListHeight = DefaultFileListHeight; // "Form"/"Panel4Height"
    int sidePanelWidth = DefaultSidePanelWidth; // "Form"/"Panel3Width"
    int cellWidth = DefaultCellWidth;           // "Form"/"DrawGridColWidth"
    int cellHeight = DefaultCellHeight;         // "Form"/"DrawGridRowHeight"
    std::string baseFolder;                     // "TreeView"/"BaseFolade"; empty: the root
    std::string converterExePath;               // "Teigha"/"ExePath"
    bool converterShow = false;                 // "Teigha"/"Show"
    int converterTimeoutSeconds = 120;          // "Teigha"/"Timeout"; 0: no limit
    int pageTab = 0;                            // "Page"/"Tab": 0 previews, 1 detail
    bool showLineweights = false;               // "Form"/"LineWeight": "線の太さを表示"
    bool alwaysModel = false;                   // "Form"/"AlwaysModel": "常にモデルで開く"
    std::array<std::string, HistorySize> history; // "Menu"/"Path0".."Path15"
    PrintSettings print;
    bool searchSubfolders = false; // "Search"/"Subfolders": "サブフォルダも含める"
    // The encodings chosen for files, by path ("Encoding"/"File0".. as "NAME|path"), at most
    // MaxFileEncodings of them.
    std::map<std::string, std::string> fileEncodings;
};

// The settings as read at window creation. A key that is missing or holds a value that makes no
// sense (a negative or absurd size, a tab other than 0 or 1) keeps its default. The base folder
// and the converter are kept as stored even when they cannot be found now; their users check.
AppSettings ReadSettings(const IniFile& file);

// Stores the keys that are written at exit. "Panel4Height" and "Panel3Width" are read but never
// written: the file keeps whatever it held for them.
void WriteSettings(IniFile& file, const AppSettings& settings);

// "Shell"/"Path": the folder the window showed last, read at activation; `fallback` when absent.
std::string ReadShellPath(const IniFile& file, const std::string& fallback);
void WriteShellPath(IniFile& file, const std::string& path);

// Where the settings file of the executable at `executablePath` lives: beside it, with the
// executable's extension replaced by ".ini", when that folder is writable; otherwise a file of
// the same name in `configFolder`.
std::string SettingsPathFor(const std::string& executablePath, const std::string& configFolder);

// True when the folder exists and this process may create files in it.
bool FolderIsWritable(const std::string& folder);

} // namespace orvanta
