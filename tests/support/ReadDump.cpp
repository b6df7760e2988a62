#include "support/ReadDump.h"

#include <cstdio>
#include <tuple>
#include <type_traits>

namespace orvanta::test {

namespace {

class Out {
  public:
    explicit Out(std::string& text) : text_(text) {}

    template <class... Fields> void line(const char* kind, const Fields&... fields) {
        text_ += kind;
        (put(fields), ...);
        text_ += '\n';
    }

  private:
    void put(double v) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, " %.17g", v);
        text_ += buffer;
    }
    template <class Integer, std::enable_if_t<std::is_integral_v<Integer>, int> = 0>
    void put(Integer v) {
        text_ += ' ';
        text_ += std::to_string(static_cast<long long>(v));
    }
    template <class Enum, std::enable_if_t<std::is_enum_v<Enum>, int> = 0> void put(Enum v) {
        put(static_cast<long long>(v));
    }
    void put(float v) { put(static_cast<double>(v)); }
    void put(const std::string& s) {
        text_ += " \"";
        for (const char c : s) {
            if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
        text_ += '"';
    }
    void put(const Name& n) { put(n.str()); }
    void put(const TAcadPoint& p) {
        text_ += " (";
        put(p.x);
        put(p.y);
        put(p.z);
        text_ += " )";
    }
    void put(const TLwpEle& v) {
        text_ += " {";
        put(v.ihand);
        put(v.code10);
        put(v.code42);
        put(v.startWidth);
        put(v.endWidth);
        text_ += " }";
    }
    void put(const THatchEdge& e) {
        text_ += " {";
        put(e.type);
        put(e.p10);
        put(e.p11);
        put(e.code40);
        put(e.code50);
        put(e.code51);
        put(e.code73);
        put(e.degree);
        put(e.knots);
        put(e.weights);
        put(e.control);
        put(e.fit);
        text_ += " }";
    }
    void put(const THatchPath& p) {
        text_ += " {";
        put(p.code92);
        put(p.closed);
        put(p.vertices);
        put(p.edges);
        text_ += " }";
    }
    void put(const THatchLine& l) {
        text_ += " {";
        put(l.angle);
        put(l.base);
        put(l.offset);
        put(l.dashes);
        text_ += " }";
    }
    void put(const TMLeaderBranch& b) {
        text_ += " {";
        put(b.last);
        put(b.dogleg);
        put(b.doglegLength);
        put(b.lines);
        text_ += " }";
    }
    template <class T> void put(const std::vector<T>& items) {
        text_ += " [";
        for (const T& item : items)
            put(item);
        text_ += " ]";
    }
    std::string& text_;
};

// The fields every kind drawn with a pen shares.
template <class Record> auto Common(const Record& r) {
    return std::make_tuple(r.bname, r.layer, r.ltype, r.PenColor, r.color, r.code67, r.layindex,
                           r.code370, r.PenStyle);
}

template <class Record, class... Fields>
void Put(Out& out, const char* kind, const Record& r, const Fields&... fields) {
    std::apply([&](const auto&... common) { out.line(kind, common..., fields...); }, Common(r));
}

} // namespace

