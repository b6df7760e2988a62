// The EMF and WMF canvases: the records they write (pens, raster operations, texts in UTF-16 and
// CP932, fills, clips), the 16-bit range of a Windows metafile, and text widths that match the
// screen.
#include "render/metafile/MetafileCanvas.h"
#include "render/qt/QtCanvas.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orvanta {
namespace {

std::uint32_t U32(const std::vector<char>& b, std::size_t at) {
    std::uint32_t v = 0;
    if (at + 4 > b.size()) {
        ADD_FAILURE() << "read beyond the file at " << at;
        return v;
    }
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
std::uint16_t U16(const std::vector<char>& b, std::size_t at) {
    std::uint16_t v = 0;
    if (at + 2 > b.size()) {
        ADD_FAILURE() << "read beyond the file at " << at;
        return v;
    }
    std::memcpy(&v, b.data() + at, 2);
    return v;
}
std::int16_t S16(const std::vector<char>& b, std::size_t at) {
    return static_cast<std::int16_t>(U16(b, at));
}

struct Record {
    std::uint32_t type;
    std::size_t offset; // of the record
    std::size_t size;   // bytes
};

std::vector<Record> EmfRecords(const std::vector<char>& b) {
    std::vector<Record> records;
    for (std::size_t at = 0; at + 8 <= b.size();) {
        const std::uint32_t size = U32(b, at + 4);
        if (size < 8 || at + size > b.size()) {
            ADD_FAILURE() << "bad record size " << size << " at " << at;
            break;
        }
        records.push_back({U32(b, at), at, size});
        at += size;
    }
    return records;
}

// Records after the placeable header (22 bytes) and the header (18 bytes).
std::vector<Record> WmfRecords(const std::vector<char>& b) {
    std::vector<Record> records;
    for (std::size_t at = 40; at + 6 <= b.size();) {
        const std::size_t size = 2 * static_cast<std::size_t>(U32(b, at));
        if (size < 6 || at + size > b.size()) {
            ADD_FAILURE() << "bad record size " << size << " at " << at;
            break;
        }
        records.push_back({U16(b, at + 4), at, size});
        at += size;
    }
    return records;
}

std::vector<Record> Of(const std::vector<Record>& records, std::uint32_t type) {
    std::vector<Record> out;
    for (const Record& r : records)
        if (r.type == type) out.push_back(r);
    return out;
}

constexpr std::uint32_t EmrEof = 14, EmrSetRop2 = 20, EmrCreatePen = 38, EmrArc = 45,
                        EmrLineTo = 54, EmrExtTextOutW = 84, EmrPolyPolygon = 8,
                        EmrSetPolyFillMode = 19;
constexpr std::uint32_t MetaLineTo = 0x0213, MetaMoveTo = 0x0214, MetaExtTextOut = 0x0a32,
                        MetaSetRop2 = 0x0104, MetaPolyPolygon = 0x0538, MetaCreateFont = 0x02fb,
                        MetaArc = 0x0817;

void DrawSample(Canvas& canvas) {
    canvas.setPen(0x0000FF, 1, PenDash);
    canvas.moveTo(10, 20);
    canvas.lineTo(110, 70);
    canvas.setPenMode(PenMode::Not);
    canvas.arc(20, 20, 60, 60, 60, 40, 20, 40);
    canvas.setPenMode(PenMode::Copy);
    canvas.setFont({DefaultTextFace, 20, 0, 900});
    canvas.setTextColor(0x00FF00);
    canvas.textOut(30, 80, "部品A①");
}

TEST(MetafileCanvasTest, EmfRecordsCarryPenModeArcAndUtf16Text) {
    auto canvas = MetafileCanvas::Create(MetafileKind::Emf, 200, 100);
    DrawSample(*canvas);
    canvas->fillPolygon({{{0, 0}, {50, 0}, {50, 50}}, {{10, 5}, {40, 5}, {40, 35}}}, 0xFF0000);
    const std::vector<char> bytes = canvas->finish();
    const std::vector<Record> records = EmfRecords(bytes);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(U32(bytes, 48), bytes.size()) << "header nBytes";
    EXPECT_EQ(U32(bytes, 52), records.size()) << "header nRecords";
    EXPECT_EQ(records.back().type, EmrEof);

    // The dashed pen: style 1, width 1, red in COLORREF order.
    const auto pens = Of(records, EmrCreatePen);
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_EQ(U32(bytes, pens[0].offset + 12), 1u);
    EXPECT_EQ(U32(bytes, pens[0].offset + 16), 1u);
    EXPECT_EQ(U32(bytes, pens[0].offset + 24), 0x0000FFu);
    // Copy, then not for the arc, in that order.
    const auto rops = Of(records, EmrSetRop2);
    ASSERT_GE(rops.size(), 2u);
    EXPECT_EQ(U32(bytes, rops[0].offset + 8), 13u);
    EXPECT_EQ(U32(bytes, rops[1].offset + 8), 6u);
    const auto arcs = Of(records, EmrArc);
    ASSERT_EQ(arcs.size(), 1u);
    EXPECT_EQ(U32(bytes, arcs[0].offset + 8), 20u);
    EXPECT_EQ(U32(bytes, arcs[0].offset + 24), 60u); // start x
    EXPECT_EQ(U32(bytes, arcs[0].offset + 32), 20u); // end x
    EXPECT_EQ(Of(records, EmrLineTo).size(), 1u);

    // The text as UTF-16LE at the reference point, with a full em for each Japanese character.
    const auto texts = Of(records, EmrExtTextOutW);
    ASSERT_EQ(texts.size(), 1u);
    const std::size_t emrtext = texts[0].offset + 36;
    EXPECT_EQ(U32(bytes, emrtext), 30u);
    EXPECT_EQ(U32(bytes, emrtext + 4), 80u);
    ASSERT_EQ(U32(bytes, emrtext + 8), 4u);
    const std::size_t string = texts[0].offset + U32(bytes, emrtext + 12);
    EXPECT_EQ(U16(bytes, string), 0x90E8);
    EXPECT_EQ(U16(bytes, string + 2), 0x54C1);
    EXPECT_EQ(U16(bytes, string + 4), u'A');
    EXPECT_EQ(U16(bytes, string + 6), 0x2460);
    const std::size_t dx = texts[0].offset + U32(bytes, emrtext + 36);
    const int em = static_cast<int>(std::lround(20 / FaceCellPerEm));
    EXPECT_NEAR(static_cast<int>(U32(bytes, dx)), em, 1);
    EXPECT_NEAR(static_cast<int>(U32(bytes, dx + 8)), em / 2, 1);

    // Even-odd fill of two rings.
    ASSERT_EQ(Of(records, EmrPolyPolygon).size(), 1u);
    EXPECT_EQ(U32(bytes, Of(records, EmrPolyPolygon)[0].offset + 24), 2u);
    EXPECT_EQ(U32(bytes, Of(records, EmrSetPolyFillMode)[0].offset + 8), 1u);
}

TEST(MetafileCanvasTest, WmfHeaderRecordsAndCp932Text) {
    auto canvas = MetafileCanvas::Create(MetafileKind::Wmf, 200, 100);
    DrawSample(*canvas);
    canvas->fillPolygon({{{0, 0}, {50, 0}, {50, 50}}}, 0xFF0000);
    const std::vector<char> bytes = canvas->finish();
    // Placeable header: key, box, 96 units per inch, checksum of the first ten words.
    EXPECT_EQ(U32(bytes, 0), 0x9AC6CDD7u);
    EXPECT_EQ(U16(bytes, 10), 200);
    EXPECT_EQ(U16(bytes, 12), 100);
    EXPECT_EQ(U16(bytes, 14), 96);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= U16(bytes, 2 * i);
    EXPECT_EQ(U16(bytes, 20), checksum);
    EXPECT_EQ(2 * static_cast<std::size_t>(U16(bytes, 28)) |
                  static_cast<std::size_t>(U16(bytes, 30)) << 17,
              bytes.size() - 22)
        << "header size in words";

    const std::vector<Record> records = WmfRecords(bytes);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, 0u);
    EXPECT_EQ(Of(records, MetaLineTo).size(), 1u);
    EXPECT_EQ(Of(records, MetaArc).size(), 1u);
    EXPECT_EQ(Of(records, MetaPolyPolygon).size(), 1u);
    const auto rops = Of(records, MetaSetRop2);
    ASSERT_GE(rops.size(), 2u);
    EXPECT_EQ(U16(bytes, rops[1].offset + 6), 6);

    // The font asks for the Shift-JIS character set and the face; the text is CP932.
    const auto fonts = Of(records, MetaCreateFont);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[fonts[0].offset + 6 + 13]), 128);
    EXPECT_EQ(std::string(bytes.data() + fonts[0].offset + 6 + 18), DefaultTextFace);
    const auto texts = Of(records, MetaExtTextOut);
    ASSERT_EQ(texts.size(), 1u);
    const std::size_t at = texts[0].offset + 6;
    EXPECT_EQ(S16(bytes, at), 80); // y first
    EXPECT_EQ(S16(bytes, at + 2), 30);
    ASSERT_EQ(S16(bytes, at + 4), 7);
    EXPECT_EQ(std::string(bytes.data() + at + 8, 7), "\x95\x94\x95\x69"
                                                     "A\x87\x40");
}

