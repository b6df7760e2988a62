// The drawing model: the plain records of one loaded drawing and the tables that hold them.
//
// Every record kind of a DXF file that the browser uses has a record type here. Entities of
// block definitions and entities of the drawing itself (the "model") share record types but live
// in separate tables: the model tables carry plain names (LineAry), the block-definition tables
// the prefix Blk (BlkLineAry), except the SOLID tables (see Drawing). Fields are named after the
// DXF group code that fills them.
//
// Coordinates are doubles, strings are UTF-8. A Drawing owns all tables of one drawing; each
// load and each preview gets a Drawing of its own, so nothing here is process-wide.
#pragma once

#include "model/Names.h"
#include "model/Point.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace orvanta {

constexpr std::uint8_t ConvChordOfCurve = 1;

// RGB colour laid out 0x00BBGGRR.
using TColor = std::uint32_t;
// Pen pattern ordinal 0 to 8, assigned by the colour pass.
using TPenStyle = std::uint8_t;

// Colour numbers: 1..255 colour index, 256 by layer, 0 by block; negative on a layer = layer off.
constexpr std::int16_t ColorByBlock = 0;
constexpr std::int16_t ColorByLayer = 256;
constexpr std::int16_t DefaultLayerColor = 7;

// Lineweights (code 370): hundredths of a millimetre from 0 to 211, or one of these. The colour
// pass replaces them by the width the record is drawn with (never negative after it).
constexpr std::int16_t LineweightByLayer = -1;
constexpr std::int16_t LineweightByBlock = -2;
constexpr std::int16_t LineweightDefault = -3;
// The weight "default" stands for when the header names none ($LWDEFAULT).
constexpr std::int16_t DefaultLineweight = 25;

struct TLayer {
    std::string Name;
    std::int16_t color = DefaultLayerColor;
    std::int16_t code70 = 0;
    std::string ltype = "CONTINUOUS";
    bool visible = true;
    std::string Comment;
    std::int16_t code370 = LineweightDefault; // lineweight; by-layer and by-block mean default
};

struct TBlockBlk {
    std::string name;
    std::string layer;
    std::string ltype;
    TAcadPoint base;
    std::int16_t layindex = 0;
    // Block-type flags: 4 an external reference, whose entities live in the file of `xrefPath`
    // (code 1); 16 and 32 mark the blocks and layers a reference brings.
    std::int16_t code70 = 0;
    std::string xrefPath;
};

// What every entity record carries besides its geometry: where it belongs, how it is drawn, and
// the pen the colour pass resolves for it. A record made from another (the edges of a face, the
// pieces of a polyline, a block's entities placed in the model) takes all of it in one
// assignment, `static_cast<EntityCommon&>(piece) = source`, and changes what differs.
//
// The fields are ordered so that the struct holds 37 bytes of data in 40: the records that derive
// from it put their one-byte fields in the last three bytes (compilers reuse the tail padding of
// a base that is not plain old data, as Name makes this one), which keeps a line at 96 bytes.
struct EntityCommon {
    // Name of the block definition that holds the record; empty for the model's records.
    Name bname;
    Name layer = Name::Zero();
    Name ltype = Name::ByLayer();
    TColor PenColor = 0;
    std::int16_t color = ColorByLayer;
    // 0 model space, 1 paper space; -1 on a line, arc or circle replaced by segments during
    // normalisation.
    std::int16_t code67 = 0;
    std::int16_t layindex = 0;
    std::int16_t code370 = LineweightByLayer; // lineweight
    TPenStyle PenStyle = 0;
};

// LINE entities, and every segment the normalisation passes produce.
struct TAcadLineBlk : EntityCommon {
    // ConvChordOfCurve: a chord of a curve that CurveAry holds whole and the renderer draws as
    // a curve; the chord still counts for the extents, the counts and picking.
    std::uint8_t convtype = 0;
    bool lwpflag = false;
    bool checked = false;
    TAcadPoint st;
    TAcadPoint ed;
    // The drawing's copy of the direction (see Names.h), as for arcs and circles.
    Extrusion code210;
};

struct TCircleBlk : EntityCommon {
    bool checked = false;
    TAcadPoint center;
    double hankei = 0; // radius
    Extrusion code210;
};

struct TArcBlk : EntityCommon {
    bool lwpflag = false;
    bool checked = false;
    TAcadPoint center;
    double hankei = 0; // radius
    double st = 0;     // start angle, degrees
    double ed = 0;     // end angle, degrees
    Extrusion code210;
};

