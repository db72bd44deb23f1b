#!/usr/bin/env bash
# Measures what Ampliro costs with the power on and nothing moving: the
# processor time of the whole program, and of each of its threads, over a
# stretch of SECONDS, under Xvfb, as a share of one core.
#   bench/idle_cpu.sh [seconds] [build folder]
# AUDIO picks the devices: "pulse" (the default) starts the PulseAudio rig
# of bench/live_pulse.sh, and Ampliro plays through it as its client;
# "dummy" uses SDL's dummy driver.
set -euo pipefail
seconds=${1:-60}
build=${2:-$(cd "$(dirname "$0")/.." && pwd)/build}
audio=${AUDIO:-pulse}
source "$(dirname "$0")/started_processes.sh"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 640x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

case $audio in
  pulse)
    source "$(dirname "$0")/pulse_rig.sh"
    start_pulse_rig "$work"
    pids+=("$rig_server")
    unset SDL_AUDIODRIVER ;;
  dummy) export SDL_AUDIODRIVER=dummy ;;
  *) echo "unknown AUDIO: $audio" >&2; exit 2 ;;
esac

# A program folder of its own, so the introduction and the settings are
# those of a first start.
cp "$build/ampliro" "$work/"
"$work/ampliro" >"$work/ampliro.log" 2>&1 &
program=$!
pids+=("$program")
window=
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --pid "$program" --name '^Ampliro' 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "idle_cpu: no window" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"
scale=$((WIDTH / 240))
sleep 2
# Enter closes the introduction; then the pen presses the power switch.
xdotool windowfocus "$window" key Return
sleep 1
xdotool mousemove $((X + 35 * scale)) $((Y + 84 * scale)) click 1
sleep 3
title=$(xdotool getwindowname "$window")
case $title in
  *" ms, "*) ;;
  *) echo "idle_cpu: the power did not come on (title \"$title\")" >&2; exit 1 ;;
esac
echo "window \"$title\", scale $scale, audio $audio"

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "$1"; }
declare -A before
for task in /proc/"$program"/task/*; do before[$task]=$(cpu "$task/stat"); done
total_before=$(cpu /proc/"$program"/stat)
sleep "$seconds"
total_after=$(cpu /proc/"$program"/stat)
for task in /proc/"$program"/task/*; do
  [ -n "${before[$task]:-}" ] || continue
  used=$(($(cpu "$task/stat") - before[$task]))
  awk -v n="$(cat "$task/comm")" -v u="$used" -v t="$ticks" -v s="$seconds" \
    'BEGIN { if (u > 0) printf "  thread %-16s %5.2f %% of a core\n", n, 100 * u / t / s }'
done
awk -v u=$((total_after - total_before)) -v t="$ticks" -v s="$seconds" \
  'BEGIN { printf "Ampliro, power on, nothing moving: %.2f %% of a core over %d s\n", 100 * u / t / s, s }'
echo "title at the end: \"$(xdotool getwindowname "$window")\""
