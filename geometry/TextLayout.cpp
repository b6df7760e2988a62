#include "geometry/TextLayout.h"

#include "geometry/TextCodes.h"
#include "geometry/TextMetrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace orvanta {

namespace {

constexpr double RadiansPerDegree = 0.017453292519943295;

// Stacked fractions and tolerances are drawn at this share of the height around them.
constexpr double StackScale = 0.7;
// An underline lies this many heights below the baseline, an overline this many above the caps.
constexpr double UnderlineDrop = 0.2;
constexpr double OverlineRise = 0.2;
// A tab advances by this many ems.
constexpr double TabEms = 2;
// The slant an italic font code gives, degrees.
constexpr double ItalicSlant = 15;

constexpr char32_t NoBreakSpace = 0x00A0;

// A number that can size or place a text: finite and not absurdly large.
bool Usable(double v) {
    return std::isfinite(v) && std::fabs(v) < 1e100;
}

double PositiveOr(double v, double fallback) {
    return Usable(v) && v > 0 ? v : fallback;
}

// Ideographs, kana, Hangul and the full-width forms: a line may break between any two of them.
bool IsCjk(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Characters a line never starts with (closing brackets, stops, small kana, the prolonged sound
// mark) and characters it never ends with (opening brackets).
bool NoBreakBefore(char32_t c) {
    static constexpr std::u32string_view set =
        U"、。，．・：；？！゛゜ヽヾゝゞ々ー’”）〕］｝〉》」』】〙〗ぁぃぅぇぉっゃゅょゎァィゥェォ"
        U"ッャュョヮヵヶ"
        U"）］｝，．：；？！｡｣､･ｧｨｩｪｫｬｭｮｯｰ,.:;?!)]}";
    return set.find(c) != std::u32string_view::npos;
}
bool NoBreakAfter(char32_t c) {
    static constexpr std::u32string_view set = U"‘“（〔［｛〈《「『【〘〖（［｛｢([{";
    return set.find(c) != std::u32string_view::npos;
}

// A stacked fraction or tolerance: its two parts and what stands between them ('/' a bar, '#' a
// slash beside them, '^' nothing, the parts over each other).
struct Stack {
    std::u32string upper, lower;
    char32_t kind = 0;
};

// One unit of a laid-out line: a character, or a stacked fraction.
struct Item {
    char32_t c = 0; // 0 for a stack
    int style = 0;
    double width = 0;
    int stack = -1; // index of the stack
};

struct Paragraph {
    std::vector<Item> items;
    int style = 0;            // the style in force where it starts: the height of an empty line
    int align = -1;           // its own alignment (0 left, 1 centre, 2 right), -1 the text's
    bool columnBreak = false; // the next paragraph starts a new column
};

double EmsOf(std::u32string_view s) {
    double ems = 0;
    for (char32_t c : s)
        ems += AdvanceEms(c);
    return ems;
}

// The advance of a string of `ems` ems.
double AdvanceOfEms(double ems, double height, double widthFactor) {
    return ems * EmPerHeight * height * widthFactor;
}

double AdvanceOf(std::u32string_view s, double height, double widthFactor) {
    return AdvanceOfEms(EmsOf(s), height, widthFactor);
}

std::string Utf8Of(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        AppendUtf8(out, c);
    return out;
}

// Reads the MTEXT formatting codes into paragraphs of styled items.
class MTextParser {
  public:
    MTextParser(std::u32string_view s, const TextRunStyle& base) : s_(s) {
        styles_.push_back(base);
        current_ = base;
        paragraphs_.emplace_back();
    }

    std::vector<Paragraph> parse(std::vector<TextRunStyle>& styles, std::vector<Stack>& stacks) {
        paragraphs_.back().items.reserve(s_.size());
        while (i_ < s_.size())
            step();
        styles = std::move(styles_);
        stacks = std::move(stacks_);
        return std::move(paragraphs_);
    }

  private:
    void step() {
        const char32_t c = s_[i_];
        if (c == '\\' && i_ + 1 < s_.size()) {
            code(s_[i_ + 1]);
            return;
        }
        ++i_;
        switch (c) {
        case '{':
            saved_.push_back(current_);
            return;
        case '}':
            if (!saved_.empty()) {
                current_ = saved_.back();
                saved_.pop_back();
            }
            return;
        case '\n':
            newParagraph(false);
            return;
        case '\r':
            return;
        case '\t':
            tab();
            return;
        case '^':
            caret();
            return;
        default:
            character(c);
        }
    }

    // A caret and the character after it: a control character.
    void caret() {
        if (i_ >= s_.size()) {
            character('^');
            return;
        }
        const char32_t next = s_[i_++];
        if (next == 'I')
            tab();
        else if (next == 'J')
            newParagraph(false);
        else if (next == ' ')
            character('^');
        else if (next != 'M')
            character('^'), character(next);
    }

    void code(char32_t name) {
        i_ += 2;
        switch (name) {
        case '\\':
        case '{':
        case '}':
            character(name);
            return;
        case 'P':
        case 'X':
            newParagraph(false);
            return;
        case 'N':
            newParagraph(true);
            return;
        case '~':
            character(NoBreakSpace);
            return;
        case 'L':
        case 'l':
            current_.underline = name == 'L';
            return;
        case 'O':
        case 'o':
            current_.overline = name == 'O';
            return;
        case 'K':
        case 'k':
            current_.strike = name == 'K';
            return;
        case 'S':
            stack();
            return;
        default:
            break;
        }
        static constexpr std::u32string_view valued = U"ACFHQTWacfhqtwp";
        if (valued.find(name) == std::u32string_view::npos) {
            // Not a code: the backslash shows, and the character after it is read as usual.
            character('\\');
            i_ -= 1;
            return;
        }
        const std::u32string value = untilSemicolon();
        switch (name) {
        case 'H':
        case 'h':
            current_.height = scaled(value, current_.height);
            return;
        case 'W':
        case 'w':
            current_.widthFactor = scaled(value, current_.widthFactor);
            return;
        case 'T':
        case 't':
            current_.tracking = std::clamp(scaled(value, current_.tracking), 0.1, 10.0);
            return;
        case 'Q':
        case 'q': {
            const double angle = number(value);
            if (Usable(angle)) current_.oblique = std::clamp(angle, -85.0, 85.0);
            return;
        }
        case 'C': {
            const double index = number(value);
            current_.colour = {};
            if (index >= 1 && index <= 255) current_.colour.aci = static_cast<std::int16_t>(index);
            return;
        }
        case 'c': {
            const double rgb = number(value);
            current_.colour = {};
            if (rgb >= 0 && rgb <= 0xFFFFFF) current_.colour.rgb = static_cast<std::int32_t>(rgb);
            return;
        }
        case 'F':
        case 'f':
            // Only the slant of an italic font shows; the face is always the text face.
            if (value.find(U"|i1") != std::u32string::npos)
                current_.oblique = ItalicSlant;
            else if (value.find(U"|i0") != std::u32string::npos)
                current_.oblique = styles_.front().oblique;
            return;
        case 'p':
            paragraphAlignment(value);
            return;
        default:
            return; // \A: the alignment of small characters in their line
        }
    }

    std::u32string untilSemicolon() {
        const std::size_t end = s_.find(';', i_);
        const std::size_t stop = end == std::u32string_view::npos ? s_.size() : end;
        std::u32string value(s_.substr(i_, stop - i_));
        i_ = end == std::u32string_view::npos ? s_.size() : end + 1;
        return value;
    }

    static double number(std::u32string_view value) {
        std::string ascii;
        for (char32_t c : value) {
            if (c > 0x7F) break;
            ascii += static_cast<char>(c);
        }
        char* end = nullptr;
        const double v = std::strtod(ascii.c_str(), &end);
        return end == ascii.c_str() ? std::numeric_limits<double>::quiet_NaN() : v;
    }

    // "2.5" sets the value, "0.7x" multiplies the one in force.
    static double scaled(std::u32string_view value, double inForce) {
        const double v = number(value);
        if (!Usable(v) || v <= 0) return inForce;
        const bool relative = !value.empty() && (value.back() == 'x' || value.back() == 'X');
        return relative ? inForce * v : v;
    }

    // "\pxqc;" and the like: "q" and a letter align the paragraph.
    void paragraphAlignment(std::u32string_view value) {
        for (std::size_t k = 0; k + 1 < value.size(); ++k) {
            if (value[k] != 'q') continue;
            switch (value[k + 1]) {
            case 'l':
            case 'j':
            case 'd':
                paragraphs_.back().align = 0;
                break;
            case 'c':
                paragraphs_.back().align = 1;
                break;
            case 'r':
                paragraphs_.back().align = 2;
                break;
            case '*':
                paragraphs_.back().align = -1;
                break;
            default:
                break;
            }
        }
    }

    // "\S1/2;", "\S1#2;", "\S+0.1^-0.2;": the two parts of a stack and what stands between them.
    void stack() {
        const std::u32string value = untilSemicolon();
        Stack stack;
        std::u32string* part = &stack.upper;
        for (std::size_t k = 0; k < value.size(); ++k) {
            const char32_t c = value[k];
            if (c == '\\' && k + 1 < value.size()) {
                part->push_back(value[++k]);
            } else if (stack.kind == 0 && (c == '/' || c == '#' || c == '^')) {
                stack.kind = c;
                part = &stack.lower;
                if (c == '^' && k + 1 < value.size() && value[k + 1] == ' ') ++k;
            } else {
                part->push_back(c);
            }
        }
        if (stack.kind == 0) {
            // Nothing to stack: the characters stand on the line.
            for (char32_t c : stack.upper)
                character(c);
            return;
        }
        Item item;
        item.style = styleIndex();
        const TextRunStyle& style = styles_[static_cast<std::size_t>(item.style)];
        const double h = style.height * StackScale;
        const double upper = AdvanceOf(stack.upper, h, style.widthFactor);
        const double lower = AdvanceOf(stack.lower, h, style.widthFactor);
        item.width = stack.kind == '#' ? upper + lower + EmPerHeight * h * 0.5
                                       : std::max(upper, lower) + 0.1 * style.height;
        item.stack = static_cast<int>(stacks_.size());
        stacks_.push_back(std::move(stack));
        paragraphs_.back().items.push_back(item);
    }

    void tab() {
        Item item;
        item.c = ' ';
        item.style = styleIndex();
        const TextRunStyle& style = styles_[static_cast<std::size_t>(item.style)];
        // Spaces that add up to the tab's advance, so that the line breaks after them.
        const double space = AdvanceOf(U" ", style.height, style.widthFactor) * style.tracking;
        item.width = space;
        for (int k = 0; k < static_cast<int>(TabEms * 2); ++k)
            paragraphs_.back().items.push_back(item);
    }

    void character(char32_t c) {
        Item item;
        item.c = c;
        item.style = styleIndex();
        const TextRunStyle& style = styles_[static_cast<std::size_t>(item.style)];
        item.width =
            AdvanceEms(c) * EmPerHeight * style.height * style.widthFactor * style.tracking;
        paragraphs_.back().items.push_back(item);
    }

    void newParagraph(bool columnBreak) {
        paragraphs_.back().columnBreak = columnBreak;
        paragraphs_.emplace_back().style = styleIndex();
    }

    int styleIndex() {
        if (!(styles_.back() == current_)) styles_.push_back(current_);
        return static_cast<int>(styles_.size() - 1);
    }

    std::u32string_view s_;
    std::size_t i_ = 0;
    TextRunStyle current_;
    std::vector<TextRunStyle> saved_;
    std::vector<TextRunStyle> styles_;
    std::vector<Stack> stacks_;
    std::vector<Paragraph> paragraphs_;
};

bool IsSpace(const Item& item) {
    return item.c == ' ';
}

// Whether a line may break between two neighbouring items.
bool MayBreakBetween(const Item& a, const Item& b) {
    if (IsSpace(b)) return false;
    if (IsSpace(a)) return true;
    if (a.stack >= 0 || b.stack >= 0 || a.c == NoBreakSpace || b.c == NoBreakSpace) return false;
    if (!IsCjk(a.c) && !IsCjk(b.c)) return false;
    return !NoBreakBefore(b.c) && !NoBreakAfter(a.c);
}

// A line of items [begin, end) of a paragraph, its trailing spaces left out of `end`.
struct Line {
    const Paragraph* paragraph = nullptr;
    std::size_t begin = 0, end = 0;
    double width = 0;
    double height = 0; // of its tallest characters
    int column = 0;
    double baseline = 0;
};

// Breaks a paragraph into lines no wider than `limit` (none when 0): after spaces and between
// CJK characters, as the line-breaking rules allow. A word wider than the limit stands on a line
// of its own.
void BreakParagraph(const Paragraph& p, double limit, const std::vector<TextRunStyle>& styles,
                    std::vector<Line>& lines) {
    const std::vector<Item>& items = p.items;
    const auto emit = [&](std::size_t begin, std::size_t end) {
        Line line;
        line.paragraph = &p;
        line.begin = begin;
        while (end > begin && IsSpace(items[end - 1]))
            --end;
        line.end = end;
        line.height = styles[static_cast<std::size_t>(p.style)].height;
        if (end > begin) line.height = 0;
        for (std::size_t k = begin; k < end; ++k) {
            line.width += items[k].width;
            line.height =
                std::max(line.height, styles[static_cast<std::size_t>(items[k].style)].height);
        }
        lines.push_back(line);
    };
    std::size_t start = 0;
    double width = 0;
    std::size_t breakAfter = std::numeric_limits<std::size_t>::max();
    double widthThroughBreak = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > start && MayBreakBetween(items[k - 1], items[k])) {
            breakAfter = k - 1;
            widthThroughBreak = width;
        }
        width += items[k].width;
        if (limit > 0 && !IsSpace(items[k]) && width > limit && breakAfter != SIZE_MAX &&
            breakAfter >= start) {
            emit(start, breakAfter + 1);
            start = breakAfter + 1;
            width -= widthThroughBreak;
            breakAfter = SIZE_MAX;
        }
    }
    emit(start, items.size());
}

// Turns the items of each line into runs (and strokes), placed at the line's position.
void PlaceLines(const std::vector<Line>& lines, const std::vector<double>& lineX,
                const std::vector<TextRunStyle>& styles, const std::vector<Stack>& stacks,
                TextLayout& out) {
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Line& line = lines[n];
        const std::vector<Item>& items = line.paragraph->items;
        double x = lineX[n];
        const double y = line.baseline;
        std::size_t k = line.begin;
        while (k < line.end) {
            const Item& first = items[k];
            const TextRunStyle& style = styles[static_cast<std::size_t>(first.style)];
            if (first.stack >= 0) {
                // A stack: its parts at a reduced height, above and below or beside each other.
                const Stack& stack = stacks[static_cast<std::size_t>(first.stack)];
                const double h = style.height;
                TextRunStyle part = style;
                part.height = h * StackScale;
                part.underline = part.overline = part.strike = false;
                const double wu = AdvanceOf(stack.upper, part.height, part.widthFactor);
                const double wl = AdvanceOf(stack.lower, part.height, part.widthFactor);
                if (stack.kind == '#') {
                    const double slash = EmPerHeight * part.height * 0.5;
                    out.runs.push_back({Utf8Of(stack.upper), x, y + 0.4 * h, wu, part});
                    out.strokes.push_back({x + wu + 0.1 * slash, y - 0.05 * h, x + wu + 0.9 * slash,
                                           y + 1.1 * h, style.colour});
                    out.runs.push_back({Utf8Of(stack.lower), x + wu + slash, y, wl, part});
                } else {
                    const bool bar = stack.kind == '/';
                    const double inset = 0.05 * h;
                    const double wide = first.width - 2 * inset;
                    const double ux = bar ? x + inset + (wide - wu) / 2 : x + inset;
                    const double lx = bar ? x + inset + (wide - wl) / 2 : x + inset;
                    out.runs.push_back({Utf8Of(stack.upper), ux, y + 0.65 * h, wu, part});
                    out.runs.push_back({Utf8Of(stack.lower), lx, y - 0.35 * h, wl, part});
                    if (bar)
                        out.strokes.push_back(
                            {x + inset, y + 0.5 * h, x + inset + wide, y + 0.5 * h, style.colour});
                }
                x += first.width;
                ++k;
                continue;
            }
            std::u32string text;
            double width = 0;
            for (; k < line.end && items[k].stack < 0 && items[k].style == first.style; ++k) {
                text.push_back(items[k].c);
                width += items[k].width;
            }
            out.runs.push_back({Utf8Of(text), x, y, width, style});
            x += width;
        }
    }
}

