#!/usr/bin/env bash
# The live measurement on a JACK server: starts `jackd -d dummy -r 48000
# -p 64` of its own, then
#   1. at each period of PERIODS (default "64"; the server's buffer size is
#      changed with jack_bufsize), the round trip of jack_iodelay through a
#      plain loop, and through Ampliro (pedals off, latency setting 1): the
#      difference is what Ampliro adds, 0 frames by design;
#   2. the server's xruns per minute with a plain loopback client patched as
#      Ampliro is, and with Ampliro running all nine pedals at latency
#      setting 1, each for the given time.
#
#   bench/live_jack.sh [SECONDS]     (default 600; the run takes twice that)
#
# MEDIA, amp models and impulse responses separated by commas, switches the
# gate, amp and cabinet on in the Ampliro windows and loads one of the files
# every half second while they play (the loads must cost no dropout).
# BUILD names the build folder (default: build); JACKD_OPTIONS replaces the
# server's own options (default: --realtime where the system allows it,
# else --no-realtime).
set -euo pipefail

seconds=${1:-600}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
tool=$build/tools/live_bench/ampliro-live-bench
[ -x "$tool" ] || { echo "build ampliro-live-bench first ($tool)" >&2; exit 1; }
for program in jackd jack_iodelay jack_connect jack_lsp jack_bufsize; do
  command -v "$program" > /dev/null || { echo "$program is missing (package jackd2)" >&2; exit 1; }
done

# A fixed name: a server killed hard leaves an entry in JACK's table of
# servers that only a server of the same name reclaims.
server=ampliro-bench
export JACK_DEFAULT_SERVER=$server
source "$(dirname "$0")/started_processes.sh"

# Real-time scheduling, as a guitarist's server runs, where the system
# allows it; else without.
if [ -z "${JACKD_OPTIONS:-}" ]; then
  if chrt -f 10 true 2> /dev/null; then JACKD_OPTIONS=--realtime; else JACKD_OPTIONS=--no-realtime; fi
fi
read -r -a jackd_options <<< "$JACKD_OPTIONS"
jackd "${jackd_options[@]}" -n "$server" -d dummy -r 48000 -p 64 > "$work/jackd.log" 2>&1 &
jackd_pid=$!
pids+=("$jackd_pid")
await_jackd "$work/jackd.log"

# Waits until a program's output holds a line that starts with "ready".
wait_ready() {
  for _ in $(seq 100); do
    grep -q '^ready' "$1" && return 0
    sleep 0.1
  done
  echo "no ready line in $1:" >&2
  cat "$1" >&2
  return 1
}

# jack_iodelay's last figure after a few seconds of measuring a loop from
# jack_delay:out back to jack_delay:in through the ports given.
iodelay() {
  local log=$work/iodelay.log
  stdbuf -o0 jack_iodelay > "$log" 2>&1 &
  local pid=$!
  for _ in $(seq 50); do
    jack_lsp 2> /dev/null | grep -q '^jack_delay:in$' && break
    sleep 0.1
  done
  if [ "$1" = jack_delay:in ]; then
    jack_connect jack_delay:out jack_delay:in
  else
    jack_connect jack_delay:out "$1"
    jack_connect "$2" jack_delay:in
  fi
  sleep 4
  kill "$pid"
  wait "$pid" 2> /dev/null || true
  grep -o '^ *[0-9.]* frames' "$log" | tail -1 | awk '{ printf "%.0f", $1 }'
}

field() {
  tr ' ' '\n' <<< "$1" | sed -n "s/^$2=//p"
}

echo "JACK dummy server ($JACKD_OPTIONS), 48000 Hz; latency setting 1"
for period in ${PERIODS:-64}; do
  jack_bufsize "$period" > /dev/null
  sleep 0.5
  plain=$(iodelay jack_delay:in)
  "$tool" --backend jack --seconds 0 --pedals none --latency 1 > "$work/bypass.log" 2>&1 &
  bypass_pid=$!
  pids+=("$bypass_pid")
  wait_ready "$work/bypass.log"
  ready=$(grep '^ready' "$work/bypass.log")
  through=$(iodelay "$(field "$ready" in)" "$(field "$ready" out_left)")
  kill "$bypass_pid"
  wait "$bypass_pid" 2> /dev/null || true
  bypass=$(grep '^backend=' "$work/bypass.log")
  block=$(field "$bypass" block_frames)
  added=$((through - plain))
  echo "period $period: block $block frames; round trip plain $plain, through Ampliro" \
    "$through; added by Ampliro: $added frames ($(awk "BEGIN { printf \"%.2f\", $added / 48 }") ms)"
done
jack_bufsize 64 > /dev/null
sleep 0.5

# Alternate windows of at most a minute, so that a change in the machine's
# load falls on both sides alike.
window=$((seconds < 60 ? seconds : 60))
remaining=$seconds
ref_xruns=0 ref_time=0 amp_xruns=0 amp_time=0 shortfalls=0 lost=0 blocks=0 slowest=0 block_us=0
over=0 steady=0
echo "measuring xruns for $seconds s each, in windows of $window s: loopback, then Ampliro with all nine pedals ..."
while [ "$remaining" -gt 0 ]; do
  w=$((remaining < window ? remaining : window))
  reference=$("$tool" --backend none --seconds "$w" | grep '^backend=')
  "$tool" --backend jack --seconds "$w" --pedals all --latency 1 ${MEDIA:+--media "$MEDIA"} \
    > "$work/pedals.log" 2>&1 || {
    cat "$work/pedals.log" >&2
    exit 1
  }
  pedals=$(grep '^backend=' "$work/pedals.log")
  ref_xruns=$((ref_xruns + $(field "$reference" xruns)))
  ref_time=$(awk "BEGIN { print $ref_time + $(field "$reference" seconds) }")
  amp_xruns=$((amp_xruns + $(field "$pedals" xruns)))
  amp_time=$(awk "BEGIN { print $amp_time + $(field "$pedals" seconds) }")
  shortfalls=$((shortfalls + $(field "$pedals" shortfalls)))
  lost=$((lost + $(field "$pedals" dropped_blocks)))
  blocks=$((blocks + $(field "$pedals" blocks)))
  over=$((over + $(field "$pedals" passes_over_period)))
  pass=$(field "$pedals" slowest_pass_us)
  [ "$pass" -gt "$slowest" ] && slowest=$pass
  pass=$(field "$pedals" slowest_pass_after_1s_us)
  [ "$pass" -gt "$steady" ] && steady=$pass
  block_us=$(field "$pedals" block_us)
  loads=$((${loads:-0} + $(field "$pedals" media_loads)))
  remaining=$((remaining - w))
done

per_minute() { awk "BEGIN { printf \"%.1f\", $1 * 60 / $2 }"; }
echo "xruns, plain loopback:     $ref_xruns in $ref_time s ($(per_minute "$ref_xruns" "$ref_time") a minute)"
echo "xruns, Ampliro, 9 pedals:  $amp_xruns in $amp_time s ($(per_minute "$amp_xruns" "$amp_time") a minute)"
echo "Ampliro's own dropouts:    $shortfalls output shortfalls, $lost blocks lost"
[ -z "${MEDIA:-}" ] || echo "media files loaded while playing: $loads"
echo "slowest pass, nine pedals: $slowest us of a $block_us us block ($steady us after the" \
  "first second); $over of $blocks passes took longer than a period (1333 us)"
