#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and runs one of them for a
# bounded time (default 600 s): read_dxf (the DXF reader, the default), settings (the settings
# file reader), read_dwg_preview (the preview picture of DWG files), read_image (the raster
# pictures of IMAGE entities) or read_ctb (the plot style tables printing reads). New inputs go
# to fuzz/corpus-work/TARGET/; crashes to fuzz/artifacts/.
# Usage: tools/fuzz.sh [SECONDS] [TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
target="${2:-read_dxf}"
case "$target" in
  read_dxf) max_len=65536 ;;
  settings) max_len=8192 ;;
  read_dwg_preview) max_len=65536 ;;
  read_image) max_len=65536 ;;
  read_ctb) max_len=16384 ;;
  *) echo "fuzz.sh: unknown target $target (read_dxf, settings, read_dwg_preview, read_image or read_ctb)" >&2; exit 2 ;;
esac
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANTA_FUZZ=ON -DORVANTA_BUILD_TESTS=OFF -DORVANTA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link" \
  >/dev/null
cmake --build build-fuzz --target "fuzz_$target" -j2
mkdir -p "fuzz/corpus-work/$target" fuzz/artifacts
"build-fuzz/fuzz/fuzz_$target" "fuzz/corpus-work/$target" "fuzz/corpus/$target" \
  -dict="fuzz/$target.dict" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix=fuzz/artifacts/ -print_final_stats=1