// Under-, over- and strike-through lines of the runs that carry them.
void AddRunStrokes(TextLayout& out) {
    for (const TextRun& run : out.runs) {
        const TextRunStyle& s = run.style;
        const double x1 = run.x + run.width;
        if (s.underline) {
            const double y = run.y - UnderlineDrop * s.height;
            out.strokes.push_back({run.x, y, x1, y, s.colour});
        }
        if (s.overline) {
            const double y = run.y + (1 + OverlineRise) * s.height;
            out.strokes.push_back({run.x, y, x1, y, s.colour});
        }
        if (s.strike) {
            const double y = run.y + s.height / 2;
            out.strokes.push_back({run.x, y, x1, y, s.colour});
        }
    }
}

void LayoutMText(const TTextBlk& t, const std::u32string& s, TextLayout& out) {
    const double h = std::fabs(t.code40);
    TextRunStyle base;
    base.height = h;
    base.widthFactor = PositiveOr(std::fabs(t.styleWidth), 1);
    base.oblique = Usable(t.code51) ? std::clamp(t.code51, -85.0, 85.0) : 0;
    std::vector<TextRunStyle> styles;
    std::vector<Stack> stacks;
    const std::vector<Paragraph> paragraphs = MTextParser(s, base).parse(styles, stacks);

    const bool columns = t.columnType > 0 && PositiveOr(t.columnWidth, 0) > 0;
    const double limit = columns ? t.columnWidth : PositiveOr(t.code41, 0);
    std::vector<Line> lines;
    for (const Paragraph& p : paragraphs)
        BreakParagraph(p, limit, styles, lines);

    // Baselines, one pitch apart (at least the pitch of the line's tallest characters unless
    // the spacing is exact), column by column.
    const double factor = PositiveOr(t.code44, 1);
    const bool exact = t.code73 == 2;
    const double columnHeight =
        columns && PositiveOr(t.code46, 0) > 0 ? t.code46 : std::numeric_limits<double>::infinity();
    const int maxColumns = !columns            ? 1
                           : t.columnType == 2 ? std::numeric_limits<int>::max()
                                               : std::max<int>(1, t.columnCount);
    int column = 0;
    double y = 0;
    bool columnEmpty = true;
    double depth = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        Line& line = lines[n];
        const double tall = exact ? h : std::max(h, line.height);
        double baseline = columnEmpty ? -line.height : y - MTextLinePitch * factor * tall;
        const bool forced = n > 0 && lines[n - 1].paragraph->columnBreak &&
                            lines[n - 1].paragraph != line.paragraph;
        if (!columnEmpty && (forced || -baseline > columnHeight) && column + 1 < maxColumns) {
            ++column;
            baseline = -line.height;
        }
        columnEmpty = false;
        line.column = column;
        line.baseline = baseline;
        y = baseline;
        depth = std::max(depth, -baseline);
    }

    double widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, line.width);
    const double columnWidth = limit > 0 ? limit : widest;
    const int columnCount = columns ? std::max<int>(column + 1, t.columnCount) : 1;
    const double gutter = columns ? std::max(0.0, t.columnGutter) : 0;
    const double boxWidth = columnCount * columnWidth + (columnCount - 1) * gutter;
    const double boxHeight = columns && std::isfinite(columnHeight) ? columnHeight : depth;

    const int attachment = t.code71 >= 1 && t.code71 <= 9 ? t.code71 : 1;
    const int row = (attachment - 1) / 3;
    const int across = (attachment - 1) % 3;
    const double dx = across == 0 ? 0 : across == 1 ? -boxWidth / 2 : -boxWidth;
    const double dy = row == 0 ? 0 : row == 1 ? boxHeight / 2 : boxHeight;

    std::vector<double> lineX;
    lineX.reserve(lines.size());
    for (Line& line : lines) {
        const int align = line.paragraph->align >= 0 ? line.paragraph->align : across;
        const double room = columnWidth - line.width;
        const double x = align == 0 ? 0 : align == 1 ? room / 2 : room;
        lineX.push_back(dx + line.column * (columnWidth + gutter) + x);
        line.baseline += dy;
    }
    PlaceLines(lines, lineX, styles, stacks, out);
    AddRunStrokes(out);

    const double lastDescent = lines.empty() ? 0 : DescentPerHeight * lines.back().height;
    out.left = dx + std::min(0.0, boxWidth - widest);
    out.right = dx + std::max(boxWidth, widest);
    if (across == 1) {
        const double over = std::max(0.0, widest - boxWidth) / 2;
        out.left = dx - over;
        out.right = dx + boxWidth + over;
    } else if (across == 2) {
        out.left = dx + std::min(0.0, boxWidth - widest);
        out.right = dx + boxWidth;
    } else {
        out.left = dx;
        out.right = dx + std::max(boxWidth, widest);
    }
    out.top = dy;
    out.bottom = dy - std::max(boxHeight, depth) - lastDescent;

    // Background and frame (the frame's flag is a bit of the same field).
    const double margin = (std::clamp(PositiveOr(t.code45, 1.5), 1.0, 5.0) - 1) * h;
    if ((t.code90 & 3) != 0) {
        out.filled = true;
        out.windowFill = (t.code90 & 2) != 0;
        out.fillMargin = margin;
        if (t.code421 >= 0)
            out.fillColour.rgb = t.code421;
        else if (t.code63 >= 1 && t.code63 <= 255)
            out.fillColour.aci = t.code63;
    }
    if ((t.code90 & 16) != 0) {
        const double l = out.left - margin, r = out.right + margin;
        const double b = out.bottom - margin, tp = out.top + margin;
        for (const auto& [x0, y0, x1, y1] :
             {std::array<double, 4>{l, b, r, b}, std::array<double, 4>{r, b, r, tp},
              std::array<double, 4>{r, tp, l, tp}, std::array<double, 4>{l, tp, l, b}})
            out.strokes.push_back({x0, y0, x1, y1, {}});
    }
}

