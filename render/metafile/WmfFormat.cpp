// Windows metafile records (the WMF reference, [MS-WMF]) through libuemf, behind a placeable
// header that gives the picture's physical size. Coordinates are 16-bit: the canvas keeps every
// figure within their range. Text is 8-bit: CP932 (Shift-JIS as Windows reads it) with a font of
// the Shift-JIS character set.
#include "render/metafile/MetafileFormat.h"

#include <uwmf.h>

#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace orvanta {

namespace {

// Record functions written without libuemf (the hot path of every line).
constexpr std::uint16_t MetaMoveTo = 0x0214;
constexpr std::uint16_t MetaLineTo = 0x0213;

int Whole(double v) {
    return static_cast<int>(std::lround(std::clamp(v, -1e9, 1e9)));
}

std::int16_t Short(int v) {
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

U_POINT16 Point(int x, int y) {
    return point16_set(Short(x), Short(y));
}

U_RECT16 Rect(int left, int top, int right, int bottom) {
    return U_RECT16_set(Point(left, top), Point(right, bottom));
}

class WmfFormat : public MetafileCanvas::Format {
  public:
    WmfFormat(int width, int height, int unitsPerInch, const std::string& face) : face_(face) {
        if (wmf_htable_create(128, 128, &handles_) != 0) throw std::bad_alloc();
        toCp932_ = iconv_open("CP932", "UTF-32LE");
        if (toCp932_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("no CP932 converter (iconv) for the texts of a WMF file");
        bytes_.reserve(1 << 16);
        // The placeable header: the picture's box in logical units and the units per inch,
        // closed by the checksum of its first ten words.
        put32(0x9AC6CDD7);
        put16(0);
        put16(0), put16(0), put16(static_cast<std::uint16_t>(width));
        put16(static_cast<std::uint16_t>(height));
        put16(static_cast<std::uint16_t>(unitsPerInch));
        put32(0);
        std::uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= word(2 * i);
        put16(checksum);
        // The header proper: a memory metafile of version 3; size, object count and largest
        // record are filled in by finish().
        headerAt_ = bytes_.size();
        put16(1), put16(9), put16(0x0300), put32(0), put16(0), put32(0), put16(0);

        // The window is the picture's box; the reader maps it onto the placeable header's size.
        append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        append(U_WMRSETWINDOWORG_set(Point(0, 0)));
        append(U_WMRSETWINDOWEXT_set(Point(width, height)));
        // Nothing shows outside the picture, also for readers that size it by what it draws.
        append(U_WMRINTERSECTCLIPRECT_set(Rect(0, 0, width, height)));
        append(U_WMRSETBKMODE_set(U_TRANSPARENT));
        append(U_WMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
        append(U_WMRSETPOLYFILLMODE_set(U_ALTERNATE));
        // There are no stock objects in a Windows metafile: the null pen and hollow brush that
        // fills and lines switch to are made once.
        append(wcreatepenindirect_set(&nullPen_, handles_, U_PEN_set(U_PS_NULL, 0, ColorRef(0))));
        append(wcreatebrushindirect_set(&hollowBrush_, handles_,
                                        U_WLOGBRUSH_set(U_BS_NULL, ColorRef(0), 0)));
        append(wselectobject_set(hollowBrush_, handles_));
    }

    ~WmfFormat() override {
        wmf_htable_free(&handles_);
        if (toCp932_ != reinterpret_cast<iconv_t>(-1)) iconv_close(toCp932_);
    }

    void pen(TColor colour, int width, TPenStyle style) override {
        std::uint32_t created = 0;
        const std::uint16_t penStyle = static_cast<std::uint16_t>(PenStyleOf(style));
        append(wcreatepenindirect_set(&created, handles_,
                                      U_PEN_set(penStyle,
                                                static_cast<uint16_t>(std::clamp(width, 0, 32767)),
                                                ColorRef(colour))));
        append(wselectobject_set(created, handles_));
        if (pen_ != 0 && pen_ != savedPen_) append(wdeleteobject_set(&pen_, handles_));
        pen_ = created;
    }

    void rasterOperation(PenMode mode) override {
        append(U_WMRSETROP2_set(static_cast<std::uint16_t>(Rop2(mode))));
    }

    void moveTo(int x, int y) override { point(MetaMoveTo, x, y); }
    void lineTo(int x, int y) override { point(MetaLineTo, x, y); }

    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override {
        // A whole ellipse as an ellipse under the hollow brush: readers that take an arc's two
        // equal ends as an empty arc still draw it.
        if (xs == xe && ys == ye) {
            append(U_WMRELLIPSE_set(Rect(left, top, right, bottom)));
            return;
        }
        append(U_WMRARC_set(Point(xs, ys), Point(xe, ye), Rect(left, top, right, bottom)));
    }

    void pixel(int x, int y, TColor colour) override {
        append(U_WMRSETPIXEL_set(ColorRef(colour), Point(x, y)));
    }

    void fillRect(int left, int top, int right, int bottom, TColor colour) override {
        withFillBrush(colour, [&] {
            // Without an outline a rectangle covers up to one short of its right and bottom.
            append(U_WMRRECTANGLE_set(Rect(left, top, right + 1, bottom + 1)));
        });
    }

    void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) override {
        std::vector<std::uint16_t> counts;
        std::vector<U_POINT16> points;
        for (const std::vector<TPoint>& ring : rings) {
            if (ring.size() < 3) continue;
            // A ring of more points than a count holds is left out rather than cut short.
            if (ring.size() > 32767 || points.size() + ring.size() > 1000000) continue;
            counts.push_back(static_cast<std::uint16_t>(ring.size()));
            for (const TPoint& p : ring)
                points.push_back(Point(p.x, p.y));
        }
        if (counts.empty() || counts.size() > 32767) return;
        withFillBrush(colour, [&] {
            append(U_WMRPOLYPOLYGON_set(static_cast<std::uint16_t>(counts.size()), counts.data(),
                                        points.data()));
        });
    }

    void font(const CanvasFont& font) override {
        std::string faceName = face_.substr(0, 31);
        U_FONT* record = U_FONT_set(
            Short(Whole(font.cellHeight)), Short(Whole(font.averageWidth)),
            Short(Whole(font.escapement)), Short(Whole(font.escapement)), U_FW_NORMAL,
            font.oblique != 0 ? 1 : 0, 0, 0, U_SHIFTJIS_CHARSET, U_OUT_DEFAULT_PRECIS,
            U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_FIXED_PITCH | U_FF_MODERN, faceName.data());
        if (record == nullptr) throw std::bad_alloc();
        std::uint32_t created = 0;
        char* create = wcreatefontindirect_set(&created, handles_, record);
        std::free(record);
        append(create);
        append(wselectobject_set(created, handles_));
        if (font_ != 0 && font_ != savedFont_) append(wdeleteobject_set(&font_, handles_));
        font_ = created;
    }

    void textColour(TColor colour) override { append(U_WMRSETTEXTCOLOR_set(ColorRef(colour))); }

    void textBackground(bool transparent, TColor colour) override {
        append(U_WMRSETBKMODE_set(transparent ? U_TRANSPARENT : U_OPAQUE));
        if (!transparent) append(U_WMRSETBKCOLOR_set(ColorRef(colour)));
    }

    void text(int x, int y, const std::u32string& characters,
              const std::vector<int>& advances) override {
        // One advance per byte: a double-byte character's advance on its lead byte.
        std::string bytes;
        std::vector<std::int16_t> dx;
        for (std::size_t i = 0; i < characters.size(); ++i) {
            const std::string encoded = cp932(characters[i]);
            for (std::size_t k = 0; k < encoded.size(); ++k) {
                bytes.push_back(encoded[k]);
                dx.push_back(k == 0 ? Short(advances[i]) : 0);
            }
            if (bytes.size() >= 8000) break;
        }
        if (bytes.empty()) return;
        append(U_WMREXTTEXTOUT_set(Point(x, y), static_cast<std::int16_t>(bytes.size()), 0,
                                   bytes.data(), dx.data(), Rect(0, 0, 0, 0)));
    }

    // A Windows metafile clips to rectangles: a ring that is not an axis-aligned rectangle is
    // approximated by the bounding rectangle of all the rings, which is exact for a rectangle.
    // Regions could hold other shapes, but readers handle the region records of a Windows
    // metafile poorly. The clip is bracketed by SaveDC and RestoreDC, since nothing else widens a
    // clip again.
    void clip(const std::vector<std::vector<TPoint>>& rings) override {
        unclip();
        int left = 0, top = 0, right = -1, bottom = -1;
        for (const std::vector<TPoint>& ring : rings) {
            for (const TPoint& p : ring) {
                if (right < left) {
                    left = right = p.x;
                    top = bottom = p.y;
                }
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
            }
        }
        append(U_WMRSAVEDC_set());
        savedPen_ = pen_;
        savedFont_ = font_;
        saved_ = true;
        // The rectangle leaves out its right and bottom edges, as a fill of the ring does.
        append(U_WMRINTERSECTCLIPRECT_set(Rect(left, top, right, bottom)));
    }

    void unclip() override {
        if (!saved_) return;
        append(U_WMRRESTOREDC_set(-1));
        saved_ = false;
        // The restored state selects the pen and font of the time of SaveDC, which were kept
        // alive for it: the current ones are selected again and the others deleted now.
        if (pen_ != 0) append(wselectobject_set(pen_, handles_));
        if (font_ != 0) append(wselectobject_set(font_, handles_));
        if (savedPen_ != 0 && savedPen_ != pen_) append(wdeleteobject_set(&savedPen_, handles_));
        if (savedFont_ != 0 && savedFont_ != font_)
            append(wdeleteobject_set(&savedFont_, handles_));
        savedPen_ = savedFont_ = 0;
    }

    std::vector<char> finish() override {
        append(U_WMREOF_set());
        // The header counts the file's 16-bit words in 32 bits.
        if ((bytes_.size() - headerAt_) / 2 > 0xFFFFFFFFu)
            throw std::runtime_error("the picture is too large for a WMF file (over 8 GB)");
        // Sizes in 16-bit words; the file size leaves out the placeable header.
        const std::size_t words = (bytes_.size() - headerAt_) / 2;
        set32(headerAt_ + 6, static_cast<std::uint32_t>(words));
        set16(headerAt_ + 10, static_cast<std::uint16_t>(handles_->peak + 1));
        set32(headerAt_ + 12, largestWords_);
        return std::move(bytes_);
    }

  private:
    void put16(std::uint16_t v) {
        bytes_.push_back(static_cast<char>(v & 0xFF));
        bytes_.push_back(static_cast<char>(v >> 8));
    }
    void put32(std::uint32_t v) {
        put16(static_cast<std::uint16_t>(v & 0xFFFF));
        put16(static_cast<std::uint16_t>(v >> 16));
    }
    void set16(std::size_t at, std::uint16_t v) {
        bytes_[at] = static_cast<char>(v & 0xFF);
        bytes_[at + 1] = static_cast<char>(v >> 8);
    }
    void set32(std::size_t at, std::uint32_t v) {
        set16(at, static_cast<std::uint16_t>(v & 0xFFFF));
        set16(at + 2, static_cast<std::uint16_t>(v >> 16));
    }
    std::uint16_t word(std::size_t at) const {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes_[at]) |
                                          static_cast<unsigned char>(bytes_[at + 1]) << 8);
    }

    void point(std::uint16_t function, int x, int y) {
        put32(5);
        put16(function);
        put16(static_cast<std::uint16_t>(Short(y)));
        put16(static_cast<std::uint16_t>(Short(x)));
        largestWords_ = std::max<std::uint32_t>(largestWords_, 5);
    }

    // Takes a record made by libuemf and frees it.
    void append(char* record) {
        if (record == nullptr) throw std::bad_alloc();
        const std::uint32_t words =
            static_cast<std::uint32_t>(static_cast<unsigned char>(record[0])) |
            static_cast<std::uint32_t>(static_cast<unsigned char>(record[1])) << 8 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(record[2])) << 16 |
            static_cast<std::uint32_t>(static_cast<unsigned char>(record[3])) << 24;
        bytes_.insert(bytes_.end(), record, record + 2 * static_cast<std::size_t>(words));
        largestWords_ = std::max(largestWords_, words);
        std::free(record);
    }

