// Enhanced metafile records (the EMF reference, [MS-EMF]) through libuemf. The picture is laid
// out one logical unit to one pixel of a reference device of 96 pixels per inch.
#include "render/metafile/MetafileFormat.h"

#include <uemf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace orvanta {

namespace {

// A reference device whose millimetres come out whole at 96 pixels per inch (480 px = 127 mm).
constexpr int DevicePixelsX = 3840;
constexpr int DevicePixelsY = 2400;
constexpr int DeviceMillimetresX = 1016;
constexpr int DeviceMillimetresY = 635;

U_RECTL Rect(int left, int top, int right, int bottom) {
    return rectl_set(point32_set(left, top), point32_set(right, bottom));
}

class EmfFormat : public MetafileCanvas::Format {
  public:
    EmfFormat(int width, int height, const std::string& face) : face_(face) {
        if (emf_htable_create(128, 128, &handles_) != 0) throw std::bad_alloc();
        bytes_.reserve(1 << 16);
        // Bounds in device pixels and the frame in hundredths of a millimetre, both inclusive.
        const U_RECTL bounds = Rect(0, 0, width - 1, height - 1);
        const U_RECTL frame = Rect(0, 0, static_cast<int>(width * 2540.0 / 96 + 0.5) - 1,
                                   static_cast<int>(height * 2540.0 / 96 + 0.5) - 1);
        append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr,
                               sizel_set(DevicePixelsX, DevicePixelsY),
                               sizel_set(DeviceMillimetresX, DeviceMillimetresY), 0));
        append(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        append(U_EMRSETWINDOWEXTEX_set(sizel_set(width, height)));
        append(U_EMRSETVIEWPORTEXTEX_set(sizel_set(width, height)));
        append(U_EMRSETBKMODE_set(U_TRANSPARENT));
        append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
        append(U_EMRSETARCDIRECTION_set(U_AD_COUNTERCLOCKWISE));
        append(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
        append(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
    }

    ~EmfFormat() override { emf_htable_free(&handles_); }

    void pen(TColor colour, int width, TPenStyle style) override {
        std::uint32_t created = 0;
        append(createpen_set(
            &created, handles_,
            logpen_set(PenStyleOf(style), point32_set(std::max(0, width), 0), ColorRef(colour))));
        append(selectobject_set(created, handles_));
        if (pen_ != 0) append(deleteobject_set(&pen_, handles_));
        pen_ = created;
    }

    void rasterOperation(PenMode mode) override { append(U_EMRSETROP2_set(Rop2(mode))); }

    // The two records of every line are written without libuemf's allocation per record: a
    // drawing is millions of them.
    void moveTo(int x, int y) override {
        U_EMRMOVETOEX record{{U_EMR_MOVETOEX, sizeof(U_EMRMOVETOEX)}, {x, y}};
        appendBytes(&record, sizeof record);
    }
    void lineTo(int x, int y) override {
        U_EMRLINETO record{{U_EMR_LINETO, sizeof(U_EMRLINETO)}, {x, y}};
        appendBytes(&record, sizeof record);
    }

    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override {
        // A whole ellipse as an ellipse under the hollow brush: readers that take an arc's two
        // equal ends as an empty arc still draw it.
        if (xs == xe && ys == ye) {
            append(U_EMRELLIPSE_set(Rect(left, top, right, bottom)));
            return;
        }
        append(
            U_EMRARC_set(Rect(left, top, right, bottom), point32_set(xs, ys), point32_set(xe, ye)));
    }

    void pixel(int x, int y, TColor colour) override {
        append(U_EMRSETPIXELV_set(point32_set(x, y), ColorRef(colour)));
    }

    void fillRect(int left, int top, int right, int bottom, TColor colour) override {
        withFillBrush(colour, [&] {
            // Without an outline a rectangle covers up to one short of its right and bottom.
            append(U_EMRRECTANGLE_set(Rect(left, top, right + 1, bottom + 1)));
        });
    }

    void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) override {
        if (std::none_of(rings.begin(), rings.end(),
                         [](const std::vector<TPoint>& ring) { return ring.size() >= 3; }))
            return;
        withFillBrush(colour, [&] { polyPolygon(rings); });
    }

    void font(const CanvasFont& font) override {
        uint16_t faceName[U_LF_FACESIZE] = {};
        for (std::size_t i = 0; i < face_.size() && i + 1 < U_LF_FACESIZE; ++i)
            faceName[i] = static_cast<unsigned char>(face_[i]);
        // A positive height asks for the cell height; the orientation follows the escapement so
        // that readers turn the characters with the line.
        // A metafile font cannot slant by a given angle: a slanted text is written italic.
        const auto whole = [](double v) { return static_cast<std::int32_t>(std::lround(v)); };
        U_LOGFONT logfont =
            logfont_set(whole(font.cellHeight), whole(font.averageWidth), whole(font.escapement),
                        whole(font.escapement), U_FW_NORMAL, font.oblique != 0 ? 1 : 0, 0, 0,
                        U_SHIFTJIS_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                        U_DEFAULT_QUALITY, U_FIXED_PITCH | U_FF_MODERN, faceName);
        std::uint32_t created = 0;
        append(extcreatefontindirectw_set(&created, handles_, reinterpret_cast<char*>(&logfont),
                                          nullptr));
        append(selectobject_set(created, handles_));
        if (font_ != 0) append(deleteobject_set(&font_, handles_));
        font_ = created;
    }

    void textColour(TColor colour) override { append(U_EMRSETTEXTCOLOR_set(ColorRef(colour))); }

    void textBackground(bool transparent, TColor colour) override {
        append(U_EMRSETBKMODE_set(transparent ? U_TRANSPARENT : U_OPAQUE));
        if (!transparent) append(U_EMRSETBKCOLOR_set(ColorRef(colour)));
    }

    void text(int x, int y, const std::u32string& characters,
              const std::vector<int>& advances) override {
        // UTF-16LE, a character beyond the Basic Multilingual Plane as a surrogate pair whose
        // second half advances by nothing.
        std::vector<uint16_t> units;
        std::vector<uint32_t> dx;
        for (std::size_t i = 0; i < characters.size(); ++i) {
            const char32_t c = characters[i];
            if (c >= 0x10000) {
                units.push_back(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
                units.push_back(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
                dx.push_back(static_cast<uint32_t>(advances[i]));
                dx.push_back(0);
            } else {
                units.push_back(static_cast<uint16_t>(c));
                dx.push_back(static_cast<uint32_t>(advances[i]));
            }
        }
        if (units.empty()) return;
        char* body = emrtext_set(point32_set(x, y), static_cast<U_NUM_STR>(units.size()), 2,
                                 units.data(), 0, Rect(0, 0, -1, -1), dx.data());
        if (body == nullptr) throw std::bad_alloc();
        char* record = U_EMREXTTEXTOUTW_set(Rect(0, 0, -1, -1), U_GM_COMPATIBLE, 1.0f, 1.0f,
                                            reinterpret_cast<PU_EMRTEXT>(body));
        std::free(body);
        append(record);
    }

    // The rings become a path (under the even-odd fill mode set at the start) that replaces
    // the clip.
    void clip(const std::vector<std::vector<TPoint>>& rings) override {
        append(U_EMRBEGINPATH_set());
        polyPolygon(rings);
        append(U_EMRENDPATH_set());
        append(U_EMRSELECTCLIPPATH_set(U_RGN_COPY));
    }

    // A copied region without region data is the default clip, the whole picture ([MS-EMF]
    // 2.3.2.2); libuemf insists on data, so the record is written by hand.
    void unclip() override {
        struct {
            U_EMR emr;
            U_CBRGNDATA cbRgnData;
            std::uint32_t iMode;
        } record{{U_EMR_EXTSELECTCLIPRGN, sizeof record}, 0, U_RGN_COPY};
        appendBytes(&record, sizeof record);
    }

    // Under a saved state ([MS-EMF] 2.3.11), so that the clip the picture adds goes again with it:
    // the ring joined to the clip, then the pixels as a device-independent bitmap of 32 bits,
    // whose rows run from the bottom.
    bool pixels(const RasterPixels& pixels, int left, int top,
                const std::vector<TPoint>& ring) override {
        append(U_EMRSAVEDC_set());
        append(U_EMRBEGINPATH_set());
        polyPolygon({ring});
        append(U_EMRENDPATH_set());
        append(U_EMRSELECTCLIPPATH_set(U_RGN_AND));
        const int w = pixels.width, h = pixels.height;
        std::vector<char> bits(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
        for (int y = 0; y < h; ++y) {
            const std::uint32_t* row = pixels.rgb.data() + static_cast<std::size_t>(h - 1 - y) *
                                                               static_cast<std::size_t>(w);
            char* out = bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = row[x];
                out[4 * x] = static_cast<char>(c & 0xFF);
                out[4 * x + 1] = static_cast<char>(c >> 8 & 0xFF);
                out[4 * x + 2] = static_cast<char>(c >> 16 & 0xFF);
                out[4 * x + 3] = 0;
            }
        }
        const U_BITMAPINFOHEADER header = bitmapinfoheader_set(
            w, h, 1, 32, U_BI_RGB, static_cast<uint32_t>(bits.size()), 0, 0, 0, 0);
        PU_BITMAPINFO info = bitmapinfo_set(header, nullptr);
        if (info == nullptr) throw std::bad_alloc();
        char* record = U_EMRSTRETCHDIBITS_set(
            Rect(left, top, left + w - 1, top + h - 1), point32_set(left, top), point32_set(w, h),
            point32_set(0, 0), point32_set(w, h), U_DIB_RGB_COLORS, U_SRCCOPY, info,
            static_cast<uint32_t>(bits.size()), bits.data());
        std::free(info);
        append(record);
        append(U_EMRRESTOREDC_set(-1));
        return true;
    }

    std::vector<char> finish() override {
        EMFTRACK track{};
        append(U_EMREOF_set(0, nullptr, &track));
        // The header counts the file's bytes in 32 bits.
        if (bytes_.size() > 0xFFFFFFFFu)
            throw std::runtime_error("the picture is too large for an EMF file (over 4 GB)");
        U_EMRHEADER header;
        std::memcpy(&header, bytes_.data(), sizeof header);
        header.nBytes = static_cast<uint32_t>(bytes_.size());
        header.nRecords = records_;
        header.nHandles = static_cast<uint16_t>(handles_->peak + 1);
        header.nPalEntries = 0;
        std::memcpy(bytes_.data(), &header, sizeof header);
        return std::move(bytes_);
    }

  private:
    // The rings of three points or more as one polypolygon record.
    void polyPolygon(const std::vector<std::vector<TPoint>>& rings) {
        std::vector<std::uint32_t> counts;
        std::vector<U_POINTL> points;
        int left = 0, top = 0, right = -1, bottom = -1;
        for (const std::vector<TPoint>& ring : rings) {
            if (ring.size() < 3) continue;
            counts.push_back(static_cast<std::uint32_t>(ring.size()));
            for (const TPoint& p : ring) {
                if (right < left) {
                    left = right = p.x;
                    top = bottom = p.y;
                }
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
                points.push_back(point32_set(p.x, p.y));
            }
        }
        if (counts.empty()) return;
        append(U_EMRPOLYPOLYGON_set(Rect(left, top, right, bottom),
                                    static_cast<std::uint32_t>(counts.size()), counts.data(),
                                    static_cast<std::uint32_t>(points.size()), points.data()));
    }

    void appendBytes(const void* data, std::size_t size) {
        const char* p = static_cast<const char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
        ++records_;
    }

    // Takes a record made by libuemf and frees it.
    void append(char* record) {
        if (record == nullptr) throw std::bad_alloc();
        appendBytes(record, reinterpret_cast<const U_EMR*>(record)->nSize);
        std::free(record);
    }

    template <typename Draw> void withFillBrush(TColor colour, Draw draw) {
        std::uint32_t brush = 0;
        append(createbrushindirect_set(&brush, handles_,
                                       logbrush_set(U_BS_SOLID, ColorRef(colour), 0)));
        append(selectobject_set(brush, handles_));
        append(U_EMRSELECTOBJECT_set(U_NULL_PEN));
        draw();
        append(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
        append(deleteobject_set(&brush, handles_));
        if (pen_ != 0) append(selectobject_set(pen_, handles_));
    }

    std::string face_;
    EMFHANDLES* handles_ = nullptr;
    std::vector<char> bytes_;
    std::uint32_t records_ = 0;
    std::uint32_t pen_ = 0;
    std::uint32_t font_ = 0;
};

} // namespace

std::unique_ptr<MetafileCanvas::Format> MakeEmfFormat(int width, int height,
                                                      const std::string& face) {
    return std::make_unique<EmfFormat>(width, height, face);
}

} // namespace orvanta
