#include "render/Colors.h"

#include "render/LayerState.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace orvanta {

namespace {

// Index colours 10..249 are a hue wheel in steps of 15 degrees, five brightness levels and two
// saturations. Every value is a multiple of 255/80 (levels in tenths, saturation in halves,
// hue fractions in quarters), so it is computed exactly in units of 1/80 and only then
// truncated; a floating-point product such as 255 * 0.6 could land just below 153.
TColor HueWheelColor(int index) {
    static constexpr std::array<int, 5> levelTenths = {10, 8, 6, 5, 3};
    const int hue = (index / 10 - 1) * 15;
    const int tenths = levelTenths[static_cast<std::size_t>(index % 10 / 2)];
    const bool fullSaturation = index % 2 == 0;
    const int top = 255 * tenths * 8;                // 80ths
    const int bottom = fullSaturation ? 0 : top / 2; // 80ths
    const int quarters = hue % 60 / 15;              // f = quarters / 4
    const int rise = bottom + (top - bottom) * quarters / 4;
    const int fall = top - (top - bottom) * quarters / 4;
    int r = 0, g = 0, b = 0;
    switch (hue / 60) {
    case 0:
        r = top, g = rise, b = bottom;
        break;
    case 1:
        r = fall, g = top, b = bottom;
        break;
    case 2:
        r = bottom, g = top, b = rise;
        break;
    case 3:
        r = bottom, g = fall, b = top;
        break;
    case 4:
        r = rise, g = bottom, b = top;
        break;
    default:
        r = top, g = bottom, b = fall;
        break;
    }
    return RgbColor(r / 80, g / 80, b / 80);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string UpperAscii(const std::string& s) {
    std::string upper = s;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// The pen pattern of an entity given the linetype of its layer (nullptr when the layer is not in
// the table).
TPenStyle PenStyleWithLayerLtype(const std::string& ltype, const std::string* layerLtype) {
    if ((ltype.empty() || ltype == "BYLAYER") && layerLtype != nullptr)
        return LtypeToPenStyle(*layerLtype);
    return LtypeToPenStyle(ltype);
}

// The layer index of a record field; the field is 16 bits wide, so an index beyond it is stored
// as -1, which draws the entity as on an unlisted layer rather than on a wrong one.
std::int16_t StoredLayerIndex(int index) {
    return index <= std::numeric_limits<std::int16_t>::max() ? static_cast<std::int16_t>(index)
                                                             : std::int16_t{-1};
}

} // namespace

namespace {

TColor ComputeAciColor(int index) {
    switch (index) {
    case 1:
        return RgbColor(255, 0, 0);
    case 2:
        return RgbColor(255, 255, 0);
    case 3:
        return RgbColor(0, 255, 0);
    case 4:
        return RgbColor(0, 255, 255);
    case 5:
        return RgbColor(0, 0, 255);
    case 6:
        return RgbColor(255, 0, 255);
    case 7:
        return RgbColor(255, 255, 255);
    case 8:
        return RgbColor(128, 128, 128);
    case 9:
        return RgbColor(192, 192, 192);
    default:
        break;
    }
    if (index >= 10 && index <= 249) return HueWheelColor(index);
    if (index >= 250 && index <= 255) {
        static constexpr std::array<int, 6> greys = {51, 91, 132, 173, 214, 255};
        const int level = greys[static_cast<std::size_t>(index - 250)];
        return RgbColor(level, level, level);
    }
    return ColorBlack;
}

} // namespace

TColor AciToColor(int index) {
    // Every record of a drawing asks once: the palette is worked out a single time.
    static const std::array<TColor, 256> palette = [] {
        std::array<TColor, 256> colors{};
        for (int i = 0; i < 256; ++i)
            colors[static_cast<std::size_t>(i)] = ComputeAciColor(i);
        return colors;
    }();
    return index >= 0 && index < 256 ? palette[static_cast<std::size_t>(index)] : ColorBlack;
}

TColor InvertColor(TColor c) {
    return 0xFFFFFF - (c & 0xFFFFFF);
}

TPenStyle LtypeToPenStyle(const std::string& name) {
    struct Rule {
        std::string_view prefix;
        TPenStyle style;
    };
    // First match wins; note that no linetype gives the plain dash.
    static constexpr std::array<Rule, 9> rules = {{
        {"CON", PenSolid},
        {"HID", PenDot},
        {"DASHE", PenDot},
        {"CEN", PenDashDot},
        {"BOR", PenDashDot},
        {"DASHD", PenDashDot},
        {"DEV", PenDashDotDot},
        {"PHA", PenDashDotDot},
        {"DOT", PenDot},
    }};
    const std::string upper = UpperAscii(name);
    for (const Rule& rule : rules) {
        if (StartsWith(upper, rule.prefix)) return rule.style;
    }
    return PenSolid;
}

TPenStyle EntityPenStyle(const Drawing& drawing, const std::string& ltype,
                         const std::string& layerName) {
    const int layer = LayerIndexOf(drawing, layerName);
    return PenStyleWithLayerLtype(
        ltype, layer < 0 ? nullptr : &drawing.LayerAry[static_cast<std::size_t>(layer)].ltype);
}

namespace {

// A name as its length and its first and last eight bytes (zero-filled): the whole name when it
// has at most 16 bytes, as most layer names do, so that comparing two such names costs three
// integer comparisons instead of a call into the string library.
struct NameKey {
    std::uint64_t head = 0;
    std::uint64_t tail = 0;
    std::size_t size = 0;

    explicit NameKey(std::string_view s) : size(s.size()) {
        if (size >= 8) {
            std::memcpy(&head, s.data(), 8);
            std::memcpy(&tail, s.data() + size - 8, 8);
        } else if (size >= 4) {
            std::uint32_t first, last;
            std::memcpy(&first, s.data(), 4);
            std::memcpy(&last, s.data() + size - 4, 4);
            head = first | std::uint64_t{last} << 32;
        } else {
            for (std::size_t i = 0; i < size; ++i)
                head |= std::uint64_t{static_cast<unsigned char>(s[i])} << 8 * i;
        }
    }
    bool operator==(const NameKey&) const = default;
    bool whole() const { return size <= 16; }
    // Multiplicative hashing: the top bits of the product depend on every bit of the key.
    std::uint64_t hash() const {
        return ((head ^ size) + 0x9E3779B97F4A7C15u * tail) * 0x9E3779B97F4A7C15u;
    }
};

// Layer indexes by name for a pass over millions of records: open addressing over a table of at
// least twice the layer count, keyed by NameKey. The first layer of a name wins, as in
// LayerIndexOf.
class LayerIndexTable {
  public:
    explicit LayerIndexTable(const std::vector<TLayer>& layers) : layers_(layers) {
        std::size_t size = 16;
        int bits = 4;
        while (size < 2 * layers.size()) {
            size *= 2;
            ++bits;
        }
        slots_.assign(size, Slot{NameKey({}), -1});
        mask_ = size - 1;
        shift_ = 64 - bits;
        for (std::size_t i = 0; i < layers.size(); ++i) {
            const NameKey key(layers[i].Name);
            Slot& slot = slots_[probe(key, layers[i].Name)];
            if (slot.index < 0) slot = {key, static_cast<int>(i)};
        }
    }

    // The index of the first layer called `name`, or -1.
    int find(const std::string& name) const { return slots_[probe(NameKey(name), name)].index; }

  private:
    struct Slot {
        NameKey key;
        int index;
    };

    // The slot holding `name`, or the empty slot where it would go.
    std::size_t probe(const NameKey& key, const std::string& name) const {
        std::size_t slot = static_cast<std::size_t>(key.hash() >> shift_);
        for (;; slot = (slot + 1) & mask_) {
            const Slot& s = slots_[slot];
            if (s.index < 0) return slot;
            if (s.key == key &&
                (key.whole() || layers_[static_cast<std::size_t>(s.index)].Name == name))
                return slot;
        }
    }

    const std::vector<TLayer>& layers_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    int shift_ = 60;
};

bool IsByLayer(const std::string& ltype) {
    return ltype.empty() || std::string_view(ltype) == "BYLAYER";
}

} // namespace

void ResolvePens(Drawing& drawing) {
    // One lookup table instead of a scan of the layer table per record: a drawing with a million
    // records and hundreds of layers would otherwise spend seconds here.
    const LayerIndexTable layerIndex(drawing.LayerAry);

    // Most records draw with their layer's linetype: its pattern is worked out once per layer.
    std::vector<TPenStyle> layerStyle(drawing.LayerAry.size());
    for (std::size_t i = 0; i < layerStyle.size(); ++i)
        layerStyle[i] = LtypeToPenStyle(drawing.LayerAry[i].ltype);
    // A linetype of its own is mostly shared by the next record too: the last answer is kept.
    const std::string* lastLtype = nullptr;
    TPenStyle lastStyle = 0;
    const auto styleOf = [&](const std::string& ltype, int layer) {
        if (layer >= 0 && IsByLayer(ltype)) return layerStyle[static_cast<std::size_t>(layer)];
        if (!lastLtype || *lastLtype != ltype) {
            lastStyle = LtypeToPenStyle(ltype);
            lastLtype = &ltype;
        }
        return lastStyle;
    };

    // The palette is copied into this pass so that a record's colour costs one load.
    std::array<TColor, 256> palette;
    for (std::size_t i = 0; i < palette.size(); ++i)
        palette[i] = AciToColor(static_cast<int>(i));
    const auto colourOf = [&](std::int16_t color) {
        const int index = std::abs(static_cast<int>(color));
        return index < 256 ? palette[static_cast<std::size_t>(index)] : AciToColor(index);
    };

    // By layer takes the layer's weight; whatever is left undecided (default, a by-block record
    // that no insert placed, a layer without a weight) is the drawing's default weight.
    const auto weightOf = [&](std::int16_t weight, int layer) {
        if (weight == LineweightByLayer && layer >= 0)
            weight = drawing.LayerAry[static_cast<std::size_t>(layer)].code370;
        return weight >= 0 ? weight : std::max<std::int16_t>(drawing.LwDefault, 0);
    };

    const auto resolve = [&](auto& record) {
        const int layer = layerIndex.find(record.layer);
        record.PenColor = colourOf(record.color);
        record.PenStyle = styleOf(record.ltype, layer);
        record.layindex = StoredLayerIndex(layer);
        record.code370 = weightOf(record.code370, layer);
    };
    for (TAcadLineBlk& line : drawing.LineAry)
        resolve(line);
    for (TArcBlk& arc : drawing.ArcAry)
        resolve(arc);
    for (TCircleBlk& circle : drawing.CircleAry)
        resolve(circle);
    for (TTextBlk& text : drawing.TextAry) {
        text.PenColor = colourOf(text.color);
        text.layindex = StoredLayerIndex(layerIndex.find(text.layer));
    }
    for (TFillBlk& fill : drawing.FillAry)
        resolve(fill);
    for (TPointBlk& point : drawing.PointAry)
        resolve(point);
    for (TSplineBlk& spline : drawing.SplineAry)
        resolve(spline);
    for (TCurveBlk& curve : drawing.CurveAry)
        resolve(curve);
    for (TRayBlk& ray : drawing.RayAry)
        resolve(ray);
}

int LineweightPen(std::int16_t weight, int penWidth, const LineweightDisplay& display) {
    if (!display.shown) return penWidth;
    // No lineweight the format knows is wider than 2.11 mm; a larger value is not trusted to
    // make a wider pen.
    constexpr double WidestWeight = 211;
    const double mm = std::clamp<double>(weight, 0, WidestWeight) / 100;
    const double dpi = display.dotsPerInch > 0 ? std::min(display.dotsPerInch, 4800.0) : 96.0;
    const double pixels = mm / 25.4 * dpi;
    return std::max(penWidth, static_cast<int>(std::lround(pixels)));
}

TColor DrawnColor(TColor penColor, TColor backColor, ColorModeValue colorMode) {
    switch (colorMode) {
    case ColorModeMonochrome:
        return InvertColor(backColor);
    case ColorModeInverted:
        return InvertColor(penColor);
    default:
        return penColor == backColor ? InvertColor(backColor) : penColor;
    }
}

} // namespace orvanta
