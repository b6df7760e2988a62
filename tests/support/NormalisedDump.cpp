#include "support/NormalisedDump.h"

#include <cstdio>

namespace orvanta::test {

namespace {

class Line {
  public:
    explicit Line(std::string& out, const char* kind) : out_(out) { out_ += kind; }
    ~Line() { out_ += '\n'; }

    Line& text(const std::string& s) {
        // Quoted, with control bytes, quotes and backslashes escaped so that a record stays on
        // one line; other bytes (UTF-8) are kept as they are.
        out_ += " \"";
        for (const char c : s) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || c == '"' || c == '\\') {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
                out_ += escaped;
            } else {
                out_ += c;
            }
        }
        out_ += '"';
        return *this;
    }
    Line& number(double v) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, " %.17g", v);
        out_ += buffer;
        return *this;
    }
    Line& integer(long long v) {
        out_ += ' ';
        out_ += std::to_string(v);
        return *this;
    }
    Line& point(const TAcadPoint& p) {
        out_ += " (";
        number(p.x).number(p.y).number(p.z);
        out_ += " )";
        return *this;
    }

  private:
    std::string& out_;
};

} // namespace

std::string DumpNormalised(const Drawing& d) {
    std::string out;
    for (const TLayer& r : d.LayerAry)
        Line(out, "LAYER")
            .text(r.Name)
            .integer(r.color)
            .integer(r.code70)
            .text(r.ltype)
            .integer(r.visible)
            .text(r.Comment);
    for (const TAcadLineBlk& r : d.LineAry)
        Line(out, "LINE")
            .text(r.bname)
            .text(r.layer)
            .text(r.ltype)
            .integer(r.color)
            .point(r.st)
            .point(r.ed)
            .integer(r.PenColor)
            .integer(r.PenStyle)
            .integer(r.code67)
            .point(r.code210)
            .integer(r.layindex)
            .number(0.0) // thickness: none is kept, the column keeps the digests comparable
            .integer(r.convtype)
            .integer(r.lwpflag)
            .integer(r.checked);
    for (const TCircleBlk& r : d.CircleAry)
        Line(out, "CIRCLE")
            .text(r.bname)
            .text(r.layer)
            .text(r.ltype)
            .integer(r.color)
            .point(r.center)
            .number(r.hankei)
            .integer(r.PenColor)
            .integer(r.PenStyle)
            .integer(r.code67)
            .point(r.code210)
            .integer(r.layindex)
            .integer(r.checked);
    for (const TArcBlk& r : d.ArcAry)
        Line(out, "ARC")
            .text(r.bname)
            .text(r.layer)
            .text(r.ltype)
            .integer(r.color)
            .point(r.center)
            .number(r.hankei)
            .number(r.st)
            .number(r.ed)
            .integer(r.PenColor)
            .integer(r.PenStyle)
            .integer(r.code67)
            .point(r.code210)
            .integer(r.layindex)
            .number(0.0) // thickness: none is kept, the column keeps the digests comparable
            .integer(r.lwpflag)
            .integer(r.checked);
    for (const TTextBlk& r : d.TextAry)
        Line(out, "TEXT")
            .text(r.bname)
            .text(r.layer)
            .integer(r.color)
            .point(r.pt10)
            .point(r.pt11)
            .number(r.code40)
            .number(r.code41)
            .number(r.code50)
            .integer(r.code72)
            .integer(r.code73)
            .integer(r.code70)
            .integer(r.code71)
            .text(r.str)
            .integer(r.mtflag)
            .integer(r.PenColor)
            .integer(r.code67)
            .point(r.code210)
            .integer(r.layindex)
            .integer(r.checked);
    Line(out, "EXTENTS").point(d.ExtMin).point(d.ExtMax);
    // The passes consume their source tables; what is left of the others is counted.
    Line(out, "SIZES")
        .integer(static_cast<long long>(d.BlockAry.size()))
        .integer(static_cast<long long>(d.ViewAry.size()))
        .integer(static_cast<long long>(d.InsertAry.size()))
        .integer(static_cast<long long>(d.LwpAry.size()))
        .integer(static_cast<long long>(d.LwpEleAry.size()))
        .integer(static_cast<long long>(d.FaceAry.size()))
        .integer(static_cast<long long>(d.EllipseAry.size()))
        .integer(static_cast<long long>(d.DimensionAry.size()))
        .integer(static_cast<long long>(d.SolidAry.size()))
        .integer(static_cast<long long>(d.LeaderAry.size()))
        .integer(static_cast<long long>(d.BlkLineAry.size()))
        .integer(static_cast<long long>(d.BlkCircleAry.size()))
        .integer(static_cast<long long>(d.BlkArcAry.size()))
        .integer(static_cast<long long>(d.BlkInsertAry.size()))
        .integer(static_cast<long long>(d.BlkLwpAry.size()))
        .integer(static_cast<long long>(d.BlkLwpEleAry.size()))
        .integer(static_cast<long long>(d.BlkTextAry.size()));
    return out;
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

} // namespace orvanta::test
