#!/usr/bin/env python3
"""Writes the sample drawings in samples/: small DXF files this project makes itself.

    python3 tools/make_samples.py            write every sample
    python3 tools/make_samples.py --summary  also print what each file holds, per record count

Python 3 standard library only. The output is deterministic: the same script writes the same
bytes on every machine, so the files are committed together with this script and a change to
either shows in the other.

Each drawing is built as a list of entities and block definitions and then written in one go.
Files of release 2000 and later get handles, owner references and subclass markers as AutoCAD
writes them; the release 12 file gets neither. Group codes are right-aligned in three columns
and 16-bit integers in six, again as AutoCAD writes them.
"""

import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, 'samples')

BULGE_90 = math.tan(math.radians(90) / 4)  # bulge of a quarter-circle segment
TAU = 2 * math.pi


# ----------------------------------------------------------------------------------------------
# Values and points


def num(v):
    """A real as text: fixed point, no exponent, at least one decimal."""
    v = float(v)
    if abs(v) < 5e-9:
        v = 0.0
    s = f'{v:.8f}'.rstrip('0')
    if s.endswith('.'):
        s += '0'
    return s


def value_text(code, v):
    if 10 <= code <= 59 or 110 <= code <= 149 or 210 <= code <= 239 or 1010 <= code <= 1059:
        return num(v)
    if 60 <= code <= 79 or 170 <= code <= 179 or 270 <= code <= 289 or 370 <= code <= 389:
        return f'{int(v):>6}'
    if 90 <= code <= 99 or 280 <= code <= 299:
        return str(int(v))
    return str(v)


def p3(p):
    return (float(p[0]), float(p[1]), float(p[2]) if len(p) > 2 else 0.0)


def point_pairs(base, p):
    """Codes base, base+10, base+20 for x, y, z of p."""
    x, y, z = p3(p)
    return [(base, x), (base + 10, y), (base + 20, z)]


def transform(p, base=(0, 0, 0), scale=(1, 1, 1), rotation=0.0):
    """Block coordinates to the owner's: scale, rotate by degrees, move."""
    x, y, z = p3(p)
    x, y, z = x * scale[0], y * scale[1], z * scale[2]
    c, s = math.cos(math.radians(rotation)), math.sin(math.radians(rotation))
    bx, by, bz = p3(base)
    return (bx + x * c - y * s, by + x * s + y * c, bz + z)


def add(a, b):
    return (a[0] + b[0], a[1] + b[1])


def polar(center, radius, degrees):
    a = math.radians(degrees)
    return (center[0] + radius * math.cos(a), center[1] + radius * math.sin(a))


# ----------------------------------------------------------------------------------------------
# Entities


class Ent:
    """One entity: its kind, common properties and its own pairs (subclass markers included,
    dropped for release 12). `children` follow it in the file (VERTEX, ATTRIB, SEQEND)."""

    def __init__(self, kind, layer, body, color=None, ltype=None, space=0, pts=(), ref=None,
                 children=(), handle=None):
        self.kind = kind
        self.layer = layer
        self.body = body
        self.color = color
        self.ltype = ltype
        self.space = space
        self.pts = [p3(p) for p in pts]  # for the extents, in the owner's coordinates
        self.ref = ref  # (block name, base, scale, rotation) for INSERT, DIMENSION, ACAD_TABLE
        self.children = list(children)
        self.handle = handle


class Block:
    def __init__(self, name, base=(0, 0, 0), flags=0, space=0):
        self.name = name
        self.base = base
        self.flags = flags
        self.space = space
        self.entities = []
        self.record = None  # BLOCK_RECORD handle
        self.begin = None
        self.end = None

    def add(self, *ents):
        self.entities.extend(ents)
        return ents[0] if len(ents) == 1 else ents