TEST(MetafileCanvasTest, WmfScalesALargePictureIntoSixteenBits) {
    // A picture too large for 16-bit coordinates, and a line reaching far beyond it.
    auto canvas = MetafileCanvas::Create(MetafileKind::Wmf, 60000, 1000);
    EXPECT_LT(canvas->scale(), 0.55);
    canvas->setPen(0, 1, PenSolid);
    canvas->moveTo(-2000000, 500);
    canvas->lineTo(59999, 500);
    // A circle whose rightmost point touches the picture's right edge.
    canvas->arc(-9970000, -4999500, 30000, 5000500, 0, 0, 0, 0);
    const std::vector<char> bytes = canvas->finish();
    EXPECT_LE(U16(bytes, 10), 32767);
    EXPECT_NEAR(U16(bytes, 14) / 96.0, canvas->scale(), 1e-9);
    const std::vector<Record> records = WmfRecords(bytes);
    int points = 0;
    for (const Record& r : records) {
        if (r.type != MetaLineTo && r.type != MetaMoveTo) continue;
        ++points;
        const int x = S16(bytes, r.offset + 8), y = S16(bytes, r.offset + 6);
        EXPECT_LE(std::abs(x), 32000);
        EXPECT_LE(std::abs(y), 32000);
    }
    EXPECT_GT(points, 2) << "the huge circle is drawn as its part in range";
    // The line ends at the scaled right edge, not wrapped around.
    const auto lines = Of(records, MetaLineTo);
    EXPECT_NEAR(S16(bytes, lines[0].offset + 8), 59999 * canvas->scale(), 1);
}