// A TEXT's string cut where "%%u" and "%%o" switch its underline and overline, each piece with
// its special codes rewritten. "%%%" is a percent sign and switches nothing.
struct TextPiece {
    std::u32string s;
    bool underline = false;
    bool overline = false;
    double ems = 0;   // the characters' advances
    std::string utf8; // `s` in UTF-8, kept when the rewritten string was valid UTF-8
};

std::vector<TextPiece> SplitAtLineSwitches(const std::string& text) {
    std::vector<TextPiece> pieces;
    std::string piece;
    bool underline = false, overline = false;
    const auto finish = [&] {
        if (!piece.empty()) {
            std::string rewritten = RewriteSpecialCodes(piece);
            bool replaced = false;
            std::u32string s = DecodeUtf8(rewritten, &replaced);
            const double ems = EmsOf(s);
            if (replaced) rewritten.clear();
            pieces.push_back({std::move(s), underline, overline, ems, std::move(rewritten)});
        }
        piece.clear();
    };
    // Most texts have no percent sign at all: one piece, without copying it byte by byte.
    if (text.find('%') == std::string::npos) {
        piece = text;
        finish();
        return pieces;
    }
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            piece.push_back(text[i++]);
            continue;
        }
        if (text.compare(i, 3, "%%%") == 0) {
            piece.append("%%%");
            i += 3;
            continue;
        }
        if (text.compare(i, 2, "%%") == 0 && i + 2 < text.size()) {
            const char c = text[i + 2];
            if (c == 'u' || c == 'U' || c == 'o' || c == 'O') {
                finish();
                if (c == 'u' || c == 'U')
                    underline = !underline;
                else
                    overline = !overline;
                i += 3;
                continue;
            }
        }
        piece.push_back(text[i++]);
    }
    finish();
    return pieces;
}

