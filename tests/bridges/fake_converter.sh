#!/bin/sh
# A stand-in for the external DWG converter, for tests. It takes the converter's seven arguments
# (input folder, output folder, "ACAD2000", "DXF", "0", "0", input file name), checks them, and
# writes a small text DXF named after the input with the extension ".dxf" into the output folder.
# The drawing holds one line on the layer "Converted" and a text with the input's file name.
#
# With ORVANTA_CONVERTER_LOG set, its arguments are appended to that file one per line, followed
# by a line "--". With ORVANTA_CONVERTER_DELAY set, it waits that many seconds first.
set -eu

if [ "$#" -ne 7 ]; then
    echo "fake_converter: expected 7 arguments, got $#" >&2
    exit 2
fi
if [ -n "${ORVANTA_CONVERTER_LOG:-}" ]; then
    printf '%s\n' "$@" -- >>"$ORVANTA_CONVERTER_LOG"
fi
if [ "$3" != ACAD2000 ] || [ "$4" != DXF ] || [ "$5" != 0 ] || [ "$6" != 0 ]; then
    echo "fake_converter: unexpected options: $3 $4 $5 $6" >&2
    exit 2
fi
input="$1/$7"
if [ ! -f "$input" ]; then
    echo "fake_converter: no such input: $input" >&2
    exit 3
fi
if [ -n "${ORVANTA_CONVERTER_DELAY:-}" ]; then
    sleep "$ORVANTA_CONVERTER_DELAY"
fi

output="$2/${7%.*}.dxf"
printf '%s\n' \
    0 SECTION 2 HEADER 9 '$ACADVER' 1 AC1015 0 ENDSEC \
    0 SECTION 2 TABLES 0 TABLE 2 LAYER \
    0 LAYER 2 Converted 70 0 62 3 6 CONTINUOUS 0 ENDTAB 0 ENDSEC \
    0 SECTION 2 ENTITIES \
    0 LINE 8 Converted 10 0.0 20 0.0 11 100.0 21 50.0 \
    0 TEXT 8 Converted 10 10.0 20 10.0 40 5.0 1 "$7" \
    0 ENDSEC 0 EOF >"$output"
