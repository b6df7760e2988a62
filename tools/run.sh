#!/usr/bin/env bash
# Builds the program and shows the drawings bundled in samples/: their versions and record
# counts, and each drawn to a PNG picture (until the browser window exists).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build/cli/orvanta-cli info samples/*.dxf
echo
out=build/samples-rendered
echo "Drawing every sample to PNG (1600x900) in $out/:"
build/cli/orvanta-cli render --each samples -o "$out"
echo "Open the pictures in $(pwd)/$out/ with an image viewer."
