#!/usr/bin/env bash
# Times ampliro-render against SoX running the equivalent chain on the same
# 60-second recording, side by side, and prints the ratio per sample.
#
#   bench/compare_sox.sh [--instructions] [BUILD_DIR]
#
# Wall time by default: the two take turns ROUNDS times (default 5) and the
# fastest run of each counts, as the one least disturbed by the rest of the
# machine. --instructions counts instructions once with valgrind
# --tool=callgrind instead (slow, but repeatable on a busy machine).
# KEEP_WORK=1 keeps the recording, preset and outputs in the work folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=wall
if [ "${1:-}" = "--instructions" ]; then mode=instructions; shift; fi
build=${1:-$top/build}
render=$build/tools/render/ampliro-render
[ -x "$render" ] || { echo "build ampliro-render first: cmake --build $build --target ampliro-render" >&2; exit 1; }
command -v sox >/dev/null || { echo "sox is not installed (tools/setup.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
[ -n "${KEEP_WORK:-}" ] && echo "work folder: $work" >&2
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
rate=44100
seconds=60
samples=$((rate * seconds))

# The recording: plucked guitar notes, 120 of them, 16-bit mono.
sox -n -r $rate -b 16 -c 1 "$work/pluck.wav" synth 0.5 pluck E2 fade 0 0.5 0.1
sox "$work/pluck.wav" "$work/in.wav" repeat $((seconds * 2 - 1))

# Every pedal on at its defaults (delay 500 ms, pitch +3 semitones), the
# Parametric EQ at 1600 Hz with +10 dB of boost, and the Graphic EQ's seven
# bands (100 Hz to 6.4 kHz) at +3 dB: the preset layout written word by word.
perl -e '
  sub w { print pack("l<*", @_) }
  sub f { print pack("f<", $_[0]) }
  w(64, 32, 1, 32, 32, 32, 32, 32);              # Overdrive
  w(64, 64, 1); f(32); f(1600); w(4, 10);        # Parametric EQ
  w(64, 32, 1, 64, 3);                           # Pitch Shifter
  w(64, 32, 1, 32, 32, 32);                      # Phaser
  w(64, 32, 1, 32); f(16); w(32);                # Chorus
  w(64, 32, 1, 500, 32, 64);                     # Delay
  w(64, 32, 1, 32, 32, 32, 32);                  # Reverb
  w(64, 1, 3, 3, 3, 3, 3, 3, 3);                 # Graphic EQ
  w(64, 1, 32, 32);                              # Tremolo
  w(0, 6, 3, 5, 2, 4, 1, 8, 7);                  # chain order
' >"$work/all.preset"

sox_chain=(overdrive equalizer 1600 2o 10 pitch 300 phaser 0.8 0.74 3 0.4 0.5 -t
  chorus 0.7 0.9 55 0.4 0.25 2 -t echo 0.8 0.88 500 0.5 reverb tremolo 8 40)
for f in 100 200 400 800 1600 3200 6400; do sox_chain+=(equalizer $f 2o 3); done

run_ampliro() { "$render" --preset "$work/all.preset" "$work/in.wav" "$work/ampliro.wav" 2>/dev/null; }
run_sox() { sox -V1 "$work/in.wav" -b 16 -c 1 "$work/sox.wav" "${sox_chain[@]}"; }

wall() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

fastest() { [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ] && echo "$2" || echo "$1"; }

instructions() {
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$@" 2>"$work/cg.log"
  grep -o 'refs: *[0-9,]*' "$work/cg.log" | tr -d ', ' | cut -d: -f2
}

printf "recording: %d s at %d Hz (%d samples), mono\n" $seconds $rate $samples
if [ $mode = wall ]; then
  rounds=${ROUNDS:-5}
  a= s=
  for ((round = 0; round < rounds; ++round)); do
    a=$(fastest "$a" "$(wall run_ampliro)")
    s=$(fastest "$s" "$(wall run_sox)")
  done
  printf "fastest of %d runs each, taking turns\n" "$rounds"
  printf "%-14s %8.3f s  %7.1f x real time  %8.1f ns/sample\n" ampliro-render "$a" \
    "$(echo "$seconds / $a" | bc -l)" "$(echo "$a * 1000000000 / $samples" | bc -l)"
  printf "%-14s %8.3f s  %7.1f x real time  %8.1f ns/sample\n" sox "$s" \
    "$(echo "$seconds / $s" | bc -l)" "$(echo "$s * 1000000000 / $samples" | bc -l)"
  printf "ratio: SoX takes %.1f times as long per sample\n" "$(echo "$s / $a" | bc -l)"
else
  a=$(instructions "$render" --preset "$work/all.preset" "$work/in.wav" "$work/ampliro.wav")
  s=$(instructions sox -V1 "$work/in.wav" -b 16 -c 1 "$work/sox.wav" "${sox_chain[@]}")
  printf "%-14s %14d instructions  %8.1f per sample\n" ampliro-render "$a" "$(echo "$a / $samples" | bc -l)"
  printf "%-14s %14d instructions  %8.1f per sample\n" sox "$s" "$(echo "$s / $samples" | bc -l)"
  printf "ratio: SoX runs %.1f times as many instructions per sample\n" "$(echo "$s / $a" | bc -l)"
fi
