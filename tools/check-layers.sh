#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own. The folders are layers,
# each a library that uses only those below it:
#   model <- dxf <- geometry <- render <- load <- bridges <- output <- browse <- app, cli
# A qt/ or x11/ subfolder sits just above its folder (it adds a toolkit to the folder's rules);
# folders of one rank (app and cli, render/qt and render/metafile) do not include each other.
set -euo pipefail
cd "$(dirname "$0")/.."

find model dxf geometry render load bridges output browse app cli \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) -print0 |
  xargs -0 grep -H '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk '
    BEGIN {
      rank["model"] = 0;   rank["dxf"] = 10;       rank["geometry"] = 20
      rank["render"] = 30; rank["render/qt"] = 35;  rank["render/metafile"] = 35
      rank["load"] = 40;   rank["bridges"] = 50;    rank["bridges/qt"] = 55
      rank["bridges/x11"] = 55; rank["output"] = 60; rank["browse"] = 70
      rank["app"] = 80;    rank["cli"] = 80
    }
    # The folder of a path: its directory, which must be one of the layers.
    function folder(path,    d) {
      d = path; sub(/\/[^\/]*$/, "", d)
      return d
    }
    {
      file = $0; sub(/:.*/, "", file)
      header = $0; sub(/^[^"]*"/, "", header); sub(/".*/, "", header)
      from = folder(file); to = folder(header)
      if (!(to in rank)) next          # a header beside the file, or a system header
      if (!(from in rank)) { print file ": folder " from " has no layer"; bad = 1; next }
      if (from == to || rank[to] < rank[from]) next
      print file ": includes " header ", which is not below " from; bad = 1
    }
    END { exit bad }
  '
echo "Layers: every include points down"
