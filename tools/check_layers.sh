#!/usr/bin/env bash
# Lists every #include "folder/..." of ours that reaches above its own layer,
# and every include that climbs out of its folder with "..". The build refuses
# such files too (each library sees only its own and its dependencies'
# headers); this names them all at once, with file and line. Exit status 1
# when there is any.
#
# Layers, lowest first; a file may include its own layer and the ones below.
# The DSP units (effects/<unit>/) stand apart: they include other units and
# the standard library only, and every layer from the pedals up may use them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

layers=(platform display gfx ui effects audio app)

rank_of() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}

# The layer of a path inside the repository: effects/<unit>/... is "units".
layer_of() {
  case "$1" in
    effects/*/*) echo units ;;
    *) echo "${1%%/*}" ;;
  esac
}

allowed() {  # from-layer to-layer
  local from=$1 to=$2
  [ "$to" = "$from" ] && return 0
  [ "$from" = units ] && return 1
  if [ "$to" = units ]; then
    [ "$(rank_of "$from")" -ge "$(rank_of effects)" ]
    return
  fi
  local to_rank
  to_rank=$(rank_of "$to")
  [ "$to_rank" -ge 0 ] && [ "$to_rank" -le "$(rank_of "$from")" ]
}

faults=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  while IFS=: read -r line text; do
    target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")
    if [[ "$target" == *..* ]]; then
      echo "$file:$line: climbs out of its folder: \"$target\""
      faults=$((faults + 1))
      continue
    fi
    [[ "$target" == */* ]] || continue
    to=$(layer_of "$target")
    # Only our own folders are layers; anything else is not ours to judge.
    [ "$to" = units ] || [ "$(rank_of "$to")" -ge 0 ] || continue
    if ! allowed "$from" "$to"; then
      echo "$file:$line: $from includes $to: \"$target\""
      faults=$((faults + 1))
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(git ls-files -co --exclude-standard -- "${layers[@]/%//*.cpp}" "${layers[@]/%//*.h}")

if [ "$faults" -gt 0 ]; then
  echo "$faults include(s) against the layer order: ${layers[*]} (units apart)"
  exit 1
fi
echo "layers ok: ${layers[*]} (units apart)"