// A block reference that shows its whole block.
constexpr std::int32_t NoClip = -1;

// Block expansion follows the bname of an insert to place nested blocks inside each placement of
// their parent.
struct TInsertBlk : EntityCommon {
    std::uint8_t code66 = 0; // 1: attributes follow
    Name name;               // the inserted block
    TAcadPoint base;
    TAcadPoint scale{1, 1, 1};
    double rotate = 0; // degrees
    // MINSERT: columns and rows (codes 70 and 71) and their spacing (codes 44 and 45).
    std::int16_t code70 = 1;
    std::int16_t code71 = 1;
    // The boundary of its spatial filter (an XCLIP), as an index into ClipAry, or NoClip.
    std::int32_t clip = NoClip;
    double code44 = 0;
    double code45 = 0;
    TAcadPoint code210{0, 0, 1};
};

// Header of one LWPOLYLINE or POLYLINE. Its vertices carry the same ihand.
struct TLwpBlk : EntityCommon {
    std::int32_t ihand = 0; // own index in its table
    double code38 = 0;      // elevation
    // 1 closed, 16 polygon mesh, 32 mesh closed in N, 64 polyface mesh.
    std::int16_t code70 = 0;
    std::int16_t code71 = 0;
    std::int16_t code72 = 0;
    std::int16_t code73 = 0;
    std::int16_t code74 = 0;
    TAcadPoint code210{0, 0, 1};
    // The width of a segment whose vertex gives none: LWPOLYLINE's constant width (code 43),
    // POLYLINE's default start and end widths (codes 40 and 41).
    float startWidth = 0;
    float endWidth = 0;
};

struct TLwpEle {
    std::int32_t ihand = 0;
    TAcadPoint code10;
    double code42 = 0; // bulge of the segment starting here
    // Widths at the start and end of the segment starting here (codes 40 and 41), negative where
    // the vertex gives none and the header's hold.
    float startWidth = -1;
    float endWidth = -1;
};

// A face record of a polyface mesh (a VERTEX with flag 128 and without 64): up to four 1-based
// indices into its polyline's position vertices (codes 71 to 74); 0 ends the list, a negative
// index hides the edge that starts at that vertex.
struct TPolyfaceEle {
    std::int32_t ihand = 0;
    std::int16_t index[4] = {0, 0, 0, 0};
};

// What a text was in the file, or what made it; the folder search tells them apart.
enum class TextKind : std::uint8_t {
    Text,
    MText,
    Attribute,           // an ATTRIB
    AttributeDefinition, // a constant ATTDEF of a block
    Dimension,           // a text of a dimension's picture
    MLeader,             // a multileader's content
};

// TEXT, ATTRIB and MTEXT. A text has no linetype or lineweight of its own, so it keeps its own
// copy of the other common fields: taking EntityCommon would cost it eight bytes. Its layer
// starts empty, not "0".
struct TTextBlk {
    Name bname;
    Name layer;
    TAcadPoint pt10;
    TAcadPoint pt11; // alignment point (TEXT, ATTRIB) or x-axis direction (MTEXT)
    TAcadPoint code210{0, 0, 1};
    double code40 = 0;
    double code41 = 1.0;
    double code50 = 0;
    std::string str;
    TColor PenColor = 0;
    std::int16_t color = ColorByLayer;
    std::int16_t code72 = 0;
    std::int16_t code73 = 0;
    std::int16_t code70 = 0;
    std::int16_t code71 = 0;
    std::int16_t code67 = 0;
    std::int16_t layindex = 0;
    bool mtflag = false;
    bool checked = false;
    TextKind kind = TextKind::Text;
    // An attribute's tag: its index in the drawing's TagAry, 0 for none. Tags are few and
    // repeat (every title block has the same ones), so a text keeps two bytes, not a string.
    std::uint16_t tag = 0;
    // The rest shapes a text as its author set it. A TEXT's width factor (code41), oblique angle
    // (code51) and generation flags (code71: 2 mirrored in X, 4 upside down) are its own where
    // it gives them and its style's where it does not; an MTEXT takes its style's width factor
    // and oblique angle.
    double code51 = 0;       // oblique angle, degrees: the verticals lean this far clockwise
    double styleWidth = 1.0; // MTEXT: the width factor of its style
    double code44 = 1.0;     // MTEXT: line spacing factor (code73 holds the spacing style)
    double code46 = 0;       // MTEXT: defined height, the height of its columns
    // MTEXT columns: type (0 none, 1 static, 2 dynamic), count, width and gutter.
    double columnWidth = 0;
    double columnGutter = 0;
    std::int16_t columnType = 0;
    std::int16_t columnCount = 0;
    // MTEXT background (code 90: 1 fill with code63/code421, 2 fill with the window's colour,
    // 16 frame the text), its colour, and the fill box's scale of the text height (code 45).
    std::int16_t code90 = 0;
    std::int16_t code63 = 0;
    std::int32_t code421 = -1; // 0x00RRGGBB as written, -1 when absent
    double code45 = 1.5;
};