void LayoutSingleLine(const TTextBlk& t, TextLayout& out) {
    std::vector<TextPiece> pieces = SplitAtLineSwitches(t.str);
    TextRunStyle style;
    style.height = std::fabs(t.code40);
    style.widthFactor = PositiveOr(std::fabs(t.code41), 1);
    style.oblique = Usable(t.code51) ? std::clamp(t.code51, -85.0, 85.0) : 0;
    double width = 0;
    for (const TextPiece& piece : pieces)
        width += AdvanceOfEms(piece.ems, style.height, style.widthFactor);

    const int h72 = t.code72, v73 = t.code73;
    double x = 0, y = 0;
    // The span between the points matters to aligned and fit texts only.
    const bool spanned = (h72 == 3 || h72 == 5) && v73 == 0;
    const double span = spanned ? std::hypot(t.pt11.x - t.pt10.x, t.pt11.y - t.pt10.y) : 0;
    if (spanned && span > 0 && width > 0 && Usable(span)) {
        // Aligned and fit texts run from their first point to their second: aligned keeps its
        // proportions, fit keeps its height and stretches its characters.
        out.anchor = t.pt10;
        out.angle = std::atan2(t.pt11.y - t.pt10.y, t.pt11.x - t.pt10.x);
        if (h72 == 3)
            style.height *= span / width;
        else
            style.widthFactor *= span / width;
        width = span;
    } else {
        const bool atFirstPoint = (h72 == 0 || h72 == 3 || h72 == 5) && v73 == 0;
        out.anchor = atFirstPoint ? t.pt10 : t.pt11;
        if (h72 == 1 || h72 == 4)
            x = -width / 2;
        else if (h72 == 2)
            x = -width;
        const double hh = style.height;
        switch (v73) {
        case 1:
            y = DescentPerHeight * hh;
            break;
        case 2:
            y = -hh / 2;
            break;
        case 3:
            y = -hh;
            break;
        default:
            y = h72 == 4 ? -hh / 2 : 0;
            break;
        }
    }
    out.left = x;
    out.right = x + width;
    out.top = y + style.height;
    out.bottom = y - DescentPerHeight * style.height;
    for (TextPiece& piece : pieces) {
        TextRunStyle own = style;
        own.underline = piece.underline;
        own.overline = piece.overline;
        const double advance = AdvanceOfEms(piece.ems, own.height, own.widthFactor);
        // Without `utf8` the piece is encoded again (for an empty piece, to the same).
        out.runs.push_back(
            {piece.utf8.empty() ? Utf8Of(piece.s) : std::move(piece.utf8), x, y, advance, own});
        x += advance;
    }
    AddRunStrokes(out);
}

} // namespace