TEST(MetafileCanvasTest, EmfClipsToAPathAndClearsToTheWholePicture) {
    constexpr std::uint32_t EmrBeginPath = 59, EmrEndPath = 60, EmrSelectClipPath = 67,
                            EmrExtSelectClipRgn = 75, RgnCopy = 5;
    auto canvas = MetafileCanvas::Create(MetafileKind::Emf, 200, 100);
    canvas->setClip({{{10, 90}, {100, 5}, {190, 90}}});
    DrawSample(*canvas);
    canvas->clearClip();
    canvas->lineTo(0, 0);
    const std::vector<char> bytes = canvas->finish();
    const std::vector<Record> records = EmfRecords(bytes);
    std::vector<std::uint32_t> types;
    for (const Record& r : records)
        types.push_back(r.type);
    const auto at = [&](std::uint32_t type) {
        return std::find(types.begin(), types.end(), type) - types.begin();
    };
    // The triangle as a path that replaces the clip; the sample's line inside the bracket of
    // the clip, the last line after a region without data, which is the whole picture.
    ASSERT_LT(at(EmrExtSelectClipRgn), static_cast<long>(types.size()));
    EXPECT_EQ(types[static_cast<std::size_t>(at(EmrBeginPath)) + 1], EmrPolyPolygon);
    EXPECT_LT(at(EmrBeginPath), at(EmrEndPath));
    EXPECT_LT(at(EmrEndPath), at(EmrSelectClipPath));
    EXPECT_LT(at(EmrSelectClipPath), at(EmrLineTo));
    EXPECT_LT(at(EmrLineTo), at(EmrExtSelectClipRgn));
    EXPECT_EQ(types[types.size() - 2], EmrLineTo);
    const Record& path = records[static_cast<std::size_t>(at(EmrBeginPath)) + 1];
    EXPECT_EQ(U32(bytes, path.offset + 28), 3u) << "points";
    EXPECT_EQ(U32(bytes, path.offset + 44), 100u) << "x of the apex";
    EXPECT_EQ(U32(bytes, records[static_cast<std::size_t>(at(EmrSelectClipPath))].offset + 8),
              RgnCopy);
    const Record& region = records[static_cast<std::size_t>(at(EmrExtSelectClipRgn))];
    EXPECT_EQ(region.size, 16u);
    EXPECT_EQ(U32(bytes, region.offset + 8), 0u) << "no region data";
    EXPECT_EQ(U32(bytes, region.offset + 12), RgnCopy);
}

