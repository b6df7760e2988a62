// The drawing model: the plain records of one loaded drawing and the tables that hold them.
//
// Every record kind of a DXF file that the browser uses has a record type here. Entities of
// block definitions and entities of the drawing itself (the "model") share record types but live
// in separate tables: the model tables carry plain names (LineAry), the block-definition tables
// the prefix Blk (BlkLineAry). Fields are named after the DXF group code that fills them.
//
// Coordinates are doubles, strings are UTF-8. A Drawing owns all tables of one drawing; each
// load and each preview gets a Drawing of its own, so nothing here is process-wide.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

struct TAcadPoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

// RGB colour laid out 0x00BBGGRR.
using TColor = std::uint32_t;
// Pen pattern ordinal 0 to 8, assigned by the colour pass.
using TPenStyle = std::uint8_t;

// Colour numbers: 1..255 colour index, 256 by layer, 0 by block; negative on a layer = layer off.
constexpr std::int16_t ColorByBlock = 0;
constexpr std::int16_t ColorByLayer = 256;
constexpr std::int16_t DefaultLayerColor = 7;

struct TLayer {
    std::string Name;
    std::int16_t color = DefaultLayerColor;
    std::int16_t code70 = 0;
    std::string ltype = "CONTINUOUS";
    bool visible = true;
    std::string Comment;
};

struct TBlockBlk {
    std::string name;
    std::string layer;
    std::string ltype;
    TAcadPoint base;
    std::int16_t layindex = 0;
};

// LINE entities, and every segment the normalisation passes produce.
struct TAcadLineBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint st;
    TAcadPoint ed;
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    // 0 model space, 1 paper space, -1 replaced by segments during normalisation.
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
    double atsumi = 0;
    std::int16_t convtype = 0;
    bool lwpflag = false;
    bool checked = false;
};

struct TCircleBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint center;
    double hankei = 0; // radius
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
    bool checked = false;
};

struct TArcBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint center;
    double hankei = 0; // radius
    double st = 0;     // start angle, degrees
    double ed = 0;     // end angle, degrees
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
    double atsumi = 0;
    bool lwpflag = false;
    bool checked = false;
};

struct TInsertBlk {
    // Name of the block definition that contains this insert; empty for inserts of the model.
    // Block expansion follows it to place nested blocks inside each placement of their parent.
    std::string bname;
    std::string name; // the inserted block
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    TAcadPoint base;
    TAcadPoint scale{1, 1, 1};
    std::int16_t color = ColorByLayer;
    double rotate = 0; // degrees
    std::int16_t code66 = 0;
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
};

// Header of one LWPOLYLINE or POLYLINE. Its vertices carry the same ihand.
struct TLwpBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int32_t ihand = 0; // own index in its table
    std::int16_t color = ColorByLayer;
    double code38 = 0; // elevation
    std::int16_t code67 = 0;
    // 1 closed, 16 polygon mesh, 32 mesh closed in N, 64 polyface mesh.
    std::int16_t code70 = 0;
    std::int16_t code71 = 0;
    std::int16_t code72 = 0;
    std::int16_t code73 = 0;
    std::int16_t code74 = 0;
    TAcadPoint code210{0, 0, 1};
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    std::int16_t layindex = 0;
};

struct TLwpEle {
    std::int32_t ihand = 0;
    TAcadPoint code10;
    double code42 = 0; // bulge of the segment starting here
};

// TEXT, ATTRIB and MTEXT.
struct TTextBlk {
    std::string bname;
    std::string layer;
    std::int16_t color = ColorByLayer;
    TAcadPoint pt10;
    TAcadPoint pt11; // alignment point (TEXT, ATTRIB) or x-axis direction (MTEXT)
    double code40 = 0;
    double code41 = 1.0;
    double code50 = 0;
    std::int16_t code72 = 0;
    std::int16_t code73 = 0;
    std::int16_t code70 = 0;
    std::int16_t code71 = 0;
    std::string str;
    bool mtflag = false;
    TColor PenColor = 0;
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
    bool checked = false;
};

