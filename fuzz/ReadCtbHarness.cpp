#include "fuzz/ReadCtbHarness.h"

#include "fuzz/MemoryFile.h"
#include "load/PlotStyles.h"

#include <zlib.h>

#include <string>
#include <string_view>

namespace orvanta {

namespace {

// The bytes of a .ctb file holding `text`.
std::string WrapText(std::string_view text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  Z_BEST_SPEED) != Z_OK)
        return {};
    compressed.resize(size);
    std::string bytes = "PIAFILEVERSION_2.0,CTBVER1,compress\r\npmzlibcodec";
    for (const uLong n : {uLong{0}, static_cast<uLong>(text.size()), size})
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(n >> 8 * i & 0xFF);
    return bytes + compressed;
}

} // namespace

void ReadCtbHarness(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool file = input.substr(0, 4) == "PIAF";
    const std::string bytes = file ? std::string(input) : WrapText(input);
    try {
        MemoryFile memory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        const PlotStyleTable table = ReadPlotStyleTable(memory.path());
        Drawing drawing;
        for (int color = -2; color <= 257; ++color) {
            TAcadLineBlk& line = drawing.LineAry.emplace_back();
            line.color = static_cast<std::int16_t>(color);
            line.PenColor = 0x336699;
            drawing.TextAry.emplace_back().color = static_cast<std::int16_t>(color);
        }
        ApplyPlotStyle(drawing, table);
    } catch (const PlotStyleError&) {
    }
}

} // namespace orvanta
