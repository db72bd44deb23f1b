#!/usr/bin/env bash
# Lists every #include "folder/..." of ours that reaches above its own layer,
# and every include that climbs out of its folder with "..". The build refuses
# such files too (each library sees only its own and its dependencies'
# headers); this names them all at once, with file and line, and exits
# non-zero when there is any.
#
# Layers, lowest first; a file may include its own layer and the ones below.
# The DSP units (effects/units/) stand apart: they include other units and
# the standard library only, and every layer from the pedals up may use them.
# Inside platform/ the window and the audio devices are separate rooms:
# platform/window/ and platform/audio/ never include each other.
set -euo pipefail
# An optional argument names another checkout to judge (the layer tests
# give it a small tree of wrong includes).
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top"

layers="platform display gfx ui effects audio app"
globs=()
for layer in $layers; do globs+=("$layer/*.cpp" "$layer/*.h"); done

# Git's pathspec * crosses folders: the units' files are listed too.
git ls-files -co --exclude-standard -- "${globs[@]}" | xargs -r awk -v layers="$layers" '
function layer_of(path,    parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "effects" && parts[2] == "units") return "units"
  return parts[1]
}
function room_of(path,    parts, n) {
  n = split(path, parts, "/")
  if (parts[1] == "platform" && n > 2) return parts[2]
  return ""
}
function allowed(from, to) {
  if (from == to) return 1
  if (from == "units") return 0
  if (to == "units") return rank[from] >= rank["effects"]
  return (to in rank) && rank[to] <= rank[from]
}
BEGIN {
  n = split(layers, order, " ")
  for (i = 1; i <= n; i++) rank[order[i]] = i
  faults = 0
}
FNR == 1 { from = layer_of(FILENAME); fromRoom = room_of(FILENAME) }
/^[ \t]*#[ \t]*include[ \t]*"/ {
  target = $0
  sub(/^[^"]*"/, "", target)
  sub(/".*$/, "", target)
  if (index(target, "..")) {
    printf "%s:%d: climbs out of its folder: \"%s\"\n", FILENAME, FNR, target
    faults++
    next
  }
  if (index(target, "/") == 0) next
  to = layer_of(target)
  # Only our own folders are layers; anything else is not ours to judge.
  if (!(to in rank) && to != "units") next
  toRoom = room_of(target)
  if ((fromRoom == "window" && toRoom == "audio") || (fromRoom == "audio" && toRoom == "window")) {
    printf "%s:%d: platform/%s includes platform/%s: \"%s\"\n", FILENAME, FNR, fromRoom, toRoom, target
    faults++
    next
  }
  if (!allowed(from, to)) {
    printf "%s:%d: %s includes %s: \"%s\"\n", FILENAME, FNR, from, to, target
    faults++
  }
}
END {
  if (faults > 0) {
    printf "%d include(s) against the layer order: %s (units apart)\n", faults, layers
    exit 1
  }
  printf "layers ok: %s (units apart)\n", layers
}'
