#!/usr/bin/env bash
# Builds the program and opens the browser on the drawings bundled in samples/: the first drawing
# is given on the command line, so the window starts on the samples folder with it open.
# Without a display, prints what the command-line tool reads from the samples and draws each of
# them to a PNG picture instead.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

shopt -s nullglob
drawings=(samples/*.dxf samples/*.DXF samples/*.dwg samples/*.DWG)
first=""
if [ ${#drawings[@]} -gt 0 ]; then
  first="$(printf '%s\n' "${drawings[@]}" | LC_ALL=C sort | head -n 1)"
  first="$(realpath "$first")"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the window on (set DISPLAY, or use xvfb-run)." >&2
  if [ ${#drawings[@]} -gt 0 ]; then
    build/cli/orvanta-cli info "${drawings[@]}"
    out=build/samples-rendered
    echo
    echo "Drawing every sample to PNG (1600x900) in $out/:"
    build/cli/orvanta-cli render --each samples -o "$out"
    echo "Open the pictures in $(pwd)/$out/ with an image viewer."
  fi
  exit 0
fi

if [ -n "$first" ]; then
  exec build/app/orvanta "$first"
fi
exec build/app/orvanta