struct TFaceBlk : EntityCommon {
    TAcadPoint pt[4];
    std::int16_t code70 = 0; // invisible-edge flags
    std::int16_t count = 3;
};

struct TEllipseBlk : EntityCommon {
    TAcadPoint center;
    TAcadPoint endpoint; // end of the major axis, relative to the centre
    double henpei = 0;   // minor to major axis ratio
    double kaisi = 0;    // start parameter, radians
    double owari = 0;    // end parameter, radians
    TAcadPoint code210{0, 0, 1};
};

// SOLID and TRACE: a filled triangle or quadrilateral whose corners run p1, p2, p4, p3 (the
// format stores the third and fourth corners crosswise). p4 defaults to p3: a triangle.
struct TSolidBlk : EntityCommon {
    bool hasP4 = false;
    TAcadPoint p1;
    TAcadPoint p2;
    TAcadPoint p3;
    TAcadPoint p4;
    TAcadPoint code210{0, 0, 1};
};

// POINT, in world coordinates.
struct TPointBlk : EntityCommon {
    TAcadPoint pt10;
};

// SPLINE: a (rational) B-spline in world coordinates, from its control points, knots and
// weights, or from its fit points when it stores no control points. Normalisation turns a fit
// spline into control points, so a normalised spline always has them.
struct TSplineBlk : EntityCommon {
    std::int16_t code70 = 0;         // 1 closed, 2 periodic, 4 rational, 8 planar
    std::int16_t degree = 3;         // code 71
    std::vector<double> knots;       // code 40
    std::vector<double> weights;     // code 41; empty or one per control point
    std::vector<TAcadPoint> control; // codes 10/20/30
    std::vector<TAcadPoint> fit;     // codes 11/21/31
};

// One edge of a HATCH boundary path, in the hatch's object coordinates.
struct THatchEdge {
    std::int16_t type = 1;   // code 72: 1 line, 2 circular arc, 3 elliptic arc, 4 spline
    TAcadPoint p10;          // line start, arc or ellipse centre
    TAcadPoint p11;          // line end, ellipse major axis end relative to the centre
    double code40 = 0;       // arc radius, ellipse minor to major ratio
    double code50 = 0;       // start angle, degrees
    double code51 = 0;       // end angle, degrees
    std::int16_t code73 = 1; // arcs: counter-clockwise
    std::int16_t degree = 3;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<TAcadPoint> control;
    std::vector<TAcadPoint> fit;
};

// One boundary path: a polyline (vertices with bulges) when code 92 has bit 2, else edges.
struct THatchPath {
    std::int32_t code92 = 0;
    std::int16_t closed = 1; // code 73 of a polyline path
    std::vector<TLwpEle> vertices;
    std::vector<THatchEdge> edges;
};

// One line family of a hatch pattern, already in drawing units (the pattern's scale and angle
// applied by the writer, as the format stores them).
struct THatchLine {
    double angle = 0;           // code 53, degrees
    TAcadPoint base;            // codes 43/44
    TAcadPoint offset;          // codes 45/46, to the next line of the family
    std::vector<double> dashes; // code 49: positive dash, negative gap, 0 dot
};

struct THatchBlk : EntityCommon {
    std::string pattern;     // code 2
    std::int16_t code70 = 0; // 1 solid fill
    bool gradient = false;   // code 450 = 1: drawn as a solid fill of the hatch colour
    double elevation = 0;    // code 30
    std::vector<THatchPath> paths;
    std::vector<THatchLine> lines;
    TAcadPoint code210{0, 0, 1};
};

// WIPEOUT: its frame is drawn. The clip boundary (codes 14/24) is in the pixel coordinates of a
// one-pixel image: x right, y down, from -0.5 to 0.5; u and v are the world vectors of one pixel
// along x and up the image.
struct TWipeoutBlk : EntityCommon {
    TAcadPoint pt10;         // lower-left corner
    TAcadPoint u;            // code 11
    TAcadPoint v;            // code 12
    std::int16_t code71 = 1; // 1 rectangle (two corners), 2 polygon
    std::vector<TAcadPoint> clip;
};