TEST(MetafileCanvasTest, WmfClipsToTheBoundingRectangleBetweenSaveAndRestore) {
    constexpr std::uint32_t MetaSaveDc = 0x001e, MetaRestoreDc = 0x0127,
                            MetaIntersectClipRect = 0x0416, MetaDeleteObject = 0x01f0,
                            MetaSelectObject = 0x012d;
    auto canvas = MetafileCanvas::Create(MetafileKind::Wmf, 200, 100);
    canvas->setPen(0x0000FF, 1, PenSolid);
    canvas->lineTo(5, 5);
    canvas->setClip({{{10, 90}, {100, 5}, {190, 90}}});
    // A new pen while the state is saved: the one it replaces is selected again by RestoreDC.
    canvas->setPen(0x00FF00, 1, PenSolid);
    canvas->lineTo(50, 50);
    canvas->clearClip();
    canvas->lineTo(0, 0);
    const std::vector<char> bytes = canvas->finish();
    const std::vector<Record> records = WmfRecords(bytes);
    std::size_t save = 0, clip = 0, restore = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].type == MetaSaveDc) save = i;
        if (records[i].type == MetaIntersectClipRect) clip = i;
        if (records[i].type == MetaRestoreDc) restore = i;
    }
    ASSERT_TRUE(save > 0 && save < clip && clip < restore);
    // Bottom, right, top, left: the triangle's bounding box.
    const std::size_t p = records[clip].offset + 6;
    EXPECT_EQ(S16(bytes, p), 90);
    EXPECT_EQ(S16(bytes, p + 2), 190);
    EXPECT_EQ(S16(bytes, p + 4), 5);
    EXPECT_EQ(S16(bytes, p + 6), 10);
    EXPECT_EQ(S16(bytes, records[restore].offset + 6), -1);
    for (std::size_t i = save; i < restore; ++i)
        EXPECT_NE(records[i].type, MetaDeleteObject) << "record " << i;
    EXPECT_EQ(records[restore + 1].type, MetaSelectObject) << "the current pen again";
    EXPECT_EQ(records[restore + 2].type, MetaDeleteObject) << "the first pen, now unused";
    EXPECT_EQ(records[records.size() - 2].type, MetaLineTo);
}

TEST(MetafileCanvasTest, AnEmptyClipRecordsNothing) {
    for (const MetafileKind kind : {MetafileKind::Emf, MetafileKind::Wmf}) {
        auto canvas = MetafileCanvas::Create(kind, 200, 100);
        canvas->setClip({});
        DrawSample(*canvas);
        canvas->fillRect(0, 0, 200, 100, 0);
        canvas->fillPolygon({{{0, 0}, {50, 0}, {50, 50}}}, 0);
        canvas->setPixel(5, 5, 0);
        canvas->clearClip();
        EXPECT_EQ(canvas->finish(), MetafileCanvas::Create(kind, 200, 100)->finish())
            << (kind == MetafileKind::Emf ? "EMF" : "WMF");
    }
}

TEST(MetafileCanvasTest, TextWidthsMatchTheScreenCanvas) {
    QImage image(64, 64, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas screen(painter);
    if (!screen.textProblem().empty()) GTEST_SKIP() << screen.textProblem();
    auto metafile = MetafileCanvas::Create(MetafileKind::Emf, 64, 64);
    for (const CanvasFont& font :
         {CanvasFont{DefaultTextFace, 13, 0, 0}, CanvasFont{DefaultTextFace, 40, 9, 450},
          CanvasFont{DefaultTextFace, 200, 0, 0}}) {
        screen.setFont(font);
        metafile->setFont(font);
        for (const char* text : {"W123 abc", "部品 No.12", "Φ25±0.1°", "ｱｲｳ漢字", "é∅×"})
            EXPECT_NEAR(metafile->textWidth(text), screen.textWidth(text), 1)
                << text << " at " << font.cellHeight;
    }
}

} // namespace
} // namespace orvanta