TextLayout LayoutText(const TTextBlk& text) {
    TextLayout out;
    if (text.mtflag) {
        const std::u32string s = DecodeUtf8(RewriteSpecialCodes(text.str));
        out.anchor = text.pt10;
        const bool directed = text.pt11.x != 0 || text.pt11.y != 0;
        out.angle = directed ? std::atan2(text.pt11.y, text.pt11.x)
                             : (Usable(text.code50) ? text.code50 * RadiansPerDegree : 0);
        LayoutMText(text, s, out);
    } else {
        out.angle = Usable(text.code50) ? text.code50 * RadiansPerDegree : 0;
        out.mirrorX = (text.code71 & 2) != 0;
        out.mirrorY = (text.code71 & 4) != 0;
        LayoutSingleLine(text, out);
    }
    return out;
}

TAcadPoint TextFrameToWorld(const TextLayout& layout, double x, double y) {
    if (layout.mirrorX) x = -x;
    if (layout.mirrorY) y = -y;
    const double c = std::cos(layout.angle), s = std::sin(layout.angle);
    return {layout.anchor.x + x * c - y * s, layout.anchor.y + x * s + y * c, 0};
}

void TextLayoutBounds(const TextLayout& layout, TAcadPoint& min, TAcadPoint& max) {
    // Ideographs rise a tenth of the height above the capitals, and a slanted character leans
    // out of its box: a margin of a quarter of the tallest run covers both.
    double tallest = 0;
    for (const TextRun& run : layout.runs)
        tallest = std::max(tallest, run.style.height);
    const double m = layout.filled ? layout.fillMargin : 0.25 * tallest;
    const double l = layout.left - m, r = layout.right + m;
    const double b = layout.bottom - m, t = layout.top + m;
    min = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(), 0};
    max = {-min.x, -min.y, 0};
    for (const auto& [x, y] :
         {std::pair{l, b}, std::pair{r, b}, std::pair{r, t}, std::pair{l, t}}) {
        const TAcadPoint p = TextFrameToWorld(layout, x, y);
        min.x = std::min(min.x, p.x);
        min.y = std::min(min.y, p.y);
        max.x = std::max(max.x, p.x);
        max.y = std::max(max.y, p.y);
    }
}

} // namespace orvanta