    // The character in CP932; "?" for one the code page does not have.
    std::string cp932(char32_t c) {
        char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8 & 0xFF),
                      static_cast<char>(c >> 16 & 0xFF), static_cast<char>(c >> 24 & 0xFF)};
        char out[8];
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = sizeof in, outLeft = sizeof out;
        iconv(toCp932_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(toCp932_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
            outPtr == out)
            return "?";
        return std::string(out, outPtr);
    }

    template <typename Draw> void withFillBrush(TColor colour, Draw draw) {
        std::uint32_t brush = 0;
        append(wcreatebrushindirect_set(&brush, handles_,
                                        U_WLOGBRUSH_set(U_BS_SOLID, ColorRef(colour), 0)));
        append(wselectobject_set(brush, handles_));
        append(wselectobject_set(nullPen_, handles_));
        draw();
        append(wselectobject_set(hollowBrush_, handles_));
        append(wdeleteobject_set(&brush, handles_));
        if (pen_ != 0) append(wselectobject_set(pen_, handles_));
    }

    std::string face_;
    WMFHANDLES* handles_ = nullptr;
    iconv_t toCp932_ = reinterpret_cast<iconv_t>(-1);
    std::vector<char> bytes_;
    std::size_t headerAt_ = 0;
    std::uint32_t largestWords_ = 9;
    std::uint32_t pen_ = 0;
    std::uint32_t font_ = 0;
    // While a clip is set: the pen and font selected when the state was saved, which RestoreDC
    // selects again and which therefore live until then.
    bool saved_ = false;
    std::uint32_t savedPen_ = 0;
    std::uint32_t savedFont_ = 0;
    std::uint32_t nullPen_ = 0;
    std::uint32_t hollowBrush_ = 0;
};

} // namespace

std::unique_ptr<MetafileCanvas::Format> MakeWmfFormat(int width, int height, int unitsPerInch,
                                                      const std::string& face) {
    return std::make_unique<WmfFormat>(width, height, unitsPerInch, face);
}

} // namespace orvanta
