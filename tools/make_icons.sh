#!/usr/bin/env bash
# Rasterises desktop/icons/orvanta.svg into the PNG sizes a desktop looks for
# (desktop/icons/NxN/orvanta.png). Run it after changing the SVG and commit the PNGs with it, so
# that a build needs no SVG renderer. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "${size}x${size}"
  rsvg-convert -w "$size" -h "$size" orvanta.svg -o "${size}x${size}/orvanta.png"
done