// IMAGE: a raster picture kept in a file of its own (its IMAGEDEF names the file), drawn into
// the parallelogram its pixel vectors span. Pixel coordinates, in which the clip boundary
// (codes 14/24) is given, run x right and y down from the picture's top-left corner at
// (-0.5, -0.5) to its bottom-right corner at (width - 0.5, height - 0.5).
struct TImageBlk : EntityCommon {
    TAcadPoint pt10;              // the picture's lower-left corner
    TAcadPoint u;                 // code 11: one pixel along its bottom edge
    TAcadPoint v;                 // code 12: one pixel up its left edge
    double width = 0;             // code 13: size in pixels
    double height = 0;            // code 23
    std::int16_t code70 = 1;      // display: 1 shown, 2 shown unaligned, 4 clipped, 8 transparent
    std::int16_t code280 = 0;     // clipping on
    std::int16_t code281 = 50;    // brightness, 0 to 100
    std::int16_t code282 = 50;    // contrast, 0 to 100
    std::int16_t code283 = 0;     // fade, 0 to 100
    std::int16_t code71 = 1;      // clip boundary: 1 rectangle (two corners), 2 polygon
    std::vector<TAcadPoint> clip; // pixel coordinates
    std::uint64_t code340 = 0;    // the IMAGEDEF's handle
    std::int32_t def = -1;        // that IMAGEDEF's index in ImageDefAry; -1 when none is named
};

// IMAGEDEF: the file of one or more IMAGEs.
struct TImageDef {
    std::uint64_t handle = 0; // code 5
    std::string fileName;     // code 1, as the drawing's author's system wrote it
    double width = 0;         // codes 10/20: size in pixels
    double height = 0;
    // Set when the drawing is loaded: the file on this disk (see FindExternalFile), empty when
    // none was found.
    std::string path;
};

// XLINE (endless both ways) and RAY (endless from its point): drawn clipped to the view.
struct TRayBlk : EntityCommon {
    TAcadPoint pt10; // a point of the line, where a ray starts
    TAcadPoint pt11; // its direction
    bool xline = false;
};

// An ellipse, or a circle or arc outside the world XY plane, in world coordinates: the points
// center + u·cos t + v·sin t for t from `start` through `sweep` (radians), seen from above. Its
// chords stand in LineAry; the renderer draws the curve itself, as finely as the zoom needs.
struct TCurveBlk : EntityCommon {
    TAcadPoint center;
    TAcadPoint u;
    TAcadPoint v;
    double start = 0;
    double sweep = 0;
};

// A filled area of the normalised model, from a SOLID, a TRACE or a HATCH: rings in world
// coordinates (each closed implicitly) filled by the even-odd rule, and the pattern lines of a
// pattern hatch as pairs of points, already clipped to the rings.
enum class FillKind : std::uint8_t {
    Solid, // the area is filled
    Lines, // only the pattern lines are drawn
    Light, // the pattern had too many lines: the boundary and a light fill
    Band,  // a wide polyline: its pieces, overlapping at the joins, all counterclockwise
};
struct TFillBlk : EntityCommon {
    FillKind kind = FillKind::Solid;
    std::vector<std::vector<TAcadPoint>> rings;
    std::vector<TAcadPoint> segments; // pattern lines, two points each
};

struct TLeaderBlk : EntityCommon {
    double code41 = 0;
    std::int16_t code76 = 0; // number of vertices
    TAcadPoint p1;
    TAcadPoint p2;
    TAcadPoint p3;
};

// One leader of a MULTILEADER: its lines run through their vertices (the first is where the
// arrowhead points) to the leader's last point, from which the dogleg runs along its direction.
struct TMLeaderBranch {
    TAcadPoint last;                            // code 10 of the LEADER part
    TAcadPoint dogleg;                          // code 11: the dogleg's direction
    double doglegLength = 0;                    // code 40
    std::vector<std::vector<TAcadPoint>> lines; // codes 10 of each LEADER_LINE part
};

// MULTILEADER (and MLEADER): leaders with arrowheads and an MTEXT content, in world coordinates.
struct TMLeaderBlk : EntityCommon {
    bool hasText = false;    // code 290 of the context
    bool doglegShown = true; // code 291 after the context
    std::vector<TMLeaderBranch> leaders;
    double arrowSize = 0;              // code 140 of the context, else code 42
    std::string text;                  // code 304 of the context: the MTEXT string
    TAcadPoint textPoint;              // code 12
    TAcadPoint textDirection{1, 0, 0}; // code 13
    double textHeight = 0;             // code 41 of the context
    double textWidth = 0;              // code 43 of the context
    std::int16_t attachment = 1;       // code 171 of the context, as MTEXT code 71
};