std::string DumpRead(const Drawing& d) {
    std::string text;
    Out out(text);
    for (const TLayer& r : d.LayerAry)
        out.line("LAYER", r.Name, r.color, r.code70, r.ltype, r.visible, r.Comment, r.code370);
    for (const TBlockBlk& r : d.BlockAry)
        out.line("BLOCK", r.name, r.layer, r.ltype, r.base, r.layindex, r.code70, r.xrefPath);
    for (const TViewTbl& r : d.ViewAry)
        out.line("VIEW", r.name, r.center, r.height, r.width, r.code70);
    for (const TLayout& r : d.LayoutAry)
        out.line("LAYOUT", r.name, r.code71, r.code70, r.blockName, r.handle, r.paperName, r.code40,
                 r.code41, r.code42, r.code43, r.code44, r.code45, r.code46, r.code47, r.code72,
                 r.code73, r.code74, r.plotFlags, r.windowMin, r.windowMax, r.code142, r.code143,
                 r.limMin, r.limMax, r.extMin, r.extMax);
    for (const TViewport& r : d.ViewportAry)
        out.line("VIEWPORT", r.bname, r.layer, r.code67, r.code68, r.code69, r.code90, r.center,
                 r.width, r.height, r.viewCenter, r.viewDirection, r.viewTarget, r.viewHeight,
                 r.twist, r.clipHandle, r.frozenLayers, r.handle, r.clip);
    for (const TEntityHandle& r : d.PaperHandleAry)
        out.line("PAPER", r.handle, r.kind, r.inBlock, r.index);
    for (const bool block : {false, true}) {
        for (const auto& r : RecordTable<TAcadLineBlk>(d, block))
            Put(out, "LINE", r, r.convtype, r.lwpflag, r.checked, r.st, r.ed, r.code210);
        for (const auto& r : RecordTable<TCircleBlk>(d, block))
            Put(out, "CIRCLE", r, r.checked, r.center, r.hankei, r.code210);
        for (const auto& r : RecordTable<TArcBlk>(d, block))
            Put(out, "ARC", r, r.lwpflag, r.checked, r.center, r.hankei, r.st, r.ed, r.code210);
        for (const auto& r : RecordTable<TInsertBlk>(d, block))
            Put(out, "INSERT", r, r.code66, r.name, r.base, r.scale, r.rotate, r.code70, r.code71,
                r.clip, r.code44, r.code45, r.code210);
        for (const auto& r : RecordTable<TLwpBlk>(d, block))
            Put(out, "POLYLINE", r, r.ihand, r.code38, r.code70, r.code71, r.code72, r.code73,
                r.code74, r.code210, r.startWidth, r.endWidth);
        for (const auto& r : RecordTable<TLwpEle>(d, block))
            out.line("VERTEX", r);
        for (const auto& r : RecordTable<TPolyfaceEle>(d, block))
            out.line("FACE", r.ihand, r.index[0], r.index[1], r.index[2], r.index[3]);
        for (const auto& r : RecordTable<TTextBlk>(d, block))
            out.line("TEXT", r.bname, r.layer, r.pt10, r.pt11, r.code210, r.code40, r.code41,
                     r.code50, r.str, r.PenColor, r.color, r.code72, r.code73, r.code70, r.code71,
                     r.code67, r.layindex, r.mtflag, r.checked, r.kind, d.TagAry.at(r.tag),
                     r.code51, r.styleWidth, r.code44, r.code46, r.columnWidth, r.columnGutter,
                     r.columnType, r.columnCount, r.code90, r.code63, r.code421, r.code45);
        for (const auto& r : RecordTable<TFaceBlk>(d, block))
            Put(out, "3DFACE", r, r.pt[0], r.pt[1], r.pt[2], r.pt[3], r.code70, r.count);
        for (const auto& r : RecordTable<TEllipseBlk>(d, block))
            Put(out, "ELLIPSE", r, r.center, r.endpoint, r.henpei, r.kaisi, r.owari, r.code210);
        for (const auto& r : RecordTable<TSolidBlk>(d, block))
            Put(out, "SOLID", r, r.hasP4, r.p1, r.p2, r.p3, r.p4, r.code210);
        for (const auto& r : RecordTable<TLeaderBlk>(d, block))
            Put(out, "LEADER", r, r.code41, r.code76, r.p1, r.p2, r.p3);
        for (const auto& r : RecordTable<TPointBlk>(d, block))
            Put(out, "POINT", r, r.pt10);
        for (const auto& r : RecordTable<TSplineBlk>(d, block))
            Put(out, "SPLINE", r, r.code70, r.degree, r.knots, r.weights, r.control, r.fit);
        for (const auto& r : RecordTable<THatchBlk>(d, block))
            Put(out, "HATCH", r, r.pattern, r.code70, r.gradient, r.elevation, r.paths, r.lines,
                r.code210);
        for (const auto& r : RecordTable<TRayBlk>(d, block))
            Put(out, "RAY", r, r.pt10, r.pt11, r.xline);
        for (const auto& r : RecordTable<TWipeoutBlk>(d, block))
            Put(out, "WIPEOUT", r, r.pt10, r.u, r.v, r.code71, r.clip);
        for (const auto& r : RecordTable<TMLeaderBlk>(d, block))
            Put(out, "MLEADER", r, r.hasText, r.doglegShown, r.leaders, r.arrowSize, r.text,
                r.textPoint, r.textDirection, r.textHeight, r.textWidth, r.attachment);
        for (const auto& r : RecordTable<TImageBlk>(d, block))
            Put(out, "IMAGE", r, r.pt10, r.u, r.v, r.width, r.height, r.code70, r.code280,
                r.code281, r.code282, r.code283, r.code71, r.clip, r.code340, r.def);
    }
    for (const TDimensionBlk& r : d.DimensionAry)
        Put(out, "DIMENSION", r, r.dimblkName, r.p0, r.p1, r.p2, r.p3, r.p4, r.P5, r.P6, r.dimtype,
            r.code40, r.code50, r.code51, r.code210);
    for (const TImageDef& r : d.ImageDefAry)
        out.line("IMAGEDEF", r.handle, r.fileName, r.width, r.height, r.path);
    for (const auto& r : d.ClipAry)
        out.line("CLIP", r);
    out.line("TAGS", d.TagAry);
    out.line("DRAWING", d.TileMode, d.SkippedLayouts, d.SkippedViewports, d.ImageFrame,
             d.MissingImages, d.SkippedEntities, d.PdMode, d.PdSize, d.LwDefault, d.ReachedEof,
             d.InsUnits, d.FillMode, d.ExtMin, d.ExtMax);
    return text;
}

} // namespace orvanta::test
