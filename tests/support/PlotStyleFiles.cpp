#include "support/PlotStyleFiles.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace orvanta::test {

namespace {

constexpr double StandardWeights[] = {0.00, 0.05, 0.09, 0.10, 0.13, 0.15, 0.18, 0.20, 0.25,
                                      0.30, 0.35, 0.40, 0.45, 0.50, 0.53, 0.60, 0.65, 0.70,
                                      0.80, 0.90, 1.00, 1.06, 1.20, 1.40, 1.58, 2.00, 2.11};

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>(value >> 8 * i & 0xFF);
}

} // namespace

std::string PlotStyleText(const std::vector<PlotStyleEntry>& entries) {
    std::vector<double> weights(std::begin(StandardWeights), std::end(StandardWeights));
    const auto weightIndex = [&](double mm) {
        for (std::size_t i = 0; i < weights.size(); ++i)
            if (std::abs(weights[i] - mm) < 1e-9) return i;
        weights.push_back(mm);
        return weights.size() - 1;
    };
    std::string text = "description=\"written by the tests\n"
                       "aci_table_available=TRUE\n"
                       "scale_factor=1.0\n"
                       "apply_factor=FALSE\n"
                       "custom_lineweight_display_units=0\n"
                       "aci_table{\n";
    for (int i = 0; i < 255; ++i)
        text += " " + std::to_string(i) + "=\"Color_" + std::to_string(i + 1) + "\n";
    text += "}\nplot_style{\n";
    for (int i = 0; i < 255; ++i) {
        PlotStyleEntry style{i + 1};
        for (const PlotStyleEntry& entry : entries)
            if (entry.index == i + 1) style = entry;
        const std::string name = "Color_" + std::to_string(i + 1);
        text += " " + std::to_string(i) + "{\n  name=\"" + name + "\n  localized_name=\"" + name +
                "\n  description=\"\n";
        if (style.color) {
            // 0xC2 and the colour as red, green, blue, written as a signed number.
            const TColor c = *style.color;
            const std::uint32_t bits =
                0xC2000000u | (c & 0xFF) << 16 | (c >> 8 & 0xFF) << 8 | (c >> 16 & 0xFF);
            const std::string number = std::to_string(static_cast<std::int32_t>(bits));
            text += "  color=" + number + "\n  mode_color=" + number + "\n";
        } else {
            text += "  color=-1006632961\n";
        }
        text += "  color_policy=" + std::to_string(style.grayscale ? 3 : 1) + "\n";
        text += "  physical_pen_number=0\n  virtual_pen_number=0\n";
        text += "  screen=" + std::to_string(style.screen) + "\n";
        text += "  linepattern_size=0.5\n  linetype=31\n  adaptive_linetype=TRUE\n";
        const std::size_t weight = style.lineweightMm ? weightIndex(*style.lineweightMm) : 255;
        text += "  lineweight=" + std::to_string(weight) + "\n";
        text += "  fill_style=73\n  end_style=4\n  join_style=5\n }\n";
    }
    text += "}\ncustom_lineweight_table{\n";
    for (std::size_t i = 0; i < weights.size(); ++i) {
        char mm[32];
        std::snprintf(mm, sizeof mm, "%.2f", weights[i]);
        text += " " + std::to_string(i) + "=" + mm + "\n";
    }
    text += "}\n";
    text += '\0';
    return text;
}

std::string PlotStyleFileBytes(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress the table");
    compressed.resize(size);
    std::string bytes = "PIAFILEVERSION_2.0,CTBVER1,compress\r\npmzlibcodec";
    AppendLittleEndian32(bytes, static_cast<std::uint32_t>(
                                    adler32(1, reinterpret_cast<const Bytef*>(compressed.data()),
                                            static_cast<uInt>(compressed.size()))));
    AppendLittleEndian32(bytes, static_cast<std::uint32_t>(text.size()));
    AppendLittleEndian32(bytes, static_cast<std::uint32_t>(compressed.size()));
    return bytes + compressed;
}

std::string WritePlotStyleTable(const std::string& path,
                                const std::vector<PlotStyleEntry>& entries) {
    std::ofstream out(path, std::ios::binary);
    out << PlotStyleFileBytes(PlotStyleText(entries));
    return path;
}

} // namespace orvanta::test