// The expanded picture of a dimension inherits its paper space flag.
struct TDimensionBlk : EntityCommon {
    Name dimblkName; // the block holding the dimension's picture
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
    TAcadPoint code210{0, 0, 1};
};

// The records a drawing holds by the million are laid out to these sizes; a field added or moved
// carelessly grows every table.
static_assert(sizeof(TAcadLineBlk) == 96);
static_assert(sizeof(TArcBlk) == 96);
static_assert(sizeof(TCircleBlk) == 80);
static_assert(sizeof(TTextBlk) == 240);
static_assert(sizeof(TInsertBlk) == 152);

struct TViewTbl {
    std::string name;
    TAcadPoint center;
    double height = 0;
    double width = 0;
    std::int16_t code70 = 0;
};

// A layout: one sheet of paper space (or the model's own tab), from a LAYOUT object. Lengths of
// the plot settings are millimetres; the limits and extents are paper-space coordinates. Values
// are kept as written, non-finite ones included: whoever builds the sheets judges them.
struct TLayout {
    std::string name;        // code 1 of the AcDbLayout part: the tab's caption
    std::int16_t code71 = 0; // tab order; the model's tab is 0
    std::int16_t code70 = 0; // layout flags: 1 linetype scale by viewport, 2 limits checked
    // The paper-space block that holds the sheet ("*Paper_Space", "*Paper_Space0", ...,
    // "*Model_Space" for the model's tab), found through the block record the layout names
    // (code 330 of its AcDbLayout part) or that names it (code 340 of a BLOCK_RECORD); empty
    // when neither leads to a block record.
    std::string blockName;
    std::string handle; // code 5

    // The AcDbPlotSettings part.
    std::string paperName;      // code 4, the paper size as the plotter names it
    double code40 = 0;          // unprintable margin, left
    double code41 = 0;          // bottom
    double code42 = 0;          // right
    double code43 = 0;          // top
    double code44 = 0;          // paper width
    double code45 = 0;          // paper height
    double code46 = 0;          // plot origin, x
    double code47 = 0;          // plot origin, y
    std::int16_t code72 = 1;    // plot paper units: 0 inches, 1 millimetres, 2 pixels
    std::int16_t code73 = 0;    // plot rotation in quarter turns counter-clockwise, 0 to 3
    std::int16_t code74 = 5;    // what is plotted: 0 display, 1 extents, 2 limits, 3 view,
                                // 4 window, 5 the layout
    std::int16_t plotFlags = 0; // code 70 of this part; 4: the plot is centred on the paper
    TAcadPoint windowMin;       // codes 48/49: the plotted window (code74 4) ...
    TAcadPoint windowMax;       // ... codes 140/141
    double code142 = 1;         // plot scale: numerator (paper units) ...
    double code143 = 1;         // ... per denominator (drawing units)

    // The AcDbLayout part: limits (codes 10/20 and 11/21) and extents (14/24/34 and 15/25/35).
    TAcadPoint limMin;
    TAcadPoint limMax;
    TAcadPoint extMin;
    TAcadPoint extMax;

    // Set when the drawing is normalised: the code67 its sheet's records carry, the paper (in
    // paper-space units) and the extents of the sheet, paper, records and viewports together.
    std::int16_t space = 0;
    TAcadPoint paperMin;
    TAcadPoint paperMax;
    double paperMmPerUnit = 0; // paper millimetres in one unit of it; 0 without plot settings
    TAcadPoint ExtMin;
    TAcadPoint ExtMax;
};

