#!/usr/bin/env bash
# Measures the live stream on a PulseAudio server with two timer-clocked
# virtual sinks, as a player would hear it: the server's own loopback first
# (the reference), then Ampliro in bypass, then with all nine pedals on.
#   bench/live_pulse.sh [seconds] [build folder]
set -euo pipefail
seconds=${1:-600}
build=${2:-$(cd "$(dirname "$0")/.." && pwd)/build}
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
# Without shared memory: PulseAudio 16 loses the data of one of two capture
# streams of one client process when they share its memfd pool.
pulseaudio -n -F "$rig/rig.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --disable-shm=yes --realtime=yes --high-priority=yes \
  --log-target=file:"$rig/server.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$rig"' EXIT
export PULSE_SERVER=unix:$rig/native SDL_AUDIODRIVER=pulseaudio
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

echo "== the server's own loopback (reference)"
module=$(pactl load-module module-loopback source=guitar_in sink=amp latency_msec=1)
"$build/bench/live_pulse" --seconds "$seconds" --reference
pactl unload-module "$module"
echo "== Ampliro, every pedal off"
"$build/bench/live_pulse" --seconds "$seconds"
echo "== Ampliro, all nine pedals on"
"$build/bench/live_pulse" --seconds "$seconds" --pedals
