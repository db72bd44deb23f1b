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
rig=$(mktemp -d)
cat >"$rig/rig.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$rig/native
load-module module-null-sink sink_name=guitar rate=44100 channels=1 sink_properties=device.description=guitar
load-module module-null-sink sink_name=amp rate=44100 channels=1 sink_properties=device.description=amp
load-module module-remap-source source_name=guitar_in master=guitar.monitor
load-module module-remap-source source_name=amp_out master=amp.monitor
set-default-source guitar_in
set-default-sink amp
PA
# The probe's own devices, and the server, run real-time where the system
# allows it, so that their gaps, which every run would share, stay out of
# the figures. Without shared memory (PulseAudio 16 loses the data of one of
# two capture streams of one client process when they share its memfd pool)
# the audio of every client passes through the server's main thread, which
# a desktop's server keeps out of the audio's way: here it gets the
# real-time priority of the threads that carry the audio there.
realtime=()
if chrt -f 20 true 2>/dev/null; then realtime=(chrt -f 20); fi
"${realtime[@]}" pulseaudio -n -F "$rig/rig.pa" --daemonize=no --exit-idle-time=-1 \
  --use-pid-file=no --disable-shm=yes --realtime=yes --high-priority=yes \
  --log-target=file:"$rig/server.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$rig"' EXIT
export PULSE_SERVER=unix:$rig/native SDL_AUDIODRIVER=pulseaudio
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

probe=("$build/bench/live_pulse")
if [ ${#realtime[@]} -gt 0 ]; then probe=(chrt -f 30 "${probe[@]}"); fi

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