// A VIEWPORT entity: a window on the sheet that shows the model as seen from a view. The sheet's
// own window (code69 1) shows the paper itself. Release 12 files keep the view in extended data
// ("ACAD" "MVIEW"); it is read into the same fields. Values are kept as written.
struct TViewport {
    // Owning block definition; empty in the ENTITIES section, where code67 1 places the viewport
    // in the paper space of the active layout ("*Paper_Space").
    Name bname;
    Name layer = Name::Zero();
    std::int16_t code67 = 0;
    std::int16_t code68 = 0; // status: 0 off, negative on but off screen, else its stacking rank
    std::int16_t code69 = 0; // id; 1 is the sheet's own window
    std::int32_t code90 = 0; // status flags
    TAcadPoint center;       // codes 10/20/30, paper space
    double width = 0;        // code 40, paper space
    double height = 0;       // code 41
    TAcadPoint viewCenter;   // codes 12/22, in the view's display coordinates
    TAcadPoint viewDirection{0, 0, 1}; // codes 16/26/36, from the target towards the viewer
    TAcadPoint viewTarget;             // codes 17/27/37
    double viewHeight = 0;             // code 45, model units seen across the window's height
    double twist = 0;                  // code 51, degrees
    // Code 340: the handle of the paper-space entity that clips the window to its shape (see
    // FindPaperEntity); empty when the window is its rectangle.
    std::string clipHandle;
    // The layers frozen in this window only: the names of the layers its 331 handles name
    // (handles naming no layer are dropped), or the names of release 12 extended data.
    std::vector<Name> frozenLayers;
    std::string handle; // code 5
    // Set when the drawing is normalised: the space of the layout that shows it (0 when none
    // does), and the outline its clip entity gives it on the paper (empty: its rectangle).
    std::int16_t space = 0;
    std::vector<TAcadPoint> clip;
};

// The tables an entity's record can stand in.
enum class RecordKind : std::uint8_t {
    Line,      // LINE
    Circle,    // CIRCLE
    Arc,       // ARC
    Ellipse,   // ELLIPSE
    Solid,     // SOLID, TRACE
    Face,      // 3DFACE
    Polyline,  // LWPOLYLINE, POLYLINE: the header, whose ihand is its index
    Text,      // TEXT, ATTRIB, ATTDEF, MTEXT
    Insert,    // INSERT, MINSERT, ACAD_TABLE, a DIMENSION of a block definition
    Dimension, // DIMENSION of the ENTITIES section
    Leader,    // LEADER
    Point,     // POINT
    Spline,    // SPLINE
    Hatch,     // HATCH
    Ray,       // XLINE, RAY
    Wipeout,   // WIPEOUT
    MLeader,   // MULTILEADER, MLEADER
    Viewport,  // VIEWPORT, in ViewportAry
    Image,     // IMAGE
};

// Where the record of one paper-space entity stands, by its handle: `index` in the table that
// RecordTable gives for `kind` and `inBlock` (ViewportAry for viewports, DimensionAry for the
// dimensions of the ENTITIES section). The indices are those of the tables as read; the
// normalisation passes rewrite the tables, so they no longer hold after them.
struct TEntityHandle {
    std::string handle; // code 5 as written
    RecordKind kind = RecordKind::Line;
    bool inBlock = false;
    std::size_t index = 0;
};

// One drawing: its tables (the layers, blocks and views, the model's records and those of the
// block definitions) and the extents. After a read each table holds exactly its records.
struct Drawing {
    std::vector<TLayer> LayerAry;
    std::vector<TBlockBlk> BlockAry;
    std::vector<TViewTbl> ViewAry;
    // The layouts in tab order, and every VIEWPORT of the ENTITIES section and the blocks.
    std::vector<TLayout> LayoutAry;
    std::vector<TViewport> ViewportAry;
    // The paper-space entities (code 67 1 in ENTITIES, or in a block whose name starts with
    // "*Paper_Space") that have a handle, ordered by handle, so that a viewport finds the entity
    // that clips it. Model entities are not listed: a drawing may hold millions of them.
    std::vector<TEntityHandle> PaperHandleAry;
    // $TILEMODE: 1 the model is shown, 0 the active layout.
    std::int16_t TileMode = 1;
    // Layouts left out because their sheet's block is missing, and viewports drawn without their
    // view (a view height or size that is not a positive number) or clip shape (a boundary that
    // names nothing usable, drawn as the window's rectangle).
    std::size_t SkippedLayouts = 0;
    std::size_t SkippedViewports = 0;

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
    // Mind the names of the SOLID tables, which break the naming rule of the others: SolidAry
    // holds the SOLIDs and TRACEs of block definitions, ModelSolidAry (below) those of the model.
    // RecordTable picks the right one.
    std::vector<TSolidBlk> SolidAry;
    std::vector<TLeaderBlk> LeaderAry;

