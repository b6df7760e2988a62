#!/usr/bin/env bash
# Builds the program and shows the drawings bundled in samples/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
build/cli/orvanta-cli info samples/*.dxf
