#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
# Every source file in the one formatting of .clang-format.
sources=()
for folder in app bench bridges browse cli dxf fuzz geometry load model output render tests; do
  [ -d "$folder" ] && sources+=("$folder")
done
find "${sources[@]}" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r clang-format --dry-run -Werror
echo "Formatting: every source file as .clang-format wants it"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ctest --test-dir build --output-on-failure -j2