    // Kinds beyond lines, curves and texts. The model tables hold world coordinates after
    // normalisation; the Blk tables hold block definitions and are emptied by it. HATCHes,
    // SOLIDs and TRACEs become fills.
    std::vector<TSolidBlk> ModelSolidAry; // SOLIDs and TRACEs of the model
    std::vector<TPointBlk> PointAry;
    std::vector<TSplineBlk> SplineAry;
    std::vector<THatchBlk> HatchAry;
    std::vector<TFillBlk> FillAry;
    std::vector<TCurveBlk> CurveAry;
    std::vector<TRayBlk> RayAry;
    std::vector<TWipeoutBlk> WipeoutAry;
    std::vector<TWipeoutBlk> BlkWipeoutAry;
    // IMAGEs (placed in the model like every other kind) and the files they show. A
    // RASTERVARIABLES object may hide the frames drawn around readable pictures.
    std::vector<TImageBlk> ImageAry;
    std::vector<TImageBlk> BlkImageAry;
    std::vector<TImageDef> ImageDefAry;
    bool ImageFrame = true;
    // Image files named by the drawing's IMAGEs that were not found, each file once.
    std::size_t MissingImages = 0;
    std::vector<TPolyfaceEle> PolyfaceAry;
    std::vector<TPolyfaceEle> BlkPolyfaceAry;
    std::vector<TRayBlk> BlkRayAry;
    std::vector<TPointBlk> BlkPointAry;
    std::vector<TSplineBlk> BlkSplineAry;
    std::vector<TMLeaderBlk> MLeaderAry;
    std::vector<TMLeaderBlk> BlkMLeaderAry;
    std::vector<TEllipseBlk> BlkEllipseAry;
    std::vector<TFaceBlk> BlkFaceAry;
    std::vector<TLeaderBlk> BlkLeaderAry;
    std::vector<THatchBlk> BlkHatchAry;
    std::vector<TFillBlk> BlkFillAry;
    // Entities skipped by normalisation because they describe nothing drawable.
    std::size_t SkippedEntities = 0;
    // $PDMODE and $PDSIZE of the header: how points are drawn.
    std::int16_t PdMode = 0;
    double PdSize = 0;
    // $LWDEFAULT: the lineweight that "default" stands for.
    std::int16_t LwDefault = DefaultLineweight;
    // Whether the reader reached the file's EOF pair: a file without it was cut off.
    bool ReachedEof = false;
    // $INSUNITS: the unit of the model's coordinates (0 none, 1 inches, 4 millimetres, ...).
    std::int16_t InsUnits = 0;
    // $FILLMODE: 0 draws wide polylines as outlines only.
    std::int16_t FillMode = 1;

    std::vector<TAcadLineBlk> BlkLineAry;
    std::vector<TCircleBlk> BlkCircleAry;
    std::vector<TArcBlk> BlkArcAry;
    std::vector<TInsertBlk> BlkInsertAry;
    // The clip boundaries of the block references with a spatial filter (TInsertBlk::clip), kept
    // apart because few references have one: closed polygons in the coordinates of the inserted
    // block's definition. A reference shows what lies inside its boundary (even-odd rule).
    std::vector<std::vector<TAcadPoint>> ClipAry;
    std::vector<TLwpBlk> BlkLwpAry;
    std::vector<TLwpEle> BlkLwpEleAry;
    std::vector<TTextBlk> BlkTextAry;
    // The attribute tags the texts name (TTextBlk::tag), each once; [0] is the empty tag. A
    // drawing with more distinct tags than an index holds gives the rest none.
    std::vector<Name> TagAry{Name()};

    // Extents of the normalised model; zero until computed.
    TAcadPoint ExtMin;
    TAcadPoint ExtMax;

    // One copy of each layer, linetype and block name and of each extrusion direction the records
    // hold.
    std::shared_ptr<NameTable> Names = std::make_shared<NameTable>();
    Name name(std::string_view text) { return Names->intern(text); }
    Extrusion extrusion(const TAcadPoint& direction) { return Names->intern(direction); }

    // Empties every table and resets the extents; the names handed out stay valid.
    void clear();
};

