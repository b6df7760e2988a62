#!/usr/bin/env bash
# The slower checks of the Debian package and the thumbnailer, outside the ordinary test run:
#   1. cpack -G DEB in build/, the package unpacked with dpkg -x into a temporary root, and every
#      file the menu entry and the thumbnailer entry point to found there, and the software
#      centre's metadata validated by appstreamcli;
#   2. its dependencies resolved by apt (a simulated install, as root);
#   3. lintian --pedantic, whose errors and warnings fail the check;
#   4. the unpacked thumbnailer's Exec line, expanded as a file manager expands it, over every
#      bundled sample and every DXF and DWG of ../shared/samples (when present): each gives a
#      picture or a clean failure, and a cut-off and a hostile file give no picture.
# Installs lintian, dpkg-dev and appstream when they are missing. Run from anywhere:
# tools/check-desktop.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$(pwd)

need=()
for p in lintian dpkg-dev appstream; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${need[@]}"
fi

[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target orvanta orvanta-cli orvanta_compressed_docs -j2
rm -f build/orvanta_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/orvanta_*.deb)
echo "package: $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# 1. The unpacked package holds every file its entries name.
dpkg -x "$deb" "$work/root"
r="$work/root"
key() { sed -n "s/^$2=//p" "$1" | head -1; }
desktop="$r/usr/share/applications/orvanta.desktop"
thumbnailer="$r/usr/share/thumbnailers/orvanta.thumbnailer"
for f in "$desktop" "$thumbnailer" "$r/usr/share/mime/packages/orvanta.xml" \
         "$r/usr/share/man/man1/orvanta.1.gz" "$r/usr/share/man/man1/orvanta-cli.1.gz" \
         "$r/usr/share/doc/orvanta/copyright"; do
  [ -f "$f" ] || fail "missing ${f#$r}"
done
for program in "$(key "$desktop" Exec | cut -d' ' -f1)" "$(key "$desktop" TryExec)" \
               "$(key "$thumbnailer" Exec | cut -d' ' -f1)" "$(key "$thumbnailer" TryExec)"; do
  [ -x "$r/usr/bin/$program" ] || fail "the entries name $program, which is not in /usr/bin"
done
icon=$(key "$desktop" Icon)
[ -f "$r/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$r/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$desktop" || fail "desktop-file-validate"
metainfo="$r/usr/share/metainfo/org.orvanta.Orvanta.metainfo.xml"
[ -f "$metainfo" ] || fail "missing ${metainfo#$r}"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

# 2. Its dependencies resolve on this system (fonts-ipafont-gothic among them).
if [ "$(id -u)" -eq 0 ]; then
  apt-get install --simulate -qq "./$deb" >/dev/null || fail "apt cannot install the package"
fi
dpkg-deb -f "$deb" Depends | grep -q fonts-ipafont-gothic || fail "no dependency on the font"
if grep -q '^ORVANTA_HAVE_SSE41:INTERNAL=1' build/CMakeCache.txt; then
  dpkg-deb -f "$deb" Depends | grep -q sse4.1-support || fail "no dependency on SSE4.1"
fi

# 3. lintian.
lintian_out=$(lintian --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
if echo "$lintian_out" | grep -qE '^[EW]:'; then
  echo "$lintian_out"
  fail "lintian"
else
  echo "lintian: ${lintian_out:-no findings}"
fi

# 4. The thumbnailer as a file manager runs it, from the unpacked package.
exec_line=$(key "$thumbnailer" Exec)
thumbnail() { # INPUT OUTPUT: the Exec line with %s, %i and %o expanded
  local line=${exec_line//%s/256}
  line=${line//%i/\"\$1\"}
  line=${line//%o/\"\$2\"}
  env -u QT_QPA_PLATFORM PATH="$r/usr/bin:$PATH" bash -c "$line" thumbnailer "$1" "$2"
}
made=0
refused=0
mkdir -p "$work/out"
inputs=("$root_dir"/samples/*.dxf)
if [ -d ../shared/samples ]; then
  while IFS= read -r -d '' f; do inputs+=("$f"); done \
    < <(find ../shared/samples -type f \( -iname '*.dxf' -o -iname '*.dwg' \) -print0 | sort -z)
fi
i=0
for f in "${inputs[@]}"; do
  i=$((i + 1))
  out="$work/out/$i.png"
  if thumbnail "$f" "$out" 2>"$work/err"; then
    [ -s "$out" ] || fail "$f: exit 0 without a picture"
    made=$((made + 1))
  else
    status=$?
    [ -e "$out" ] && fail "$f: failed (status $status) but left $out"
    [ $status -eq 1 ] || fail "$f: status $status: $(cat "$work/err")"
    case "$f" in "$root_dir"/samples/*) fail "bundled sample $f: $(cat "$work/err")" ;; esac
    refused=$((refused + 1))
    echo "  no thumbnail: $(head -c 300 "$work/err")"
  fi
done
leftover=$(find "$work/out" -type f ! -name '*.png' | wc -l)
[ "$leftover" -eq 0 ] || fail "$leftover temporary files left beside the outputs"
echo "thumbnails: $made made, $refused refused cleanly, of ${#inputs[@]}"

# A cut-off drawing; blocks nested six deep with 30 inserts each (refused as too large to
# expand); five deep with 20 each, three million lines, which the default limits let through
# and tighter ones stop.
head -c 9000 samples/floor-plan.dxf > "$work/cut-off.dxf"
nested() { # LEVELS INSERTS
  printf '0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n'
  for level in $(seq "$1"); do
    printf '0\nBLOCK\n2\nB%d\n' "$level"
    for k in $(seq "$2"); do printf '0\nINSERT\n2\nB%d\n10\n%d\n20\n%d\n' $((level - 1)) "$k" $((2 * k)); done
    printf '0\nENDBLK\n'
  done
  printf '0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nINSERT\n2\nB%d\n0\nENDSEC\n0\nEOF\n' "$1"
}
nested 6 30 > "$work/hostile.dxf"
nested 5 20 > "$work/heavy.dxf"
refuse() { # DESCRIPTION COMMAND...: the command must fail and leave no picture
  local what=$1 start
  shift
  start=$(date +%s)
  if "$@" 2>"$work/err"; then fail "$what made a picture"; fi
  [ -e "$work/bad.png" ] && fail "$what left a picture"
  rm -f "$work/bad.png"
  echo "  $what: $(cat "$work/err") ($(($(date +%s) - start)) s)"
}
refuse cut-off thumbnail "$work/cut-off.dxf" "$work/bad.png"
refuse hostile thumbnail "$work/hostile.dxf" "$work/bad.png"
refuse "heavy, 2 s" "$r/usr/bin/orvanta-cli" thumbnail --time-limit 2 "$work/heavy.dxf" "$work/bad.png"
refuse "heavy, 300 MB" "$r/usr/bin/orvanta-cli" thumbnail --memory-limit 300 "$work/heavy.dxf" \
  "$work/bad.png"
[ -z "$(ls "$work" | grep '^bad\.png\.')" ] || fail "a temporary picture was left behind"

if [ $failures -gt 0 ]; then
  echo "$failures checks failed"
  exit 1
fi
echo "all desktop checks passed"