class Drawing:
    """A drawing being built: tables, block definitions and model entities."""

    def __init__(self, version, encoding, newline, codepage, ltscale=1.0, insunits=4,
                 text_font='txt', bigfont=''):
        self.version = version
        self.modern = version >= 'AC1015'
        self.encoding = encoding
        self.newline = newline
        self.codepage = codepage
        self.ltscale = ltscale
        self.insunits = insunits
        self.text_font = text_font
        self.bigfont = bigfont
        self.handle_seed = 0x20
        self.layers = [('0', 7, 'CONTINUOUS')]
        self.ltypes = ['CONTINUOUS']
        self.styles = [('Standard', text_font, bigfont, 0.0, 1.0)]
        self.views = []
        self.blocks = []
        self.entities = []
        self.extras = []  # OBJECTS of release 2000 and later: (handle, pairs)
        self.classes = []
        self.dim_count = 0
        self.table_count = 0
        self.tablestyle = None  # handle of the table style, once a table needs one
        if self.modern:
            self.model_space = Block('*Model_Space')
            self.paper_space = Block('*Paper_Space', space=1)
            for b in (self.model_space, self.paper_space):
                self._handles_for(b)

    # Handles ------------------------------------------------------------------------------

    def handle(self):
        if not self.modern:
            return None
        h = f'{self.handle_seed:X}'
        self.handle_seed += 1
        return h

    def _handles_for(self, block):
        block.record = self.handle()
        block.begin = self.handle()
        block.end = self.handle()

    # Tables -------------------------------------------------------------------------------

    def layer(self, name, color, ltype='CONTINUOUS'):
        assert ltype in self.ltypes, ltype
        self.layers.append((name, color, ltype))
        return name

    def linetypes(self, *names):
        self.ltypes.extend(names)

    def style(self, name, font, bigfont='', height=0.0, width=1.0):
        self.styles.append((name, font, bigfont, height, width))

    def view(self, name, center, height, width, flags=0, direction=(0, 0, 1), target=(0, 0, 0)):
        self.views.append((name, center, height, width, flags, direction, target))

    def block(self, name, base=(0, 0, 0), flags=0):
        b = Block(name, base, flags)
        self._handles_for(b)
        self.blocks.append(b)
        return b

    def find_block(self, name):
        for b in self.blocks:
            if b.name == name:
                return b
        raise KeyError(name)

    def add(self, *ents):
        self.entities.extend(ents)
        return ents[0] if len(ents) == 1 else ents

    # Entity builders ----------------------------------------------------------------------
    # Each returns an Ent; add it to the drawing (add) or to a block (Block.add).

    def ent(self, kind, layer, body, **kw):
        return Ent(kind, layer, body, handle=self.handle(), **kw)

    def line(self, layer, a, b, **kw):
        body = [(100, 'AcDbLine')] + point_pairs(10, a) + point_pairs(11, b)
        return self.ent('LINE', layer, body, pts=[a, b], **kw)

    def circle(self, layer, c, r, **kw):
        body = [(100, 'AcDbCircle')] + point_pairs(10, c) + [(40, r)]
        x, y, z = p3(c)
        return self.ent('CIRCLE', layer, body, pts=[(x - r, y - r, z), (x + r, y + r, z)], **kw)

    def arc(self, layer, c, r, start, end, **kw):
        body = ([(100, 'AcDbCircle')] + point_pairs(10, c) + [(40, r), (100, 'AcDbArc'),
                                                               (50, start), (51, end)])
        x, y, z = p3(c)
        return self.ent('ARC', layer, body, pts=[(x - r, y - r, z), (x + r, y + r, z)], **kw)

    def ellipse(self, layer, c, major, ratio, start=0.0, end=TAU, **kw):
        body = ([(100, 'AcDbEllipse')] + point_pairs(10, c) + point_pairs(11, major) +
                [(40, ratio), (41, start), (42, end)])
        x, y, z = p3(c)
        a = math.hypot(major[0], major[1])
        return self.ent('ELLIPSE', layer, body, pts=[(x - a, y - a, z), (x + a, y + a, z)], **kw)

    def lwpolyline(self, layer, vertices, closed=False, elevation=None, **kw):
        """vertices: (x, y) or (x, y, bulge)."""
        body = [(100, 'AcDbPolyline'), (90, len(vertices)), (70, 1 if closed else 0), (43, 0.0)]
        if elevation is not None:
            body.append((38, elevation))
        pts = []
        for v in vertices:
            body += [(10, v[0]), (20, v[1])]
            if len(v) > 2 and v[2]:
                body.append((42, v[2]))
            pts.append((v[0], v[1], elevation or 0.0))
        return self.ent('LWPOLYLINE', layer, body, pts=pts, **kw)

    def _polyline(self, layer, subclass, flags, vertices, header_extra=(), **kw):
        """vertices: list of (vertex subclasses, flags, point, extra pairs)."""
        body = [(100, subclass), (66, 1)] + point_pairs(10, (0, 0, 0)) + [(70, flags)]
        body += list(header_extra)
        children, pts = [], []
        for subclasses, vflags, p, extra in vertices:
            vbody = [(100, 'AcDbVertex')] + [(100, s) for s in subclasses]
            vbody += point_pairs(10, p) + list(extra) + [(70, vflags)]
            children.append(self.ent('VERTEX', layer, vbody))
            if not vflags & 128 or vflags & 64:
                pts.append(p)
        children.append(self.ent('SEQEND', layer, []))
        return self.ent('POLYLINE', layer, body, pts=pts, children=children, **kw)

    def polyline2d(self, layer, vertices, closed=False, **kw):
        """A 2D POLYLINE; vertices (x, y) or (x, y, bulge)."""
        rows = []
        for v in vertices:
            extra = [(42, v[2])] if len(v) > 2 and v[2] else []
            rows.append((['AcDb2dVertex'], 0, (v[0], v[1], 0), extra))
        return self._polyline(layer, 'AcDb2dPolyline', 1 if closed else 0, rows, **kw)

    def polyline3d(self, layer, points, closed=False, **kw):
        rows = [(['AcDb3dPolylineVertex'], 32, p, []) for p in points]
        return self._polyline(layer, 'AcDb3dPolyline', 8 | (1 if closed else 0), rows, **kw)

    def polymesh(self, layer, m, n, points, closed_m=False, closed_n=False, **kw):
        """An M x N polygon mesh; points row by row (M rows of N)."""
        assert len(points) == m * n
        flags = 16 | (1 if closed_m else 0) | (32 if closed_n else 0)
        rows = [(['AcDbPolygonMeshVertex'], 64, p, []) for p in points]
        return self._polyline(layer, 'AcDbPolygonMesh', flags, rows,
                              header_extra=[(71, m), (72, n)], **kw)

    def polyface(self, layer, points, faces, **kw):
        """A polyface mesh; faces are tuples of 1-based vertex indices, negative = edge hidden."""
        rows = [(['AcDbPolyFaceMeshVertex'], 192, p, []) for p in points]
        for face in faces:
            extra = [(71 + i, index) for i, index in enumerate(face)]
            rows.append((['AcDbFaceRecord'], 128, (0, 0, 0), extra))
        return self._polyline(layer, 'AcDbPolyFaceMesh', 64, rows,
                              header_extra=[(71, len(points)), (72, len(faces))], **kw)

    def face3d(self, layer, corners, hidden_edges=0, repeat_third=True, **kw):
        """A 3DFACE. A triangle repeats its third corner as the fourth, as AutoCAD writes it,
        unless repeat_third is false: then the fourth corner's codes are left out, as some
        exporters do (readers differ on what a missing corner means)."""
        if len(corners) == 3 and repeat_third:
            corners = list(corners) + [corners[2]]
        body = [(100, 'AcDbFace')]
        for i, c in enumerate(corners):
            body += point_pairs(10 + i, c)
        if hidden_edges:
            body.append((70, hidden_edges))
        return self.ent('3DFACE', layer, body, pts=corners, **kw)

    def solid(self, layer, a, b, c, d=None, **kw):
        d = c if d is None else d
        body = [(100, 'AcDbTrace')]
        for i, p in enumerate((a, b, c, d)):
            body += point_pairs(10 + i, p)
        return self.ent('SOLID', layer, body, pts=[a, b, c, d], **kw)

    def point(self, layer, p, **kw):
        return self.ent('POINT', layer, [(100, 'AcDbPoint')] + point_pairs(10, p), pts=[p], **kw)

    def _text_body(self, s, p, height, rotation, width, halign, valign, align, style):
        body = [(100, 'AcDbText')] + point_pairs(10, p) + [(40, height), (1, s)]
        if rotation:
            body.append((50, rotation))
        if width != 1.0:
            body.append((41, width))
        body.append((7, style))
        if halign:
            body.append((72, halign))
        if halign or valign:
            body += point_pairs(11, align if align is not None else p)
        return body

    def text(self, layer, s, p, height, rotation=0.0, width=1.0, halign=0, valign=0,
             align=None, style='Standard', **kw):
        """A TEXT. With an alignment other than left-baseline, `align` is the alignment point
        and `p` the computed start of the baseline (ignored by readers that use `align`)."""
        body = self._text_body(s, p, height, rotation, width, halign, valign, align, style)
        body.append((100, 'AcDbText'))
        if valign:
            body.append((73, valign))
        pts = [p] + ([align] if align is not None else [])
        return self.ent('TEXT', layer, body, pts=pts, **kw)

    def aligned_text(self, layer, s, anchor, height, halign=0, valign=0, rotation=0.0,
                     width=1.0, style='Standard', **kw):
        """A TEXT placed by its alignment point; the baseline start is estimated from an
        average character width of 0.7 of the height."""
        length = 0.7 * height * width * len(s)
        dx = {0: 0.0, 1: -length / 2, 2: -length, 4: -length / 2}.get(halign, 0.0)
        dy = {0: 0.0, 1: 0.0, 2: -height / 2, 3: -height}.get(valign, 0.0)
        if halign == 4:
            dy = -height / 2
        start = transform((dx, dy), anchor, rotation=rotation)
        return self.text(layer, s, start, height, rotation, width, halign, valign, anchor, style,
                         **kw)

    def mtext(self, layer, s, p, height, width=0.0, attach=1, direction=None, style='Standard',
              **kw):
        """An MTEXT; text longer than 250 characters goes out as code-3 chunks and a code-1 rest,
        cut between characters."""
        body = [(100, 'AcDbMText')] + point_pairs(10, p) + [(40, height), (41, width),
                                                             (71, attach), (72, 1)]
        chunks = [s[i:i + 250] for i in range(0, len(s), 250)] or ['']
        body += [(3, c) for c in chunks[:-1]] + [(1, chunks[-1]), (7, style)]
        if direction is not None:
            body += point_pairs(11, direction)
        return self.ent('MTEXT', layer, body, pts=[p], **kw)

    def attdef(self, layer, tag, prompt, default, p, height, halign=0, valign=0, flags=0,
               style='Standard', **kw):
        body = self._text_body(default, p, height, 0.0, 1.0, halign, valign, p, style)
        body += [(100, 'AcDbAttributeDefinition'), (3, prompt), (2, tag), (70, flags),
                 (73, 0)]
        if valign:
            body.append((74, valign))
        return self.ent('ATTDEF', layer, body, pts=[p], **kw)

    def insert(self, layer, name, base, scale=(1, 1, 1), rotation=0.0, attribs=(), **kw):
        """An INSERT. attribs: (tag, value, block point, height, halign, valign, flags); the
        ATTRIBs are placed where the insert puts the block point, and SEQEND closes them."""
        body = [(100, 'AcDbBlockReference')]
        if attribs:
            body.append((66, 1))
        body.append((2, name))
        body += point_pairs(10, base)
        if tuple(scale) != (1, 1, 1):
            body += [(41, scale[0]), (42, scale[1]), (43, scale[2])]
        if rotation:
            body.append((50, rotation))
        children = []
        for tag, value, at, height, halign, valign, flags in attribs:
            p = transform(at, base, scale, rotation)
            a = self._text_body(value, p, height * abs(scale[1]), rotation, 1.0, halign, valign,
                                p, 'Standard')
            a += [(100, 'AcDbAttribute'), (2, tag), (70, flags), (73, 0)]
            if valign:
                a.append((74, valign))
            children.append(self.ent('ATTRIB', kw.get('attrib_layer', layer), a, pts=[p]))
        if children:
            children.append(self.ent('SEQEND', layer, []))
        kw.pop('attrib_layer', None)
        return self.ent('INSERT', layer, body, ref=(name, base, scale, rotation),
                        children=children, **kw)

    def linear_dimension(self, layer, a, b, through, angle=0.0, text=None, override=None,
                         size=2.5, arrow=2.5, decimals=0):
        """A rotated linear DIMENSION measuring a to b along `angle` with its dimension line
        through `through`, and the anonymous block that holds its picture."""
        u = (math.cos(math.radians(angle)), math.sin(math.radians(angle)))
        n = (-u[1], u[0])

        def along(p, q):
            return (q[0] - p[0]) * n[0] + (q[1] - p[1]) * n[1]

        d1 = add(a, (n[0] * along(a, through), n[1] * along(a, through)))
        d2 = add(b, (n[0] * along(b, through), n[1] * along(b, through)))
        measured = abs((b[0] - a[0]) * u[0] + (b[1] - a[1]) * u[1])
        label = text if text is not None else f'{measured:.{decimals}f}'
        sign = 1 if along(a, through) >= 0 else -1
        gap, beyond = 0.25 * size, 0.5 * size
        mid = ((d1[0] + d2[0]) / 2, (d1[1] + d2[1]) / 2)
        text_mid = add(mid, (n[0] * (gap + size / 2), n[1] * (gap + size / 2)))
        way = 1 if (d2[0] - d1[0]) * u[0] + (d2[1] - d1[1]) * u[1] >= 0 else -1

        block = self._dimension_block()
        for origin, foot in ((a, d1), (b, d2)):
            start = add(origin, (n[0] * sign * gap, n[1] * sign * gap))
            end = add(foot, (n[0] * sign * beyond, n[1] * sign * beyond))
            block.add(self.line('0', start, end, color=0))
        block.add(self.line('0', d1, d2, color=0))
        for tip, direction in ((d1, way), (d2, -way)):
            back = add(tip, (u[0] * arrow * direction, u[1] * arrow * direction))
            half = arrow / 6
            block.add(self.solid('0', tip, add(back, (n[0] * half, n[1] * half)),
                                 add(back, (-n[0] * half, -n[1] * half)), color=0))
        block.add(self.mtext('0', label, text_mid, size, attach=5,
                             direction=(u[0], u[1], 0), color=0))
        for p in (a, b, d2):
            block.add(self.point('Defpoints', p))
        body = [(100, 'AcDbDimension'), (2, block.name)] + point_pairs(10, d2)
        body += point_pairs(11, text_mid) + [(70, 32), (71, 5), (42, measured)]
        if override is not None:
            body.append((1, override))
        body += [(3, 'Standard'), (100, 'AcDbAlignedDimension')]
        body += point_pairs(13, a) + point_pairs(14, b)
        body += [(50, angle), (100, 'AcDbRotatedDimension')]
        return self.ent('DIMENSION', layer, body, ref=(block.name, (0, 0, 0), (1, 1, 1), 0.0))

    def diameter_dimension(self, layer, center, radius, degrees, label, override=None,
                           size=2.5, arrow=2.5):
        """A diameter DIMENSION across a circle at `degrees`, text in the middle."""
        far = polar(center, radius, degrees)
        near = polar(center, radius, degrees + 180)
        u = (math.cos(math.radians(degrees)), math.sin(math.radians(degrees)))
        n = (-u[1], u[0])
        block = self._dimension_block()
        block.add(self.line('0', near, far, color=0))
        for tip, direction in ((far, -1), (near, 1)):
            back = add(tip, (u[0] * arrow * direction, u[1] * arrow * direction))
            half = arrow / 6
            block.add(self.solid('0', tip, add(back, (n[0] * half, n[1] * half)),
                                 add(back, (-n[0] * half, -n[1] * half)), color=0))
        text_mid = add(center, (n[0] * size * 0.75, n[1] * size * 0.75))
        block.add(self.mtext('0', label, text_mid, size, attach=5, direction=(u[0], u[1], 0),
                             color=0))
        for p in (far, near):
            block.add(self.point('Defpoints', p))
        body = [(100, 'AcDbDimension'), (2, block.name)] + point_pairs(10, far)
        body += point_pairs(11, text_mid) + [(70, 35), (71, 5), (42, 2 * radius)]
        if override is not None:
            body.append((1, override))
        body += [(3, 'Standard'), (100, 'AcDbDiametricDimension')]
        body += point_pairs(15, near) + [(40, 0.0)]
        return self.ent('DIMENSION', layer, body, ref=(block.name, (0, 0, 0), (1, 1, 1), 0.0))

    def _dimension_block(self):
        self.dim_count += 1
        return self.block(f'*D{self.dim_count}', flags=1)

    def leader(self, layer, points, annotation=None, text_height=2.5, text_width=0.0):
        """A LEADER with an arrowhead at its first point; `annotation` is the MTEXT it
        carries, which must be added to the drawing as well."""
        body = [(100, 'AcDbLeader'), (3, 'Standard'), (71, 1), (72, 0),
                (73, 0 if annotation else 3), (74, 0), (75, 0), (40, text_height),
                (41, text_width), (76, len(points))]
        for p in points:
            body += point_pairs(10, p)
        if annotation is not None and self.modern:
            body.append((340, annotation.handle))
        body += point_pairs(210, (0, 0, 1)) + point_pairs(211, (1, 0, 0))
        body += point_pairs(212, (0, 0, 0)) + point_pairs(213, (0, 0, 0))
        return self.ent('LEADER', layer, body, pts=points)

    def table(self, layer, top_left, row_heights, col_widths, cells, size=2.5):
        """An ACAD_TABLE and its anonymous block holding the picture: the grid lines and one
        MTEXT per cell, in block coordinates from the table's top-left corner."""
        self.table_count += 1
        block = self.block(f'*T{self.table_count}', flags=1)
        width, height = sum(col_widths), sum(row_heights)
        y = 0.0
        for h in [0.0] + row_heights:
            y -= h
            block.add(self.line('0', (0, y), (width, y), color=0))
        x = 0.0
        for w in [0.0] + col_widths:
            x += w
            block.add(self.line('0', (x, 0), (x, -height), color=0))
        y = 0.0
        for r, h in enumerate(row_heights):
            x = 0.0
            for c, w in enumerate(col_widths):
                block.add(self.mtext('0', cells[r][c], (x + w / 2, y - h / 2), size, attach=5,
                                     color=0))
                x += w
            y -= h
        body = [(100, 'AcDbBlockReference'), (2, block.name)] + point_pairs(10, top_left)
        body += [(100, 'AcDbTable'), (280, 0), (342, self.tablestyle_handle()),
                 (343, block.record)] + point_pairs(11, (1, 0, 0))
        body += [(90, 22), (91, len(row_heights)), (92, len(col_widths)), (93, 0), (94, 0),
                 (95, 0), (96, 0)]
        body += [(141, h) for h in row_heights] + [(142, w) for w in col_widths]
        for row in cells:
            for cell in row:
                body += [(171, 1), (172, 0), (173, 0), (174, 0), (175, 1), (176, 1), (91, 0),
                         (178, 0), (145, 0.0), (92, 0), (1, cell), (7, 'Standard')]
        return self.ent('ACAD_TABLE', layer, body, ref=(block.name, top_left, (1, 1, 1), 0.0))

    def tablestyle_handle(self):
        if self.tablestyle is None:
            self.tablestyle = self.handle()
        return self.tablestyle

    # Extents ------------------------------------------------------------------------------

    def _points(self, ents, depth=0):
        assert depth < 10, 'block nesting too deep'
        out = []
        for e in ents:
            if e.space:
                continue
            out += e.pts
            for c in e.children:
                out += c.pts
            if e.ref:
                name, base, scale, rotation = e.ref
                block = self.find_block(name)
                out += [transform(p, base, scale, rotation)
                        for p in self._points(block.entities, depth + 1)]
        return out

    def extents(self):
        pts = self._points(self.entities)
        if not pts:
            return (0, 0, 0), (0, 0, 0)
        lo = tuple(round(min(p[i] for p in pts), 4) for i in range(3))
        hi = tuple(round(max(p[i] for p in pts), 4) for i in range(3))
        return lo, hi

    # What the file holds, counted from what was built --------------------------------------

    def summary(self):
        kinds = {'LINE': 'Line', 'LWPOLYLINE': 'Polyline', 'POLYLINE': 'Polyline',
                 'CIRCLE': 'Circle', 'ARC': 'Arc', 'TEXT': 'Text', 'MTEXT': 'Text',
                 'ELLIPSE': 'Ellipse', '3DFACE': '3DFace', 'INSERT': 'Insert',
                 'ACAD_TABLE': 'Insert', 'DIMENSION': 'Dimension', 'LEADER': 'Leader'}
        counts = dict.fromkeys(['Layer', 'Line', 'Polyline', 'Circle', 'Arc', 'Text', 'Ellipse',
                                '3DFace', 'Insert', 'Block', 'Dimension', 'Leader', 'View'], 0)
        for e in self.entities:
            if e.kind in kinds:
                counts[kinds[e.kind]] += 1
            counts['Text'] += sum(1 for c in e.children if c.kind == 'ATTRIB')
        counts['Layer'] = len(self.layers)
        counts['Block'] = len(self.blocks) + (2 if self.modern else 0)
        counts['View'] = len(self.views)
        return counts

    def check_layers(self):
        """Every layer an entity names is in the LAYER table, so no reader invents one."""
        names = {name for name, _, _ in self.layers}
        every = list(self.entities)
        for b in self.blocks:
            every += b.entities
        for e in every:
            for x in [e] + e.children:
                assert x.layer in names, f'layer {x.layer!r} is not in the LAYER table'

    # Writing ------------------------------------------------------------------------------

    def write(self, path):
        self.check_layers()
        pairs = []
        self._header(pairs)
        if self.modern:
            self._classes(pairs)
        self._tables(pairs)
        self._blocks(pairs)
        pairs += [(0, 'SECTION'), (2, 'ENTITIES')]
        for e in self.entities:
            owner = self.paper_space if self.modern and e.space else getattr(
                self, 'model_space', None)
            self._entity(pairs, e, owner.record if owner else None)
        pairs.append((0, 'ENDSEC'))
        if self.modern:
            self._objects(pairs)
        pairs.append((0, 'EOF'))
        lines = []
        for code, v in pairs:
            if not self.modern and code in (5, 100, 105, 330, 340, 343, 342, 360, 350):
                continue
            lines.append(f'{code:>3}')
            lines.append(value_text(code, v))
        data = self.newline.join(lines) + self.newline
        with open(path, 'wb') as f:
            f.write(data.encode(self.encoding))

    def _header(self, out):
        lo, hi = self.extents()
        out += [(0, 'SECTION'), (2, 'HEADER'), (9, '$ACADVER'), (1, self.version)]
        if self.modern:
            out += [(9, '$ACADMAINTVER'), (70, 6)]
        out += [(9, '$DWGCODEPAGE'), (3, self.codepage)]
        out += [(9, '$INSBASE')] + point_pairs(10, (0, 0, 0))
        out += [(9, '$EXTMIN')] + point_pairs(10, lo)
        out += [(9, '$EXTMAX')] + point_pairs(10, hi)
        out += [(9, '$LIMMIN'), (10, lo[0]), (20, lo[1])]
        out += [(9, '$LIMMAX'), (10, hi[0]), (20, hi[1])]
        out += [(9, '$LTSCALE'), (40, self.ltscale), (9, '$TEXTSTYLE'), (7, 'Standard'),
                (9, '$CLAYER'), (8, '0')]
        if self.modern:
            out += [(9, '$INSUNITS'), (70, self.insunits), (9, '$MEASUREMENT'), (70, 1),
                    (9, '$HANDSEED'), (5, 'FFFF')]
        else:
            out += [(9, '$HANDLING'), (70, 0)]
        out.append((0, 'ENDSEC'))
        self._handseed_at = len(out) - 2  # patched once every handle is known

    def _classes(self, out):
        out += [(0, 'SECTION'), (2, 'CLASSES')]
        for name, cpp, entity in self.classes:
            out += [(0, 'CLASS'), (1, name), (2, cpp), (3, 'ObjectDBX Classes'), (90, 1025),
                    (280, 0), (281, 1 if entity else 0)]
        out.append((0, 'ENDSEC'))

    def _table(self, out, name, records, subclass='AcDbSymbolTable', extra=()):
        h = self.handle()
        out += [(0, 'TABLE'), (2, name), (5, h), (330, '0'), (100, subclass)]
        out += list(extra) + [(70, len(records))]
        for kind, record_subclass, pairs in records:
            code5 = 105 if kind == 'DIMSTYLE' else 5
            out += [(0, kind), (code5, self.handle()), (330, h),
                    (100, 'AcDbSymbolTableRecord'), (100, record_subclass)]
            out += pairs
        out.append((0, 'ENDTAB'))

    def _tables(self, out):
        lo, hi = self.extents()
        cx, cy = (lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2
        height = max(hi[1] - lo[1], 1.0) * 1.1
        aspect = max(hi[0] - lo[0], 1.0) * 1.1 / height
        out += [(0, 'SECTION'), (2, 'TABLES')]
        vport = [(2, '*Active'), (70, 0)] + [(10, 0.0), (20, 0.0), (11, 1.0), (21, 1.0),
                                               (12, cx), (22, cy), (13, 0.0), (23, 0.0),
                                               (14, 10.0), (24, 10.0), (15, 10.0), (25, 10.0),
                                               (16, 0.0), (26, 0.0), (36, 1.0), (17, 0.0),
                                               (27, 0.0), (37, 0.0), (40, height),
                                               (41, aspect), (42, 50.0), (43, 0.0), (44, 0.0),
                                               (50, 0.0), (51, 0.0), (71, 0), (72, 100),
                                               (73, 1), (74, 3), (75, 0), (76, 0), (77, 0),
                                               (78, 0)]
        self._table(out, 'VPORT', [('VPORT', 'AcDbViewportTableRecord', vport)])

        patterns = {
            'CONTINUOUS': ('Solid line', []),
            'DASHED': ('Dashed __ __ __ __ __ __', [0.5, -0.25]),
            'CENTER': ('Center ____ _ ____ _ ____', [1.25, -0.25, 0.25, -0.25]),
            'HIDDEN': ('Hidden __ __ __ __ __ __', [0.25, -0.125]),
        }
        names = (['ByBlock', 'ByLayer'] if self.modern else []) + self.ltypes
        ltypes = []
        for name in names:
            text, elements = patterns.get(name.upper(), ('', []))
            pairs = [(2, self._ltype_name(name)), (70, 0),
                     (3, text), (72, 65), (73, len(elements)),
                     (40, sum(abs(e) for e in elements))]
            for e in elements:
                pairs.append((49, e))
                if self.modern:
                    pairs.append((74, 0))
            ltypes.append(('LTYPE', 'AcDbLinetypeTableRecord', pairs))
        self._table(out, 'LTYPE', ltypes)

        layers = []
        for name, color, ltype in self.layers:
            pairs = [(2, name), (70, 0), (62, color), (6, self._ltype_name(ltype))]
            if self.modern:
                pairs.append((370, -3))
            layers.append(('LAYER', 'AcDbLayerTableRecord', pairs))
        self._table(out, 'LAYER', layers)

        styles = []
        for name, font, bigfont, height, width in self.styles:
            styles.append(('STYLE', 'AcDbTextStyleTableRecord',
                           [(2, name), (70, 0), (40, height), (41, width), (50, 0.0), (71, 0),
                            (42, 2.5), (3, font), (4, bigfont)]))
        self._table(out, 'STYLE', styles)

        views = []
        for name, center, height, width, flags, direction, target in self.views:
            pairs = [(2, name), (70, flags), (40, height), (10, center[0]), (20, center[1]),
                     (41, width)] + point_pairs(11, direction) + point_pairs(12, target)
            pairs += [(42, 50.0), (43, 0.0), (44, 0.0), (50, 0.0), (71, 0)]
            if self.modern:
                pairs += [(281, 0), (72, 0)]
            views.append(('VIEW', 'AcDbViewTableRecord', pairs))
        self._table(out, 'VIEW', views)

        self._table(out, 'UCS', [])
        self._table(out, 'APPID', [('APPID', 'AcDbRegAppTableRecord', [(2, 'ACAD'), (70, 0)])])
        dimstyle = [(2, 'Standard'), (70, 0), (40, 1.0), (41, 2.5), (42, 0.625), (43, 3.75),
                    (44, 1.25), (140, 2.5), (141, 2.5), (147, 0.625), (77, 1)]
        if self.modern:
            dimstyle.append((278, 46))  # decimal separator: a full stop
        self._table(out, 'DIMSTYLE', [('DIMSTYLE', 'AcDbDimStyleTableRecord', dimstyle)],
                    subclass='AcDbSymbolTable',
                    extra=[(100, 'AcDbDimStyleTable')] if self.modern else [])
        if self.modern:
            records = []
            for b in [self.model_space, self.paper_space] + self.blocks:
                records.append(('BLOCK_RECORD', 'AcDbBlockTableRecord',
                                [(2, b.name), (70, 0), (280, 1), (281, 0)]))
            # Block records must carry the handles their blocks and entities point to.
            self._table_with_record_handles(out, records)
        out.append((0, 'ENDSEC'))

    def _ltype_name(self, name):
        # Release 2000 and later spell the solid linetype "Continuous".
        return 'Continuous' if self.modern and name == 'CONTINUOUS' else name

    def _table_with_record_handles(self, out, records):
        h = self.handle()
        out += [(0, 'TABLE'), (2, 'BLOCK_RECORD'), (5, h), (330, '0'),
                (100, 'AcDbSymbolTable'), (70, len(records))]
        for b, (kind, subclass, pairs) in zip([self.model_space, self.paper_space] + self.blocks,
                                              records):
            out += [(0, kind), (5, b.record), (330, h), (100, 'AcDbSymbolTableRecord'),
                    (100, subclass)] + pairs
        out.append((0, 'ENDTAB'))

    def _blocks(self, out):
        out += [(0, 'SECTION'), (2, 'BLOCKS')]
        every = ([self.model_space, self.paper_space] if self.modern else []) + self.blocks
        for b in every:
            out += [(0, 'BLOCK'), (5, b.begin), (330, b.record), (100, 'AcDbEntity')]
            if b.space:
                out.append((67, 1))
            out += [(8, '0'), (100, 'AcDbBlockBegin'), (2, b.name), (70, b.flags)]
            out += point_pairs(10, b.base) + [(3, b.name), (1, '')]
            for e in b.entities:
                self._entity(out, e, b.record)
            out += [(0, 'ENDBLK'), (5, b.end), (330, b.record), (100, 'AcDbEntity')]
            if b.space:
                out.append((67, 1))
            out += [(8, '0'), (100, 'AcDbBlockEnd')]
        out.append((0, 'ENDSEC'))

    def _entity(self, out, e, owner):
        out += [(0, e.kind), (5, e.handle), (330, owner), (100, 'AcDbEntity')]
        if e.space:
            out.append((67, 1))
        out.append((8, e.layer))
        if e.ltype:
            out.append((6, e.ltype))
        if e.color is not None:
            out.append((62, e.color))
        out += e.body
        for c in e.children:
            self._entity(out, c, e.handle)

    def _objects(self, out):
        root, groups = self.handle(), self.handle()
        out += [(0, 'SECTION'), (2, 'OBJECTS'),
                (0, 'DICTIONARY'), (5, root), (330, '0'), (100, 'AcDbDictionary'), (281, 1),
                (3, 'ACAD_GROUP'), (350, groups)]
        if self.tablestyle:
            styles = self.handle()
            out += [(3, 'ACAD_TABLESTYLE'), (350, styles)]
        out += [(0, 'DICTIONARY'), (5, groups), (330, root), (100, 'AcDbDictionary'),
                (281, 1)]
        if self.tablestyle:
            out += [(0, 'DICTIONARY'), (5, styles), (330, root), (100, 'AcDbDictionary'),
                    (281, 1), (3, 'Standard'), (350, self.tablestyle),
                    (0, 'TABLESTYLE'), (5, self.tablestyle), (330, styles),
                    (100, 'AcDbTableStyle'), (3, 'Standard'), (70, 0), (71, 0), (40, 1.5),
                    (41, 1.5), (280, 0), (281, 0)]
        out.append((0, 'ENDSEC'))
        # Every handle is given out now: write the seed past the last one.
        out[self._handseed_at] = (5, f'{self.handle_seed:X}')


# ----------------------------------------------------------------------------------------------
# Shared pieces of the floor plans


def exterior_walls(d, layer, width, depth, thickness, openings):
    """The two faces of a rectangular exterior wall as LINEs, broken at the openings.

    openings: side ('S', 'N', 'W', 'E') -> list of (from, to) along that side, in the drawing's
    x for S and N and y for W and E. Each side gives 2 * (k + 1) face lines and 2 * k jamb
    lines for k openings."""
    t = thickness
    sides = {
        # outer face, inner face, along-axis range of each, point builder
        'S': (0, t, (0, width), (t, width - t), lambda a, c: (a, c)),
        'N': (depth, depth - t, (0, width), (t, width - t), lambda a, c: (a, c)),
        'W': (0, t, (0, depth), (t, depth - t), lambda a, c: (c, a)),
        'E': (width, width - t, (0, depth), (t, depth - t), lambda a, c: (c, a)),
    }
    out = []
    for side in ('S', 'N', 'W', 'E'):
        outer, inner, outer_range, inner_range, pt = sides[side]
        gaps = sorted(openings.get(side, []))
        for face, (lo, hi) in ((outer, outer_range), (inner, inner_range)):
            start = lo
            for a, b in gaps:
                out.append(d.line(layer, pt(start, face), pt(a, face)))
                start = b
            out.append(d.line(layer, pt(start, face), pt(hi, face)))
        for a, b in gaps:
            for at in (a, b):
                out.append(d.line(layer, pt(at, outer), pt(at, inner)))
    return out


def partition(d, layer, vertical, at, start, end, thickness, gaps=()):
    """An interior wall of two faces, broken at door openings, with jamb lines."""
    half = thickness / 2

    def pt(a, c):
        return (c, a) if vertical else (a, c)

    out = []
    for face in (at - half, at + half):
        s = start
        for a, b in gaps:
            out.append(d.line(layer, pt(s, face), pt(a, face)))
            s = b
        out.append(d.line(layer, pt(s, face), pt(end, face)))
    for a, b in gaps:
        for x in (a, b):
            out.append(d.line(layer, pt(x, at - half), pt(x, at + half)))
    return out


def door_block(d, name, width):
    """A single swing door: the leaf standing open along +Y from the hinge at the origin and
    the swing arc from the closed position along +X. Drawn on layer 0, the arc by block."""
    b = d.block(name)
    b.add(d.line('0', (0, 0), (0, width)))
    b.add(d.arc('0', (0, 0), width, 0.0, 90.0, color=0, ltype='BYBLOCK'))
    return b


def grid_axes(d, layer, text_layer, axes, bubble, height):
    """Structural grid: axis lines with a labelled bubble at one end.

    axes: (label, vertical, position, from, to); the bubble sits before `from`."""
    out = []
    for label, vertical, at, lo, hi in axes:
        if vertical:
            a, b, c = (at, lo), (at, hi), (at, lo - bubble)
        else:
            a, b, c = (lo, at), (hi, at), (lo - bubble, at)
        out.append(d.line(layer, a, b))
        out.append(d.circle(text_layer, c, bubble))
        out.append(d.aligned_text(text_layer, label, c, height, halign=1, valign=2))
    return out


# ----------------------------------------------------------------------------------------------
# The drawings


def floor_plan():
    """A single-storey house, 9 m by 6 m, at 1:100: walls with openings, doors and windows as
    blocks, a structural grid, dimensions, fixtures, a terrace, a switched-off furniture layer,
    named views and a paper-space title."""
    d = Drawing('AC1015', 'ascii', '\r\n', 'ANSI_1252', ltscale=100.0)
    d.linetypes('DASHED', 'CENTER', 'HIDDEN')
    d.layer('WALLS', 7)
    d.layer('DOORS', 3)
    d.layer('WINDOWS', 4)
    d.layer('GRID', 1, 'CENTER')
    d.layer('ROOF', 5, 'DASHED')
    d.layer('OVERHEAD', 8, 'HIDDEN')
    d.layer('FIXTURES', 6)
    d.layer('FURNITURE', -30)  # switched off
    d.layer('DIMENSIONS', 2)
    d.layer('TEXT', 7)
    d.layer('TITLE', 7)
    d.layer('Defpoints', 7)

    door_block(d, 'DOOR-900', 900)
    window = d.block('WINDOW')
    for y in (0, 75, 150):  # outer sill, glass, inner sill; stretched by the insert's x scale
        window.add(d.line('0', (0, y), (1000, y)))
    bed = d.block('BED')
    bed.add(d.lwpolyline('0', [(0, 0), (1600, 0), (1600, 2000), (0, 2000)], closed=True))
    bed.add(d.line('0', (0, 1600), (1600, 1600)))

    # Walls: 28 exterior lines (openings S 2, N 2, E 1, W 0) and two partitions of 6 each.
    d.add(*exterior_walls(d, 'WALLS', 9000, 6000, 150, {
        'S': [(1200, 2100), (3000, 4500)],
        'N': [(1000, 3000), (6500, 7500)],
        'E': [(1000, 2500)],
    }))
    d.add(*partition(d, 'WALLS', True, 5000, 150, 5850, 100, [(1000, 1900)]))
    d.add(*partition(d, 'WALLS', False, 3500, 5050, 8850, 100, [(6000, 6900)]))

    # Windows: the block is 1000 long, stretched to each opening.
    d.add(d.insert('WINDOWS', 'WINDOW', (3000, 0), scale=(1.5, 1, 1)))
    d.add(d.insert('WINDOWS', 'WINDOW', (1000, 5850), scale=(2, 1, 1)))
    d.add(d.insert('WINDOWS', 'WINDOW', (6500, 5850)))
    d.add(d.insert('WINDOWS', 'WINDOW', (9000, 1000), scale=(1.5, 1, 1), rotation=90))
    # Doors: entrance, living room to bedroom, and the bathroom door hinged on its right,
    # which is the same block mirrored by a negative x scale.
    d.add(d.insert('DOORS', 'DOOR-900', (1200, 150)))
    d.add(d.insert('DOORS', 'DOOR-900', (5050, 1900), rotation=270))
    d.add(d.insert('DOORS', 'DOOR-900', (6900, 3550), scale=(-1, 1, 1)))

    # Structural grid on the wall centres.
    d.add(*grid_axes(d, 'GRID', 'TEXT', [
        ('1', True, 75, -1000, 7000), ('2', True, 5000, -1000, 7000),
        ('3', True, 8925, -1000, 7000), ('A', False, 75, -1000, 10000),
        ('B', False, 5925, -1000, 10000)], 300, 300))

    # Eaves 600 outside the walls, and a terrace off the west wall: half an ellipse whose
    # parameters run from 3/2 pi through 0 to 1/2 pi, so its end is below its start.
    d.add(d.lwpolyline('ROOF', [(-600, -600), (9600, -600), (9600, 6600), (-600, 6600)],
                       closed=True))
    d.add(d.ellipse('ROOF', (0, 3000), (-1500, 0, 0), 0.8, 1.5 * math.pi, 0.5 * math.pi))
    # Overhead kitchen cabinets along the west wall, seen from below.
    d.add(d.line('OVERHEAD', (150, 3600), (750, 3600)))
    d.add(d.line('OVERHEAD', (750, 3600), (750, 5850)))
    # Bathroom: bath tub with rounded inner corners, wash basin and toilet.
    d.add(d.lwpolyline('FIXTURES', [(7100, 5150, 0), (8550, 5150, BULGE_90),
                                    (8650, 5250, 0), (8650, 5750, 0), (7000, 5750, 0),
                                    (7000, 5250, BULGE_90)], closed=True))
    d.add(d.ellipse('FIXTURES', (5450, 4300), (0, 250, 0), 0.7))
    d.add(d.lwpolyline('FIXTURES', [(8450, 3650), (8800, 3650), (8800, 4150), (8450, 4150)],
                       closed=True))
    d.add(d.ellipse('FIXTURES', (8200, 3900), (-300, 0, 0), 0.65))
    # Furniture on the switched-off layer.
    d.add(d.insert('FURNITURE', 'BED', (6850, 700)))
    d.add(d.circle('FURNITURE', (2500, 4200), 600))

    d.add(d.aligned_text('TEXT', 'LIVING / DINING', (2500, 2400), 250, halign=1, valign=2))
    d.add(d.aligned_text('TEXT', 'BEDROOM', (7200, 2300), 250, halign=1, valign=2))
    d.add(d.aligned_text('TEXT', 'BATH', (6300, 4800), 250, halign=1, valign=2))

    d.add(d.linear_dimension('DIMENSIONS', (0, 0), (9000, 0), (0, -2200), size=250,
                             arrow=200))
    d.add(d.linear_dimension('DIMENSIONS', (0, 0), (0, 6000), (-2200, 0), angle=90, size=250,
                             arrow=200))

    # The sheet in paper space: an A3 frame in millimetres and the drawing's title.
    d.add(d.lwpolyline('TITLE', [(10, 10), (410, 10), (410, 287), (10, 287)], closed=True,
                       space=1, color=7))
    d.add(d.text('TITLE', 'GROUND FLOOR PLAN 1:100', (20, 20), 5, space=1))

    d.view('WHOLE PLAN', (4500, 3000), 11000, 16000)
    d.view('BEDROOM', (6950, 1800), 4000, 5000)
    d.view('SHEET', (210, 148.5), 297, 420, flags=1)
    return d


def blocks_nested():
    """An open-plan office: workstations made of a desk and a chair, pods made of two
    workstations facing each other (one mirrored), attributes on the loose workstations and a
    north arrow with a solid fill."""
    d = Drawing('AC1018', 'ascii', '\n', 'ANSI_1252', ltscale=50.0)
    d.linetypes('DASHED')
    d.layer('WALLS', 7)
    d.layer('FURNITURE', 3)
    d.layer('ZONES', 5, 'DASHED')
    d.layer('ANNOTATION', 2)

    chair = d.block('CHAIR')
    chair.add(d.lwpolyline('0', [(-250, 250), (-250, -250, 0.2), (250, -250), (250, 250)],
                           closed=True, color=0))
    chair.add(d.arc('0', (0, 0), 300, 30.0, 150.0, color=0, ltype='BYBLOCK'))

    desk = d.block('DESK')
    desk.add(d.lwpolyline('0', [(0, 0), (1400, 0), (1400, 700), (0, 700)], closed=True))
    desk.add(d.circle('0', (1300, 600), 30, color=0))

    station = d.block('WORKSTATION')
    station.add(d.insert('0', 'DESK', (0, 0)))
    station.add(d.insert('0', 'CHAIR', (700, -400), rotation=180))
    station.add(d.line('0', (450, 550), (950, 550)))
    station.add(d.attdef('0', 'SEAT', 'Seat number', 'W-00', (50, 450), 100))
    station.add(d.attdef('0', 'USER', 'Who sits here', 'VACANT', (700, 250), 100, halign=1,
                         valign=2))
    station.add(d.attdef('0', 'ASSET', 'Asset tag', 'A-0000', (50, 50), 80, flags=1))

    pod = d.block('POD')
    pod.add(d.insert('0', 'WORKSTATION', (0, 0)))
    pod.add(d.insert('0', 'WORKSTATION', (0, 1400), scale=(1, -1, 1)))
    pod.add(d.line('0', (0, 700), (1400, 700), color=0))

    north = d.block('NORTH')
    north.add(d.circle('0', (0, 0), 500))
    north.add(d.solid('0', (0, 450), (0, -150), (-200, -350)))
    north.add(d.line('0', (0, 450), (200, -350)))
    north.add(d.line('0', (200, -350), (0, -150)))
    north.add(d.aligned_text('0', 'N', (0, 600), 200, halign=1, valign=1))

    d.add(d.lwpolyline('WALLS', [(0, 0), (12000, 0), (12000, 8000), (0, 8000)], closed=True))
    d.add(d.lwpolyline('WALLS', [(200, 200), (11800, 200), (11800, 7800), (200, 7800)],
                       closed=True))
    d.add(d.lwpolyline('ZONES', [(1000, 1500), (6400, 1500), (6400, 5000), (1000, 5000)],
                       closed=True))
    d.add(d.insert('FURNITURE', 'POD', (1500, 2500)))
    d.add(d.insert('FURNITURE', 'POD', (4500, 2500), color=1))
    for base, seat, user, asset in (((8000, 1200), 'W-01', 'TANAKA', 'A-1001'),
                                    ((9800, 1200), 'W-02', 'SUZUKI', 'A-1002')):
        d.add(d.insert('FURNITURE', 'WORKSTATION', base, attrib_layer='ANNOTATION', attribs=[
            ('SEAT', seat, (50, 450), 100, 0, 0, 0),
            ('USER', user, (700, 250), 100, 1, 2, 0),
            ('ASSET', asset, (50, 50), 80, 0, 0, 1),
        ]))
    d.add(d.insert('ANNOTATION', 'NORTH', (11000, 6800)))
    d.add(d.text('ANNOTATION', 'OPEN OFFICE - FURNITURE LAYOUT 1:50', (200, -600), 250))
    return d


NOTES = (
    '{\\fArial|b1|i0|c0|p34;GENERAL NOTES}\\P'
    '1.\\~ALL DIMENSIONS ARE IN MILLIMETRES UNLESS NOTED OTHERWISE. DO NOT SCALE FROM THIS '
    'DRAWING; CHECK EVERY DIMENSION ON SITE BEFORE WORK STARTS.\\P'
    '2.\\~STEEL TO BE GRADE S275. ALL WELDS 6 MM FILLET, CONTINUOUS, UNLESS NOTED.\\P'
    '3.\\~BOLTS M16 GRADE 8.8 IN %%c18 HOLES; TIGHTEN TO 210 N\\U+00B7m.\\P'
    '4.\\~SLOPES OF 1.5\\U+00B0 OR LESS ARE SHOWN AS LEVEL. LEVEL TOLERANCE %%p5 MM.\\P'
    '5.\\~{\\C1;REVISED ITEMS} ARE CLOUDED AND MARKED {\\LWITH THE REVISION LETTER\\l}.\\P'
    '6.\\~FINISHES: {\\fTimes New Roman|b0|i1|c0|p18;see the finishes schedule}, sheet '
    'A-601.\\P'
    '7.\\~PAINT: ONE COAT ZINC PRIMER 75\\U+00B5m, TWO COATS MIO 125\\U+00B5m. '
    'FIT \\S+0.1^-0.2; ON ALL LOCATING PINS.\\P'
    '8.\\~THIS NOTE IS LONG ON PURPOSE: A TEXT OF MORE THAN 250 CHARACTERS IS STORED IN '
    'PIECES OF 250 UNDER GROUP CODE 3, FOLLOWED BY THE REST UNDER GROUP CODE 1.'
)


def texts_only():
    """A sheet of general notes and a chart of the TEXT justifications, with rotations, width
    factors and the %% control codes: nothing but texts."""
    d = Drawing('AC1021', 'ascii', '\r\n', 'ANSI_1252')
    d.style('TITLE', 'arial.ttf')
    d.layer('TITLE', 1)
    d.layer('NOTES', 7)
    d.layer('SAMPLES', 3)

    d.add(d.text('TITLE', 'GENERAL NOTES AND TEXT STYLES', (20, 190), 7, width=0.9,
                 style='TITLE'))
    d.add(d.mtext('NOTES', NOTES, (20, 180), 2.5, width=257))

    # Justification chart: (text, 72, 73, alignment point).
    chart = [('TOP LEFT', 0, 3, (20, 115)), ('TOP CENTER', 1, 3, (80, 115)),
             ('TOP RIGHT', 2, 3, (140, 115)), ('MIDDLE LEFT', 0, 2, (20, 105)),
             ('MIDDLE CENTER', 1, 2, (80, 105)), ('MIDDLE RIGHT', 2, 2, (140, 105)),
             ('BOTTOM LEFT', 0, 1, (20, 95)), ('BOTTOM CENTER', 1, 1, (80, 95)),
             ('BOTTOM RIGHT', 2, 1, (140, 95)), ('BASELINE CENTER', 1, 0, (80, 85)),
             ('BASELINE RIGHT', 2, 0, (140, 85)), ('MIDDLE', 4, 0, (80, 75))]
    for s, h, v, at in chart:
        d.add(d.aligned_text('SAMPLES', s, at, 3.5, halign=h, valign=v))
    d.add(d.text('SAMPLES', 'LEFT', (20, 85), 3.5))
    # Aligned and fit texts run between their two points.
    d.add(d.text('SAMPLES', 'ALIGNED BETWEEN TWO POINTS', (20, 65), 3.5, halign=3,
                 align=(140, 65)))
    d.add(d.text('SAMPLES', 'FIT BETWEEN TWO POINTS', (20, 57), 3.5, halign=5,
                 align=(140, 57)))

    d.add(d.text('SAMPLES', 'NARROW WIDTH 0.7', (175, 115), 3.5, width=0.7))
    d.add(d.text('SAMPLES', 'WIDE WIDTH 1.5', (175, 105), 3.5, width=1.5))
    d.add(d.text('SAMPLES', 'HOLE %%c12 H7', (175, 95), 3.5))
    d.add(d.text('SAMPLES', 'ANGLE 45%%d', (175, 88), 3.5))
    d.add(d.text('SAMPLES', 'TOLERANCE %%p0.05', (175, 81), 3.5))
    d.add(d.text('SAMPLES', '%%uUNDERLINED%%u, %%oOVERLINED%%o, 100%%%', (175, 74), 3.5))
    d.add(d.text('SAMPLES', 'ROTATED 30%%d', (175, 40), 3.5, rotation=30))
    d.add(d.text('SAMPLES', 'VERTICAL 90%%d', (285, 30), 3.5, rotation=90))
    d.add(d.mtext('NOTES', 'MTEXT TURNED 45\\U+00B0\\PBY ITS DIRECTION VECTOR', (240, 45),
                  3.5, width=60, attach=5, direction=(math.sqrt(0.5), math.sqrt(0.5), 0)))
    return d


JA_NOTE = (
    '{\\fＭＳ ゴシック|b1|i0|c128|p49;注記}\\P'
    '１．壁厚は外壁 150、間仕切壁 100 とする。寸法は壁芯からの寸法を示す。\\P'
    '２．仕上げは別紙仕上表による。床は全室フローリング、浴室はユニットバスとする。\\P'
    '３．建具は全てアルミサッシとし、ガラスは複層ガラス（Low-E）とする。\\P'
    '４．換気扇はΦ100 とし、浴室の天井に設ける。排水口は%%c75 とする。\\P'
    '５．床の仕上げ高さは FL±0 を基準とし、浴室の床は排水口へ 1/50（約 1.1°）の勾配をとる。\\P'
    '６．ソファ等の家具は参考として「家具」レイヤーに記入した。\\P'
    '７．①から③の記号は、別紙の詳細図に対応する。詳細は各図を参照のこと。\\P'
    '８．本図は縮尺 1/100 で作図している。寸法の記入がない部分は縮尺による読み取りを避け、'
    '設計者に確認すること。疑義が生じた場合は、施工前に監理者と協議の上、指示を受けること。'
    'この注記は長文の多行テキストとして、250 文字ごとの部分に分けて書かれている。'
)


def japanese(version, encoding, newline):
    """A one-bedroom flat, 7.2 m by 5.4 m, with Japanese layer, block, view and attribute names
    and texts, for the two encodings a DXF can carry them in."""
    d = Drawing(version, encoding, newline, 'ANSI_932', ltscale=100.0, text_font='txt',
                bigfont='extfont2.shx')
    d.linetypes('DASHED', 'CENTER', 'HIDDEN')
    d.style('ゴシック', 'msgothic.ttc')
    d.layer('壁', 7)
    d.layer('建具', 3)
    d.layer('通り芯', 1, 'CENTER')
    d.layer('寸法', 2)
    d.layer('文字', 7)
    d.layer('設備', 6, 'HIDDEN')
    d.layer('家具', -4, 'DASHED')  # switched off
    d.layer('図枠', 8)
    d.layer('Defpoints', 7)

    door_block(d, '片開き戸', 800)
    window = d.block('引違い窓')
    for a, b in (((0, 0), (1000, 0)), ((0, 150), (1000, 150)), ((0, 60), (550, 60)),
                 ((450, 90), (1000, 90))):
        window.add(d.line('0', a, b))
    frame = d.block('図枠')
    frame.add(d.lwpolyline('0', [(0, 0), (7200, 0), (7200, 1200), (0, 1200)], closed=True))
    frame.add(d.line('0', (0, 600), (7200, 600)))
    frame.add(d.line('0', (1500, 0), (1500, 1200)))
    frame.add(d.line('0', (4800, 0), (4800, 1200)))
    frame.add(d.aligned_text('0', '図面名称', (750, 900), 200, halign=1, valign=2))
    frame.add(d.aligned_text('0', '縮尺・日付', (750, 300), 200, halign=1, valign=2))
    frame.add(d.attdef('0', '図面名称', '図面の名称', '', (3150, 900), 300, halign=1, valign=2))
    frame.add(d.attdef('0', '縮尺', '縮尺', '1/100', (3150, 300), 200, halign=1, valign=2))
    frame.add(d.attdef('0', '日付', '作成日', '', (6000, 300), 200, halign=1, valign=2))

    # Walls: 24 exterior lines (openings S 2, N 1, E 1, W 0), a partition with two doors
    # (10 lines) and one without (2 lines).
    d.add(*exterior_walls(d, '壁', 7200, 5400, 150, {
        'S': [(600, 1400), (3000, 4500)],
        'N': [(1200, 3000)],
        'E': [(1500, 3300)],
    }))
    d.add(*partition(d, '壁', True, 4500, 150, 5250, 100, [(600, 1400), (3800, 4600)]))
    d.add(*partition(d, '壁', False, 2700, 4550, 7050, 100))

    d.add(d.insert('建具', '引違い窓', (3000, 0), scale=(1.5, 1, 1)))
    d.add(d.insert('建具', '引違い窓', (1200, 5250), scale=(1.8, 1, 1)))
    d.add(d.insert('建具', '引違い窓', (7200, 1500), scale=(1.8, 1, 1), rotation=90))
    d.add(d.insert('建具', '片開き戸', (600, 150)))
    d.add(d.insert('建具', '片開き戸', (4550, 1400), rotation=270))
    d.add(d.insert('建具', '片開き戸', (4550, 3800), scale=(1, -1, 1), rotation=90))

    d.add(*grid_axes(d, '通り芯', '文字', [
        ('X1', True, 75, -1900, 6400), ('X2', True, 4500, -1900, 6400),
        ('X3', True, 7125, -1900, 6400), ('Y1', False, 75, -1900, 8200),
        ('Y2', False, 5325, -1900, 8200)], 300, 250))

    d.add(d.aligned_text('文字', '居間・食堂', (2300, 2900), 250, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.aligned_text('文字', '洋室①', (5800, 4000), 250, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.aligned_text('文字', '浴室', (5800, 1900), 250, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.aligned_text('文字', '玄関', (1000, 1100), 200, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.aligned_text('文字', 'FL±0', (1000, 700), 150, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.aligned_text('文字', '寸法 1500', (3750, -400), 200, halign=1, valign=2,
                         style='ゴシック'))
    d.add(d.text('文字', '%%c75 排水口 床勾配 1.1°', (5150, 450), 120, style='ゴシック'))

    # Bathroom fittings: drain and ventilation fan, the fan labelled through a leader.
    d.add(d.circle('設備', (5000, 600), 37.5))
    d.add(d.circle('設備', (6000, 2000), 50))
    fan = d.mtext('文字', 'Φ100 換気扇', (6750, 2400), 150, attach=4, style='ゴシック')
    d.add(d.leader('文字', [(6035, 2035, 0), (6400, 2400, 0), (6700, 2400, 0)], fan, 150))
    d.add(fan)

    # A sofa on the switched-off furniture layer.
    d.add(d.lwpolyline('家具', [(600, 3800), (2600, 3800), (2600, 4600), (600, 4600)],
                       closed=True))
    d.add(d.aligned_text('家具', 'ソファ', (1600, 4200), 200, halign=1, valign=2,
                         style='ゴシック'))

    d.add(d.linear_dimension('寸法', (3000, 0), (4500, 0), (0, -900), size=200, arrow=150))
    d.add(d.linear_dimension('寸法', (0, 0), (7200, 0), (0, -1500), size=200, arrow=150))
    d.add(d.linear_dimension('寸法', (0, 0), (0, 5400), (-1500, 0), angle=90, size=200,
                             arrow=150))

    d.add(d.mtext('文字', JA_NOTE, (8800, 5400), 150, width=5200, style='ゴシック'))
    d.add(d.aligned_text('文字', '平面図 S=1/100', (3600, -3200), 350, halign=1, valign=0,
                         style='ゴシック'))
    d.add(d.insert('図枠', '図枠', (0, -4900), attrib_layer='図枠', attribs=[
        ('図面名称', '平面図', (3150, 900), 300, 1, 2, 0),
        ('縮尺', '1/100', (3150, 300), 200, 1, 2, 0),
        ('日付', '2024年4月1日', (6000, 300), 200, 1, 2, 0),
    ]))

    d.view('平面図', (3600, 1500), 11000, 16000)
    d.view('浴室詳細', (5800, 1400), 3000, 4000)
    return d


def all_entities():
    """A flange plate on an A4 sheet at 1:1: front view with tapped holes, a slot and an oval
    hole, side view drawn as a polyline with fillets, a small isometric of 3D faces and
    ellipses, dimensions, a leader, a revision table, surface marks and a title block."""
    d = Drawing('AC1024', 'ascii', '\n', 'ANSI_1252')
    d.classes = [('ACAD_TABLE', 'AcDbTable', True), ('TABLESTYLE', 'AcDbTableStyle', False)]
    d.linetypes('CENTER', 'HIDDEN')
    d.layer('OUTLINE', 7)
    d.layer('HIDDEN', 4, 'HIDDEN')
    d.layer('CENTER', 1, 'CENTER')
    d.layer('DIMENSIONS', 3)
    d.layer('NOTES', 2)
    d.layer('ISO', 5)
    d.layer('FRAME', 7)
    d.layer('Defpoints', 7)

    title = d.block('TITLE-A4')
    title.add(d.lwpolyline('0', [(-120, 0), (0, 0), (0, 32), (-120, 32)], closed=True))
    for y in (8, 16, 24):
        title.add(d.line('0', (-120, y), (0, y)))
    title.add(d.line('0', (-90, 0), (-90, 32)))
    for y, label in ((28, 'PART'), (20, 'DWG NO'), (12, 'MATERIAL'), (4, 'SCALE')):
        title.add(d.aligned_text('0', label, (-105, y), 2.5, halign=1, valign=2))
    tags = (('PART', 'Part name', 28), ('DWG_NO', 'Drawing number', 20),
            ('MATERIAL', 'Material', 12), ('SCALE', 'Scale', 4))
    for tag, prompt, y in tags:
        title.add(d.attdef('0', tag, prompt, '', (-88, y), 3.5, valign=2))

    mark = d.block('ROUGHNESS')
    mark.add(d.line('0', (0, 0), (-3, 5.2)))
    mark.add(d.line('0', (0, 0), (6, 10.4)))
    mark.add(d.line('0', (-3, 5.2), (3, 5.2)))
    mark.add(d.text('0', 'Ra 3.2', (1, 6.5), 2))

    c = (100, 110)
    # Front view: plate 140 x 90 with R10 corners, counter-clockwise.
    d.add(d.lwpolyline('OUTLINE', [(40, 65), (160, 65, BULGE_90), (170, 75), (170, 145,
                                   BULGE_90), (160, 155), (40, 155, BULGE_90), (30, 145),
                                   (30, 75, BULGE_90)], closed=True))
    # The boss, 50 across, drawn at its top face 20 above the back: two half circles.
    d.add(d.lwpolyline('OUTLINE', [(75, 110, 1.0), (125, 110, 1.0)], closed=True,
                       elevation=20.0))
    d.add(d.circle('OUTLINE', c, 20))
    for dx, dy in ((-55, -30), (55, -30), (55, 30), (-55, 30)):
        hole = (c[0] + dx, c[1] + dy)
        d.add(d.circle('OUTLINE', hole, 4.25))  # tap drill
        d.add(d.arc('OUTLINE', hole, 5, 100.0, 10.0))  # thread, three quarters of a turn
        d.add(d.line('CENTER', (hole[0] - 7, hole[1]), (hole[0] + 7, hole[1])))
        d.add(d.line('CENTER', (hole[0], hole[1] - 7), (hole[0], hole[1] + 7)))
    d.add(d.line('CENTER', (22, 110), (178, 110)))
    d.add(d.line('CENTER', (100, 57), (100, 163)))
    d.add(d.lwpolyline('OUTLINE', [(85, 71), (115, 71, 1.0), (115, 81), (85, 81, 1.0)],
                       closed=True))
    d.add(d.ellipse('OUTLINE', (100, 145), (15, 0, 0), 0.4))

    # Side view: plate 12 thick, boss 8 proud with R5 fillets at its root.
    d.add(d.polyline2d('OUTLINE', [(185, 65), (197, 65), (197, 80, -BULGE_90), (202, 85),
                                   (205, 85), (205, 135), (202, 135, -BULGE_90), (197, 140),
                                   (197, 155), (185, 155)], closed=True))
    for y in (90, 130):
        d.add(d.line('HIDDEN', (185, y), (205, y)))
    for y in (75.75, 84.25, 135.75, 144.25):
        d.add(d.line('HIDDEN', (185, y), (197, y)))
    d.add(d.line('CENTER', (181, 110), (209, 110)))

    # Isometric at a third of full size, drawn flat in the plane of the sheet.
    s, ox, oy = 0.35, 240.0, 75.0

    def iso(x, y, z=0.0):
        return (ox + (x - y) * math.cos(math.radians(30)) * s,
                oy + (x + y) * 0.5 * s + z * s, 0.0)

    d.add(d.face3d('ISO', [iso(0, 0, 12), iso(140, 0, 12), iso(140, 90, 12), iso(0, 90, 12)]))
    d.add(d.face3d('ISO', [iso(0, 0, 0), iso(140, 0, 0), iso(140, 0, 12), iso(0, 0, 12)]))
    d.add(d.face3d('ISO', [iso(0, 0, 0), iso(0, 90, 0), iso(0, 90, 12), iso(0, 0, 12)]))
    major = 25 * s * math.sqrt(1.5)
    top, root = iso(70, 45, 20), iso(70, 45, 12)
    d.add(d.ellipse('ISO', top, (major, 0, 0), 1 / math.sqrt(3)))
    d.add(d.ellipse('ISO', top, (20 * s * math.sqrt(1.5), 0, 0), 1 / math.sqrt(3)))
    # Only the front half of the boss's root circle shows: parameters pi to 2 pi.
    d.add(d.ellipse('ISO', root, (major, 0, 0), 1 / math.sqrt(3), math.pi, TAU))
    for side in (-1, 1):
        d.add(d.line('ISO', (top[0] + side * major, top[1]), (root[0] + side * major,
                                                               root[1])))

    d.add(d.insert('OUTLINE', 'ROUGHNESS', (130, 155)))
    d.add(d.insert('OUTLINE', 'ROUGHNESS', (205, 100), scale=(0.8, 0.8, 0.8), rotation=270))

    d.add(d.linear_dimension('DIMENSIONS', (30, 65), (170, 65), (0, 50)))
    d.add(d.linear_dimension('DIMENSIONS', (30, 65), (30, 155), (15, 0), angle=90))
    d.add(d.linear_dimension('DIMENSIONS', (185, 65), (197, 65), (0, 50)))
    d.add(d.diameter_dimension('DIMENSIONS', c, 20, 45, '%%c40 H7', override='<> H7'))

    hole_note = d.mtext('NOTES', '4-M10 THRU\\P%%c8.5 TAP DRILL', (61, 168), 2.5, attach=4)
    d.add(d.leader('NOTES', [polar((45, 140), 5, 135), (50, 168), (60, 168)], hole_note))
    d.add(hole_note)

    d.add(d.aligned_text('NOTES', 'FRONT VIEW', (100, 172), 3.5, halign=1))
    d.add(d.aligned_text('NOTES', 'SIDE VIEW', (195, 166), 3.5, halign=1))
    d.add(d.aligned_text('NOTES', 'ISOMETRIC', (247, 62), 3.5, halign=1))
    d.add(d.aligned_text('NOTES', 'DATUM A', (181, 110), 2.5, halign=1, rotation=90,
                         width=0.8))
    d.add(d.mtext('NOTES', 'NOTES:\\P1. BREAK ALL SHARP EDGES 0.5 X 45\\U+00B0.\\P'
                  '2. UNTOLERANCED DIMENSIONS %%p0.2.\\P3. {\\fArial|b1;ZINC PLATED}, '
                  'THICKNESS 8 \\U+00B5m.\\P4. BORE %%c40 H7 CONCENTRIC TO DATUM A '
                  'WITHIN %%c0.02.', (15, 40), 2.5, width=140))

    d.add(d.table('NOTES', (200, 197, 0), [7.0, 7.0, 7.0], [12.0, 22.0, 50.0],
                  [['REV', 'DATE', 'DESCRIPTION'],
                   ['A', '2024-04-01', 'FIRST ISSUE'],
                   ['B', '2024-05-20', 'BORE WAS %%c38']]))

    d.add(d.lwpolyline('FRAME', [(10, 10), (287, 10), (287, 200), (10, 200)], closed=True))
    d.add(d.insert('FRAME', 'TITLE-A4', (287, 10), attribs=[
        ('PART', 'FLANGE PLATE', (-88, 28), 3.5, 0, 2, 0),
        ('DWG_NO', 'MP-1024-01', (-88, 20), 3.5, 0, 2, 0),
        ('MATERIAL', 'S275 STEEL', (-88, 12), 3.5, 0, 2, 0),
        ('SCALE', '1:1', (-88, 4), 3.5, 0, 2, 0),
    ]))

    d.view('BOSS DETAIL', (190, 110), 60, 80)
    return d


def mesh_and_faces():
    """A small site in 3D, in release 12 form: terrain as a polygon mesh, a water tank as a
    mesh closed around, a house as a polyface mesh, a gazebo of 3D faces, a fence as a 3D
    polyline and the site boundary as a 2D polyline with a curved corner."""
    d = Drawing('AC1009', 'ascii', '\r\n', 'ANSI_1252', insunits=6)
    d.linetypes('DASHED')
    d.layer('TERRAIN', 3)
    d.layer('BUILDINGS', 7)
    d.layer('ROOFS', 1)
    d.layer('SITE', 6, 'DASHED')
    d.layer('FENCE', 8)
    d.layer('TREES', 3)
    d.layer('TEXT', 7)

    def ground(x, y):
        return round(0.05 * x + 0.02 * y + 0.3 * math.sin(x / 7.0) * math.cos(y / 9.0), 3)

    tree = d.block('TREE')
    tree.add(d.circle('0', (0, 0), 1.5))
    tree.add(d.line('0', (-1.5, 0), (1.5, 0)))
    tree.add(d.line('0', (0, -1.5), (0, 1.5)))

    xs, ys = [0, 10, 20, 30, 40], [0, 10, 20, 30]
    d.add(d.polymesh('TERRAIN', len(ys), len(xs), [(x, y, ground(x, y)) for y in ys
                                                   for x in xs]))

    tank_points = []
    cx, cy, r = 32.0, 22.0, 2.5
    base = ground(cx, cy)
    for z in (base, base + 4.0):
        for k in range(12):
            a = TAU * k / 12
            tank_points.append((round(cx + r * math.cos(a), 4), round(cy + r * math.sin(a), 4),
                                z))
    d.add(d.polymesh('BUILDINGS', 2, 12, tank_points, closed_n=True))

    # House 10 x 7, eaves at 3, ridge at 5 along x.
    g = ground(13, 11.5)
    house = [(8, 8, g), (18, 8, g), (18, 15, g), (8, 15, g),
             (8, 8, g + 3), (18, 8, g + 3), (18, 15, g + 3), (8, 15, g + 3),
             (18, 11.5, g + 5), (8, 11.5, g + 5)]
    faces = [(1, 2, 3, 4), (1, 2, 6, 5), (3, 4, 8, 7), (4, 1, 5, 8), (2, 3, 7, 6),
             (5, 8, 10), (6, 7, 9), (5, 6, 9, 10), (7, 8, 10, 9)]
    d.add(d.polyface('BUILDINGS', house, faces))

    # Gazebo: a pyramid roof of four triangles and a deck with steps.
    # Roof triangles as AutoCAD writes them, the third corner repeated as the fourth.
    gx, gy, gz = 26.0, 6.0, ground(26, 6)
    corners = [(gx - 1.5, gy - 1.5), (gx + 1.5, gy - 1.5), (gx + 1.5, gy + 1.5),
               (gx - 1.5, gy + 1.5)]
    apex = (gx, gy, gz + 4.5)
    for i in range(4):
        a, b = corners[i], corners[(i + 1) % 4]
        d.add(d.face3d('ROOFS', [(a[0], a[1], gz + 2.5), (b[0], b[1], gz + 2.5), apex]))
    d.add(d.face3d('BUILDINGS', [(gx - 2, gy - 2, gz + 0.3), (gx + 2, gy - 2, gz + 0.3),
                                 (gx + 2, gy + 2, gz + 0.3), (gx - 2, gy + 2, gz + 0.3)]))
    d.add(d.face3d('BUILDINGS', [(gx - 1, gy - 3, gz + 0.15), (gx + 1, gy - 3, gz + 0.15),
                                 (gx + 1, gy - 2, gz + 0.15), (gx - 1, gy - 2, gz + 0.15)],
                   hidden_edges=4))

    # A paved triangle in the site's south-west corner, written with three corners only. Its
    # first corner is the origin, so a reader that puts a missing corner at (0, 0, 0) still
    # draws the same triangle.
    d.add(d.face3d('SITE', [(0, 0, ground(0, 0)), (6, 0, ground(6, 0)), (0, 6, ground(0, 6))],
                   repeat_third=False))
    d.add(d.polyline3d('FENCE', [(39, y, ground(39, y) + 1.2) for y in (0, 7.5, 15, 22.5, 30)]))
    d.add(d.polyline2d('SITE', [(0, 0), (40, 0), (40, 30), (5, 30, BULGE_90), (0, 25)],
                       closed=True))

    for (x, y), size in (((3, 12), 1.0), ((22, 25), 1.3), ((35, 8), 0.8)):
        d.add(d.insert('TREES', 'TREE', (x, y, ground(x, y)), scale=(size, size, size)))

    d.add(d.text('TEXT', 'HOUSE', (11, 16, g), 1.0))
    d.add(d.text('TEXT', 'TANK', (30, 25, base), 1.0))
    d.add(d.text('TEXT', 'GAZEBO', (24, 2, gz), 1.0))

    d.view('PLAN', (20, 15), 36, 48)
    d.view('SOUTH-EAST ISO', (20, 15), 40, 60, direction=(1, -1, 1), target=(20, 15, 1))
    return d


SAMPLES = [
    ('floor-plan.dxf', floor_plan),
    ('blocks-nested.dxf', blocks_nested),
    ('texts-only.dxf', texts_only),
    ('japanese-sjis.dxf', lambda: japanese('AC1015', 'cp932', '\r\n')),
    ('japanese-utf8.dxf', lambda: japanese('AC1027', 'utf-8', '\n')),
    ('all-entities.dxf', all_entities),
    ('mesh-and-faces.dxf', mesh_and_faces),
]


def main(argv):
    summary = '--summary' in argv[1:]
    os.makedirs(OUT, exist_ok=True)
    for name, build in SAMPLES:
        drawing = build()
        path = os.path.join(OUT, name)
        drawing.write(path)
        size = os.path.getsize(path)
        assert size < 200 * 1024, f'{name} is {size} bytes'
        if summary:
            counts = ', '.join(f'{k} {v}' for k, v in drawing.summary().items())
            print(f'{name} ({drawing.version}, {size} bytes): {counts}')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
