#!/usr/bin/env bash
# Measures the live stream on a PulseAudio server with two timer-clocked
# virtual sinks, as a player would hear it: the server's own loopback first
# (the reference), then Ampliro's PulseAudio client in bypass and with all
# nine pedals on, then Ampliro through SDL's devices in bypass.
#   bench/live_pulse.sh [seconds] [build folder]
# RUNS picks and orders the runs: RUNS="reference pulse" bench/live_pulse.sh 600
set -euo pipefail
seconds=${1:-600}
build=${2:-$(cd "$(dirname "$0")/.." && pwd)/build}
runs=${RUNS:-reference pulse pedals sdl}
source "$(dirname "$0")/started_processes.sh"
source "$(dirname "$0")/pulse_rig.sh"
start_pulse_rig "$work"
pids+=("$rig_server")
export SDL_AUDIODRIVER=pulseaudio

# The probe's own devices run real-time where the system allows it, so that
# their gaps, which every run would share, stay out of the figures.
probe=("$build/bench/live_pulse")
if chrt -f 30 true 2>/dev/null; then probe=(chrt -f 30 "${probe[@]}"); fi

for run in $runs; do
  case $run in
    reference)
      echo "== the server's own loopback (reference)"
      module=$(pactl load-module module-loopback source=guitar_in sink=amp latency_msec=1)
      "${probe[@]}" --seconds "$seconds" --reference
      pactl unload-module "$module" ;;
    pulse)
      echo "== Ampliro's PulseAudio client, every pedal off"
      "${probe[@]}" --seconds "$seconds" ;;
    pedals)
      echo "== Ampliro's PulseAudio client, all nine pedals on"
      "${probe[@]}" --seconds "$seconds" --pedals ;;
    sdl)
      echo "== Ampliro through SDL's devices, every pedal off"
      "${probe[@]}" --seconds "$seconds" --sdl ;;
    *) echo "unknown run: $run" >&2; exit 2 ;;
  esac
done
