#include "load/PlotStyles.h"

#include "dxf/NumberParsing.h"
#include "dxf/TextDecoder.h"
#include "render/Colors.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace orvanta {

namespace {

// A .ctb file is 60 bytes of header and a zlib stream. The header is 48 bytes of text naming the
// kind of file ("CTBVER1": a colour-dependent table; "STBVER1": a named one) and three unsigned
// 32-bit little-endian numbers: a checksum, the size of the text once inflated and the size of
// the zlib stream. What the checksum covers is not documented and writers disagree; the zlib
// stream carries a checksum of its own, which inflate verifies, so the header's is not checked.
constexpr std::string_view Signature = "PIAFILEVERSION_2.0,CTBVER1,compress\r\npmzlibcodec";
constexpr std::string_view PiaPrefix = "PIAFILEVERSION_";
constexpr std::size_t HeaderSize = 60;
constexpr std::size_t InflatedSizeAt = 52;
constexpr std::size_t DeflatedSizeAt = 56;

// A table of 255 styles inflates to about 80 KiB; anything beyond a mebibyte is no plot style
// table, and the bound keeps a hostile stream from filling the memory. A file whose stream could
// not inflate to less is refused before it is read.
constexpr std::size_t MaxTextSize = std::size_t{1} << 20;
constexpr std::size_t MaxFileSize = 2 * MaxTextSize;

// Tables nest three deep (plot_style{ 0{ ... } }); more is no table.
constexpr std::size_t MaxDepth = 8;

// A style's `lineweight` indexes the table's custom_lineweight_table, in millimetres. 255, past
// any index of that table, is "use object lineweight": the editors of these tables offer both it
// and a weight of 0.00 mm (the thinnest line the device draws), so index 0 of the table is a
// weight, not the object's.
constexpr int ObjectLineweight = 255;
// The lineweights, in hundredths of a millimetre, of a table that lists none of its own: the
// weights the format's lineweights come in.
constexpr std::array<std::int16_t, 27> DefaultLineweights = {
    0,  5,  9,  10, 13, 15, 18,  20,  25,  30,  35,  40,  45, 50,
    53, 60, 65, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};

// A style's `color` is a 32-bit number whose high byte says what the three below are: 0xC0 by
// layer and 0xC1 by block (the record's own colour, the lower bytes meaningless), 0xC2 an RGB
// colour and 0xC3 the RGB of a colour index, both red in bits 16-23, green in 8-15 and blue in
// 0-7. -1, and 0xC3FFFFFF when no `mode_color` follows, mean "use object colour". A `mode_color`,
// when present, holds the colour the table's editor shows, and wins over `color`, which some
// writers leave stale for colours that no index has.
constexpr std::uint32_t ObjectColor = 0xFFFFFFFF;
constexpr std::uint32_t DefaultObjectColor = 0xC3FFFFFF;
constexpr std::uint32_t ColorByLayerKind = 0xC0;
constexpr std::uint32_t ColorByBlockKind = 0xC1;
constexpr std::uint32_t ColorIndexKind = 0xC3;

// color_policy bits: 1 dithering, 2 grayscale, 4 the colour was picked by name. Dithering only
// tells a plotter how to approximate a colour it lacks; printing through the system draws the
// colour itself, so it changes nothing here.
constexpr int GrayscalePolicy = 2;
constexpr int MaxColorPolicy = 7;

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t{static_cast<unsigned char>(bytes[at + i])} << 8 * i;
    return value;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ParseWhole(std::string_view text, long long& value) {
    text = Trim(text);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    return !text.empty() && error == std::errc() && end == last;
}

bool ParseWhole(std::string_view text, long long low, long long high, int& value) {
    long long v;
    if (!ParseWhole(text, v) || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

// Releases a zlib stream however the inflation ends.
struct Inflater {
    z_stream stream{};
    Inflater() {
        if (inflateInit(&stream) != Z_OK) throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

// The text the zlib stream of a table holds, without the NUL that ends it.
std::string Inflate(std::string_view compressed, const std::string& file) {
    Inflater z;
    z.stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.stream.avail_in = static_cast<uInt>(compressed.size());
    std::string text;
    std::array<char, 16384> chunk;
    for (;;) {
        z.stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.stream.avail_out = static_cast<uInt>(chunk.size());
        const int status = inflate(&z.stream, Z_NO_FLUSH);
        if (status == Z_MEM_ERROR) throw std::bad_alloc();
        // Inflate makes progress or says that it cannot: with room to write, only because the
        // input ran out.
        if (status == Z_BUF_ERROR) throw PlotStyleError(file, PlotStyleProblem::Truncated);
        if (status != Z_OK && status != Z_STREAM_END)
            throw PlotStyleError(file, PlotStyleProblem::Damaged);
        const std::size_t produced = chunk.size() - z.stream.avail_out;
        if (text.size() + produced > MaxTextSize)
            throw PlotStyleError(file, PlotStyleProblem::TooLarge);
        text.append(chunk.data(), produced);
        if (status == Z_STREAM_END) break;
    }
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

// What a table's text says of one colour, before its lineweight index is looked up.
struct StyleLines {
    bool seen = false;
    std::optional<std::uint32_t> color;
    std::optional<std::uint32_t> modeColor;
    int policy = 1;
    int screen = 100;
    int lineweight = ObjectLineweight;
    long lineweightLine = 0;
    std::string lineweightText;
};

// The text of a table: lines of "name=value" (a string value opens with a quote it never
// closes), blocks "name{" ... "}" nesting them, the styles in "plot_style{ 0{ ... } 1{ ... } }"
// for colours 1 to 255, and the lineweights in "custom_lineweight_table{ 0=0.00 1=0.05 ... }".
// Names the reader does not know (the linetypes, ends and joins of the styles, which printing
// does not take from the table) are passed over.
class TableText {
  public:
    explicit TableText(const std::string& file) : file_(file) {}

    PlotStyleTable parse(std::string_view text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            ++line_;
            take(Trim(text.substr(start, end - start)));
            start = end + 1;
        }
        if (!path_.empty()) fail(PlotStyleProblem::UnbalancedBraces);
        return finish();
    }

  private:
    [[noreturn]] void fail(PlotStyleProblem problem, std::string_view value = {}, int color = 0) {
        throw PlotStyleError(file_, problem, line_, Shorten(value), color);
    }

    void take(std::string_view line) {
        if (line.empty()) return;
        if (line == "}") {
            if (path_.empty()) fail(PlotStyleProblem::UnbalancedBraces, line);
            path_.pop_back();
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            setting(Trim(line.substr(0, equals)), line.substr(equals + 1), line);
            return;
        }
        if (line.back() != '{') fail(PlotStyleProblem::MalformedLine, line);
        if (path_.size() >= MaxDepth) fail(PlotStyleProblem::TooDeep, line);
        path_.push_back(std::string(Trim(line.substr(0, line.size() - 1))));
        if (inStyles() && path_.size() == 2) {
            if (!ParseWhole(path_[1], 0, 254, style_)) fail(PlotStyleProblem::BadValue, line);
            styles_[static_cast<std::size_t>(style_)] = StyleLines{true};
        }
    }

    bool inStyles() const { return !path_.empty() && path_[0] == "plot_style"; }

    void setting(std::string_view name, std::string_view value, std::string_view line) {
        if (path_.empty()) {
            if (name == "description") {
                description_ = value.substr(!value.empty() && value.front() == '"');
            } else if (name == "aci_table_available") {
                // A named table says FALSE: its styles are chosen by name, not by colour.
                if (Trim(value) == "FALSE") fail(PlotStyleProblem::NamedPlotStyles);
                if (Trim(value) != "TRUE") fail(PlotStyleProblem::BadValue, line);
            }
        } else if (inStyles() && path_.size() == 2) {
            styleSetting(styles_[static_cast<std::size_t>(style_)], name, value, line);
        } else if (path_.size() == 1 && path_[0] == "custom_lineweight_table") {
            lineweight(name, value, line);
        }
    }

    void styleSetting(StyleLines& style, std::string_view name, std::string_view value,
                      std::string_view line) {
        const bool ok = [&] {
            if (name == "color" || name == "mode_color") {
                // Written signed; read unsigned too, as some writers do.
                long long v;
                if (!ParseWhole(value, v) || v < -2147483648LL || v > 4294967295LL) return false;
                const auto bits = static_cast<std::uint32_t>(v);
                const std::uint32_t kind = bits >> 24;
                if (bits != ObjectColor && (kind < ColorByLayerKind || kind > ColorIndexKind))
                    return false;
                (name == "color" ? style.color : style.modeColor) = bits;
                return true;
            }
            if (name == "color_policy") return ParseWhole(value, 0, MaxColorPolicy, style.policy);
            if (name == "screen") return ParseWhole(value, 0, 100, style.screen);
            if (name == "lineweight") {
                style.lineweightLine = line_;
                style.lineweightText = Shorten(line);
                return ParseWhole(value, 0, ObjectLineweight, style.lineweight);
            }
            return true;
        }();
        if (!ok) fail(PlotStyleProblem::BadValue, line);
    }

    // "N=MM": some writers follow the millimetres with a note in brackets, which is dropped.
    void lineweight(std::string_view name, std::string_view value, std::string_view line) {
        int index;
        value = Trim(value);
        value = value.substr(0, value.find(' '));
        double mm;
        if (!ParseWhole(name, 0, ObjectLineweight - 1, index) || !ParseReal(value, mm) || mm < 0 ||
            mm > 100)
            fail(PlotStyleProblem::BadValue, line);
        if (customWeights_.size() <= static_cast<std::size_t>(index))
            customWeights_.resize(static_cast<std::size_t>(index) + 1);
        customWeights_[static_cast<std::size_t>(index)] =
            static_cast<std::int16_t>(std::lround(mm * 100));
    }

    PlotStyleTable finish() {
        PlotStyleTable table;
        const bool utf8 = SanitizeUtf8(description_) == description_;
        table.description = utf8 ? std::string(description_) : DecodeCp932(description_);
        for (std::size_t i = 0; i < styles_.size(); ++i) {
            const StyleLines& lines = styles_[i];
            const int color = static_cast<int>(i) + 1;
            if (!lines.seen) {
                line_ = 0;
                fail(PlotStyleProblem::MissingColor, {}, color);
            }
            PlotStyle& style = table.styles[i + 1];
            style.color = Rgb(lines);
            style.grayscale = (lines.policy & GrayscalePolicy) != 0;
            style.screen = lines.screen;
            if (lines.lineweight != ObjectLineweight) {
                const auto index = static_cast<std::size_t>(lines.lineweight);
                std::optional<std::int16_t> weight;
                if (customWeights_.empty()) {
                    if (index < DefaultLineweights.size()) weight = DefaultLineweights[index];
                } else if (index < customWeights_.size()) {
                    weight = customWeights_[index];
                }
                if (!weight) {
                    line_ = lines.lineweightLine;
                    fail(PlotStyleProblem::BadValue, lines.lineweightText);
                }
                style.lineweight = weight;
            }
        }
        return table;
    }

    static std::optional<TColor> Rgb(const StyleLines& lines) {
        if (!lines.modeColor && (!lines.color || *lines.color == DefaultObjectColor)) return {};
        const std::uint32_t bits = lines.modeColor ? *lines.modeColor : *lines.color;
        const std::uint32_t kind = bits >> 24;
        if (bits == ObjectColor || kind == ColorByLayerKind || kind == ColorByBlockKind) return {};
        return RgbColor(static_cast<int>(bits >> 16 & 0xFF), static_cast<int>(bits >> 8 & 0xFF),
                        static_cast<int>(bits & 0xFF));
    }

    const std::string& file_;
    long line_ = 0;
    std::vector<std::string> path_;
    int style_ = 0;
    std::array<StyleLines, 255> styles_{};
    std::vector<std::optional<std::int16_t>> customWeights_;
    std::string_view description_;
};

// The colour a record of colour `own` is printed with: the style's colour or its own, as grey
// when the style asks, then screened towards the white of the paper.
TColor PrintedColor(const PlotStyle& style, TColor own) {
    const TColor color = style.color.value_or(own);
    int r = RedOf(color), g = GreenOf(color), b = BlueOf(color);
    if (style.grayscale) {
        // The luma of ITU-R BT.601, which printers' grey conversions follow.
        const int y = (299 * r + 587 * g + 114 * b + 500) / 1000;
        r = g = b = y;
    }
    if (style.screen < 100) {
        const int screen = std::clamp(style.screen, 0, 100);
        const auto ink = [screen](int v) { return 255 - ((255 - v) * screen + 50) / 100; };
        r = ink(r), g = ink(g), b = ink(b);
    }
    return RgbColor(r, g, b);
}

bool ChangesNothing(const PlotStyle& style) {
    return !style.color && !style.grayscale && style.screen >= 100 && !style.lineweight;
}

template <class Record> void ApplyTo(std::vector<Record>& records, const PlotStyleTable& table) {
    for (Record& record : records) {
        // A colour is negative on a layer that is off; the pen takes the index all the same.
        const int index = std::abs(static_cast<int>(record.color));
        if (index < 1 || index > 255) continue;
        const PlotStyle& style = table.styles[static_cast<std::size_t>(index)];
        if (ChangesNothing(style)) continue;
        record.PenColor = PrintedColor(style, record.PenColor);
        if constexpr (requires { record.code370; }) {
            if (style.lineweight) record.code370 = *style.lineweight;
        }
    }
}

} // namespace

namespace {

std::string Reason(PlotStyleProblem problem, const std::string& value, int color,
                   const std::string& detail, Language language) {
    const bool ja = language == Language::Japanese;
    switch (problem) {
    case PlotStyleProblem::NoSuchFile:
        return ja ? "ファイルがありません" : "no such file";
    case PlotStyleProblem::Unreadable:
        if (ja)
            return detail.empty() ? "ファイルを読めません"
                                  : "ファイルを読めません（" + detail + "）";
        return detail.empty() ? "the file cannot be read" : "the file cannot be read: " + detail;
    case PlotStyleProblem::NotPlotStyles:
        return ja ? "色従属印刷スタイルテーブル（.ctb）ではありません"
                  : "not a colour-dependent plot style table (.ctb)";
    case PlotStyleProblem::NamedPlotStyles:
        return ja ? "名前付き印刷スタイルテーブル（.stb）です．.ctb ファイルを選んでください"
                  : "a named plot style table (.stb); choose a colour-dependent one (.ctb)";
    case PlotStyleProblem::Truncated:
        return ja ? "ファイルが途中で切れています" : "the file is cut short";
    case PlotStyleProblem::Damaged:
        return ja ? "圧縮されたデータが壊れています" : "the compressed table is damaged";
    case PlotStyleProblem::TooLarge:
        return ja ? "印刷スタイルテーブルとしては大きすぎます" : "too large for a plot style table";
    case PlotStyleProblem::UnbalancedBraces:
        return ja ? "「{」と「}」の対応が取れていません" : "the braces { and } do not match";
    case PlotStyleProblem::TooDeep:
        return ja ? "ブロックの入れ子が深すぎます" : "the blocks are nested too deeply";
    case PlotStyleProblem::MalformedLine:
        return ja ? "「" + value + "」は「名前=値」の形ではありません"
                  : "\"" + value + "\" is not of the form name=value";
    case PlotStyleProblem::BadValue:
        return ja ? "「" + value + "」は正しい設定ではありません"
                  : "\"" + value + "\" is not a valid setting";
    case PlotStyleProblem::MissingColor:
        return ja ? "色 " + std::to_string(color) + " の印刷スタイルがありません"
                  : "colour " + std::to_string(color) + " has no plot style";
    }
    return {};
}

std::string Message(const std::string& file, long line, const std::string& reason,
                    Language language) {
    if (file.empty()) return reason;
    if (line <= 0) return file + ": " + reason;
    if (language == Language::Japanese)
        return file + "（" + std::to_string(line) + " 行目）: " + reason;
    return file + ":" + std::to_string(line) + ": " + reason;
}

} // namespace

PlotStyleError::PlotStyleError(const std::string& file, PlotStyleProblem problem, long line,
                               const std::string& value, int color, const std::string& detail)
    : std::runtime_error(Message(
          file, line, Reason(problem, value, color, detail, Language::English), Language::English)),
      file_(file), problem_(problem), line_(line), value_(value), color_(color), detail_(detail) {}

std::string PlotStyleError::reason(Language language) const {
    return Reason(problem_, value_, color_, detail_, language);
}

std::string PlotStyleError::message(Language language) const {
    return Message(file_, line_, reason(language), language);
}

PlotStyleTable ParsePlotStyleTable(std::string_view bytes, const std::string& file) {
    if (bytes.substr(0, Signature.size()) != Signature) {
        // Too short to hold the signature, but what it holds is the signature's beginning.
        if (bytes.size() < Signature.size() && Signature.substr(0, bytes.size()) == bytes &&
            !bytes.empty())
            throw PlotStyleError(file, PlotStyleProblem::Truncated);
        const bool pia = bytes.substr(0, PiaPrefix.size()) == PiaPrefix;
        const bool named = pia && bytes.substr(0, 64).find(",STBVER") != std::string_view::npos;
        throw PlotStyleError(file, named ? PlotStyleProblem::NamedPlotStyles
                                         : PlotStyleProblem::NotPlotStyles);
    }
    if (bytes.size() < HeaderSize) throw PlotStyleError(file, PlotStyleProblem::Truncated);
    if (LittleEndian32(bytes, InflatedSizeAt) > MaxTextSize)
        throw PlotStyleError(file, PlotStyleProblem::TooLarge);
    const std::string_view compressed = bytes.substr(HeaderSize);
    if (LittleEndian32(bytes, DeflatedSizeAt) > compressed.size())
        throw PlotStyleError(file, PlotStyleProblem::Truncated);
    const std::string text = Inflate(compressed, file);
    return TableText(file).parse(text);
}

PlotStyleTable ReadPlotStyleTable(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw PlotStyleError(path, PlotStyleProblem::NoSuchFile);
        throw PlotStyleError(path, PlotStyleProblem::Unreadable, 0, {}, 0, std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) throw PlotStyleError(path, PlotStyleProblem::NoSuchFile);
    if (S_ISREG(info.st_mode) && static_cast<std::uintmax_t>(info.st_size) > MaxFileSize)
        throw PlotStyleError(path, PlotStyleProblem::TooLarge);

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
    if (!in)
        throw PlotStyleError(path, PlotStyleProblem::Unreadable, 0, {}, 0, std::strerror(errno));
    // Read in pieces, stopping once past the limit, so that a file that is no regular file (or
    // grew since it was measured) cannot make the read unbounded either.
    std::string bytes;
    std::array<char, 65536> piece;
    for (;;) {
        const std::size_t got = std::fread(piece.data(), 1, piece.size(), in.get());
        bytes.append(piece.data(), got);
        if (bytes.size() > MaxFileSize) throw PlotStyleError(path, PlotStyleProblem::TooLarge);
        if (got < piece.size()) break;
    }
    if (std::ferror(in.get()))
        throw PlotStyleError(path, PlotStyleProblem::Unreadable, 0, {}, 0, std::strerror(errno));
    return ParsePlotStyleTable(bytes, path);
}

void ApplyPlotStyle(Drawing& drawing, const PlotStyleTable& table) {
    ApplyTo(drawing.LineAry, table);
    ApplyTo(drawing.ArcAry, table);
    ApplyTo(drawing.CircleAry, table);
    ApplyTo(drawing.TextAry, table);
    ApplyTo(drawing.FillAry, table);
    ApplyTo(drawing.PointAry, table);
    ApplyTo(drawing.SplineAry, table);
    ApplyTo(drawing.CurveAry, table);
    ApplyTo(drawing.RayAry, table);
    ApplyTo(drawing.ImageAry, table);
}

} // namespace orvanta