struct TFaceBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint pt[4];
    TColor PenColor = 0;
    TPenStyle PenStyle = 0;
    std::int16_t code67 = 0;
    std::int16_t code70 = 0; // invisible-edge flags
    std::int16_t count = 3;
    std::int16_t layindex = 0;
};

struct TEllipseBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint center;
    TAcadPoint endpoint; // end of the major axis, relative to the centre
    double henpei = 0;   // minor to major axis ratio
    double kaisi = 0;    // start parameter, radians
    double owari = 0;    // end parameter, radians
    TAcadPoint code210{0, 0, 1};
    std::int16_t layindex = 0;
};

struct TSolidBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    TAcadPoint p1;
    TAcadPoint p2;
    TAcadPoint p3;
    TAcadPoint p4;
};

struct TLeaderBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    double code41 = 0;
    std::int16_t code76 = 0; // number of vertices
    TAcadPoint p1;
    TAcadPoint p2;
    TAcadPoint p3;
};

struct TDimensionBlk {
    std::string bname;
    std::string layer = "0";
    std::string ltype = "BYLAYER";
    std::int16_t color = ColorByLayer;
    std::string dimblkName; // the block holding the dimension's picture
    TAcadPoint p0;
    TAcadPoint p1;
    TAcadPoint p2;
    TAcadPoint p3;
    TAcadPoint p4;
    TAcadPoint P5;
    TAcadPoint P6;
    std::int16_t dimtype = 0;
    double code40 = 0;
    double code50 = 0;
    double code51 = 0;
    // Paper space flag; the expanded picture of the dimension inherits it.
    std::int16_t code67 = 0;
    TAcadPoint code210{0, 0, 1};
};

struct TViewTbl {
    std::string name;
    TAcadPoint center;
    double height = 0;
    double width = 0;
    std::int16_t code70 = 0;
};

// One drawing: the 22 tables and the extents. After a read each table holds exactly its records.
struct Drawing {
    std::vector<TLayer> LayerAry;
    std::vector<TBlockBlk> BlockAry;
    std::vector<TViewTbl> ViewAry;

    std::vector<TAcadLineBlk> LineAry;
    std::vector<TCircleBlk> CircleAry;
    std::vector<TArcBlk> ArcAry;
    std::vector<TInsertBlk> InsertAry;
    std::vector<TLwpBlk> LwpAry;
    std::vector<TLwpEle> LwpEleAry;
    std::vector<TTextBlk> TextAry;
    std::vector<TFaceBlk> FaceAry;
    std::vector<TEllipseBlk> EllipseAry;
    std::vector<TDimensionBlk> DimensionAry;
    std::vector<TSolidBlk> SolidAry; // SOLIDs of block definitions
    std::vector<TLeaderBlk> LeaderAry;

    std::vector<TAcadLineBlk> BlkLineAry;
    std::vector<TCircleBlk> BlkCircleAry;
    std::vector<TArcBlk> BlkArcAry;
    std::vector<TInsertBlk> BlkInsertAry;
    std::vector<TLwpBlk> BlkLwpAry;
    std::vector<TLwpEle> BlkLwpEleAry;
    std::vector<TTextBlk> BlkTextAry;

    // Extents of the normalised model; zero until computed.
    TAcadPoint ExtMin;
    TAcadPoint ExtMax;

    // Empties every table and resets the extents.
    void clear();
};

// The thirteen record counts the browser shows for a drawing, in the order it shows them.
struct TableCount {
    const char* name; // "Layer", "Line", ... "View"
    std::size_t count;
};
std::array<TableCount, 13> TableCounts(const Drawing& drawing);

void SetAcadPoint(TAcadPoint& p, double x, double y, double z);

// Colour number of the first layer called `name` (exact, case-sensitive comparison), negative
// values included. A name no layer has is appended as a new visible layer of colour 7.
std::int16_t GetLayerColor(Drawing& drawing, const std::string& name);

} // namespace orvanta