// The table that holds records of this kind: the block definitions' when `inBlock`, else the
// model's. One place knows which table pairs with which, SOLIDs included.
template <class Record> std::vector<Record>& RecordTable(Drawing& d, bool inBlock) {
    if constexpr (std::is_same_v<Record, TAcadLineBlk>)
        return inBlock ? d.BlkLineAry : d.LineAry;
    else if constexpr (std::is_same_v<Record, TCircleBlk>)
        return inBlock ? d.BlkCircleAry : d.CircleAry;
    else if constexpr (std::is_same_v<Record, TArcBlk>)
        return inBlock ? d.BlkArcAry : d.ArcAry;
    else if constexpr (std::is_same_v<Record, TInsertBlk>)
        return inBlock ? d.BlkInsertAry : d.InsertAry;
    else if constexpr (std::is_same_v<Record, TLwpBlk>)
        return inBlock ? d.BlkLwpAry : d.LwpAry;
    else if constexpr (std::is_same_v<Record, TLwpEle>)
        return inBlock ? d.BlkLwpEleAry : d.LwpEleAry;
    else if constexpr (std::is_same_v<Record, TPolyfaceEle>)
        return inBlock ? d.BlkPolyfaceAry : d.PolyfaceAry;
    else if constexpr (std::is_same_v<Record, TTextBlk>)
        return inBlock ? d.BlkTextAry : d.TextAry;
    else if constexpr (std::is_same_v<Record, TFaceBlk>)
        return inBlock ? d.BlkFaceAry : d.FaceAry;
    else if constexpr (std::is_same_v<Record, TEllipseBlk>)
        return inBlock ? d.BlkEllipseAry : d.EllipseAry;
    else if constexpr (std::is_same_v<Record, TSolidBlk>)
        return inBlock ? d.SolidAry : d.ModelSolidAry;
    else if constexpr (std::is_same_v<Record, TLeaderBlk>)
        return inBlock ? d.BlkLeaderAry : d.LeaderAry;
    else if constexpr (std::is_same_v<Record, TPointBlk>)
        return inBlock ? d.BlkPointAry : d.PointAry;
    else if constexpr (std::is_same_v<Record, TSplineBlk>)
        return inBlock ? d.BlkSplineAry : d.SplineAry;
    else if constexpr (std::is_same_v<Record, THatchBlk>)
        return inBlock ? d.BlkHatchAry : d.HatchAry;
    else if constexpr (std::is_same_v<Record, TFillBlk>)
        return inBlock ? d.BlkFillAry : d.FillAry;
    else if constexpr (std::is_same_v<Record, TRayBlk>)
        return inBlock ? d.BlkRayAry : d.RayAry;
    else if constexpr (std::is_same_v<Record, TWipeoutBlk>)
        return inBlock ? d.BlkWipeoutAry : d.WipeoutAry;
    else if constexpr (std::is_same_v<Record, TMLeaderBlk>)
        return inBlock ? d.BlkMLeaderAry : d.MLeaderAry;
    else if constexpr (std::is_same_v<Record, TImageBlk>)
        return inBlock ? d.BlkImageAry : d.ImageAry;
    else
        static_assert(sizeof(Record) == 0, "no block-definition table for this kind");
}
template <class Record> const std::vector<Record>& RecordTable(const Drawing& d, bool inBlock) {
    return RecordTable<Record>(const_cast<Drawing&>(d), inBlock);
}

// The thirteen record counts the browser shows for a drawing, in the order it shows them.
struct TableCount {
    const char* name; // "Layer", "Line", ... "View"
    std::size_t count;
};
std::array<TableCount, 13> TableCounts(const Drawing& drawing);

// The thirteen counts of one sheet as read: the model's records (`code67` 0) or those of the
// ENTITIES section's paper space (1) when `block` is empty, else the records of that block
// definition. Layers, blocks and views are tables of the whole file and count whole.
std::array<TableCount, 13> SheetCounts(const Drawing& drawing, std::int16_t code67,
                                       std::string_view block = {});

// The counts of the kinds read beyond the thirteen (model and block definitions together):
// "Hatch", "Solid" (SOLID and TRACE), "Spline", "Point", "Ray" (XLINE and RAY), "MLeader"
// (MULTILEADER and MLEADER).
std::array<TableCount, 6> OtherCounts(const Drawing& drawing);

// Whether two block or layout names are the same name: letter case does not count.
bool SameTableName(std::string_view a, std::string_view b);

// Whether `name` names a paper-space block: "*Paper_Space" of the active layout,
// "*Paper_Space0", ... of the others, in any letter case.
bool IsPaperSpaceBlock(std::string_view name);

// The number a handle (code 5, 330, 340, ...) writes in hexadecimal digits of either case; 0,
// which names nothing, for text that is no handle (empty, not hexadecimal, over 16 digits).
std::uint64_t HandleValue(std::string_view text);

// The paper-space entity of that handle in PaperHandleAry, or null.
const TEntityHandle* FindPaperEntity(const Drawing& drawing, std::string_view handle);

// Colour number of the first layer called `name` (exact, case-sensitive comparison), negative
// values included. A name no layer has is appended as a new visible layer of colour 7.
std::int16_t GetLayerColor(Drawing& drawing, const std::string& name);

} // namespace orvanta
