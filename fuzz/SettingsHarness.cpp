#include "fuzz/SettingsHarness.h"

#include "browse/IniFile.h"
#include "browse/Settings.h"

#include <cstdlib>
#include <string>

namespace orvanta {

void SettingsHarness(const std::uint8_t* data, std::size_t size) {
    IniFile file;
    file.parse(std::string(reinterpret_cast<const char*>(data), size));
    const AppSettings first = ReadSettings(file);
    WriteSettings(file, first);
    IniFile again;
    again.parse(file.text());
    const AppSettings second = ReadSettings(again);
    if (first.left != second.left || first.top != second.top ||
        first.treeWidth != second.treeWidth || first.fileListHeight != second.fileListHeight ||
        first.sidePanelWidth != second.sidePanelWidth || first.cellWidth != second.cellWidth ||
        first.cellHeight != second.cellHeight || first.converterShow != second.converterShow ||
        first.pageTab != second.pageTab)
        std::abort();
}

} // namespace orvanta
