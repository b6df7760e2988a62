#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan, and runs the DXF reader's
# fuzzer for a bounded time (default 660 s). New inputs go to fuzz/corpus-work/; crashes to
# fuzz/artifacts/. Usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-660}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANTA_FUZZ=ON -DORVANTA_BUILD_TESTS=OFF -DORVANTA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fsanitize=fuzzer-no-link" \
  >/dev/null
cmake --build build-fuzz --target fuzz_read_dxf
mkdir -p fuzz/corpus-work fuzz/artifacts
build-fuzz/fuzz/fuzz_read_dxf fuzz/corpus-work fuzz/corpus/read_dxf \
  -dict=fuzz/read_dxf.dict -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix=fuzz/artifacts/ -print_final_stats=1
