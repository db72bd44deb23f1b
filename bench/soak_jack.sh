#!/usr/bin/env bash
# An hour of abuse: the real program, in a virtual X server, on a JACK dummy
# server of its own, while
#   - a foot controller (ampliro-soak-client) plays 1000 MIDI events a
#     second into Ampliro:midi_in: program changes across the preset list
#     and past it, pedal switches, metronome and recorder commands, notes,
#     broken and random bytes;
#   - the server's buffer size changes 100 times among 16..1024 frames at
#     random moments;
#   - the server is stopped and started again 10 times: Ampliro powers off
#     and says so, and the power is switched on again through the window;
#   - for a stretch, a preset is loaded every 100 ms;
#   - once, the disk under the recorder fills up during a take (a small
#     tmpfs over the recordings folder, in a mount namespace of its own).
# Before that, a plain loop client takes Ampliro's place for a while, at
# each period in turn: the server's xruns alone.
#
#   bench/soak_jack.sh [SECONDS]     (default 3600; shorter runs scale the
#                                     changes and restarts down)
#
# It prints the crashes, Ampliro's resident memory after the warm-up and at
# the end, the xruns with Ampliro against the server alone, and whether the
# last preset saved and the last recording are whole. Exit code 1 when
# Ampliro crashed, its memory grew by 1 MB or more (MEMORY_CHECK=0 skips
# that: a sanitizer's build has other figures), or a file is not whole.
#
# BUILD names the build folder (default: build); SOAK_SEED the random seed;
# SOAK_SERVER the JACK server's name (default: ampliro-soak); SOAK_LOG a file
# that receives the log of events.
set -euo pipefail

seconds=${1:-3600}
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}
program=$build/ampliro
client=$build/tools/soak_client/ampliro-soak-client
for file in "$program" "$client"; do
  [ -x "$file" ] || { echo "build $(basename "$file") first ($file)" >&2; exit 1; }
done
for tool in jackd jack_bufsize jack_lsp Xvfb xdotool setpriv unshare; do
  command -v "$tool" > /dev/null || { echo "$tool is missing" >&2; exit 1; }
done
seed=${SOAK_SEED:-$$}
RANDOM=$seed

# A fixed name: a server killed hard leaves an entry in JACK's table of
# servers that only a server of the same name reclaims.
server=${SOAK_SERVER:-ampliro-soak}
export JACK_DEFAULT_SERVER=$server
source "$(dirname "$0")/started_processes.sh"
# Killed or interrupted, the script still ends what it started (the EXIT
# trap); killed hard, each child dies with it (--pdeathsig).
trap 'exit 143' TERM INT HUP
orphan_proof=(setpriv --pdeathsig KILL)

log() { echo "[$(date +%T)] $*" >> "$work/events.log"; }
# A long sleep that a signal ends at once (bash runs a trap only between
# commands, and a plain sleep is one command).
nap() {
  sleep "$1" &
  pids+=($!)
  wait $! || true
}

# Numbers scaled to the length of the run, the hour's figures at most.
scaled() { local n=$(($1 * seconds / 3600)); echo $((n < $2 ? $2 : n)); }
changes=$(scaled 100 20)
restarts=$(scaled 10 2)
stretch=$(scaled 60 10)
reference=$(scaled 140 21)
periods=(16 32 64 128 256 512 1024)

# --- the server ------------------------------------------------------------
# Not real-time, so that the run needs no privilege wherever ctest runs it:
# the xruns compare Ampliro with a plain client on the same server. 44100 Hz
# is the rate a fresh program plays at; it refuses a server at another rate
# until the user chooses that rate.
jackd_pid=
start_server() {
  period=256
  "${orphan_proof[@]}" jackd --no-realtime -n "$server" -d dummy -r 44100 -p 256 \
    >> "$work/jackd.log" 2>&1 &
  jackd_pid=$!
  pids+=("$jackd_pid")
  await_jackd "$work/jackd.log"
}
stop_server() {
  kill "$jackd_pid" 2> /dev/null || true
  wait "$jackd_pid" 2> /dev/null || true
}
# A new period, never the one in force.
period=256
change_period() {
  local next=$period
  while [ "$next" -eq "$period" ]; do next=${periods[RANDOM % ${#periods[@]}]}; done
  period=$next
  jack_bufsize "$period" > /dev/null 2>&1 && log "period $period" || log "period $period refused"
}

# --- the foot controller -----------------------------------------------------
mkfifo "$work/commands"
client_pid=
start_client() {
  "${orphan_proof[@]}" "$client" drive --rate 1000 --seed "$seed" "$@" \
    < "$work/commands" > "$work/client.log" 2>&1 &
  client_pid=$!
  pids+=("$client_pid")
  exec 3> "$work/commands"
}
say() { echo "$*" >&3; }
# Ends the client; its last line of figures in `result`.
# ("quit" rather than the end of the pipe: the processes started since
# hold its writing end too.)
stop_client() {
  say quit
  exec 3>&-
  wait "$client_pid" 2> /dev/null || true
  result=$(grep '^result' "$work/client.log" | tail -1 || true)
}
field() { tr ' ' '\n' <<< "$1" | sed -n "s/^$2=//p"; }

# --- the reference: the server alone with a plain loop client ----------------
start_server
start_client --loop
echo "seed $seed; reference: a plain loop client for $reference s ..."
# Every period in turn, for as long each, so that each period's xruns have
# a figure of the server alone to be read against.
for next in "${periods[@]}"; do
  jack_bufsize "$next" > /dev/null 2>&1 || log "period $next refused"
  nap $((reference / ${#periods[@]}))
done
stop_client
alone=$result
stop_server

# --- Ampliro ---------------------------------------------------------------
home=$work/home
recordings=$home/.local/share/ampliro/recordings
presets=$home/.local/share/ampliro/presets
mkdir -p "$recordings" "$presets" "$work/run"
chmod 700 "$work/run"
# A copy of the program in a folder of its own, with the factory presets
# beside it: the build folder is a portable one, and the soak's files belong
# in the fresh home.
mkdir -p "$work/bin"
cp "$program" "$work/bin/ampliro"
program=$work/bin/ampliro
factory=$build/factory-presets
[ ! -d "$factory" ] || ln -s "$factory" "$work/bin/factory-presets"
preset_count=$(find "$factory" -name '*.preset' 2> /dev/null | wc -l)
[ "$preset_count" -gt 0 ] || preset_count=12

# The recordings folder is a small tmpfs of the program's own: the disk can
# fill under the recorder without touching the real one. The script reaches
# it through /proc/PID/root. Without mount namespaces, no disk fills.
# A user who is not root mounts in a user namespace of its own, where it is
# root; the program then runs as that user again in a namespace nested in
# it, because JACK finds its server by the user id (/dev/shm/jack-UID):
# as root there, the program would never see the server.
namespace=()
as_user=
if unshare -m true 2> /dev/null; then
  namespace=(unshare -m)
elif unshare -rm true 2> /dev/null; then
  namespace=(unshare -rm)
  as_user="unshare --user --map-user=$(id -u) --map-group=$(id -g)"
fi

exec 4> "$work/display"
"${orphan_proof[@]}" Xvfb -displayfd 4 -screen 0 640x800x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
exec 4>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
export DISPLAY=:$(cat "$work/display")

program_pid=
ampliro=
window=
scale=1
crashes=0
# A shell in the namespace mounts the tmpfs, runs the program, and copies
# the last recording out before the tmpfs goes with it.
start_program() {
  rm -f "$work/ampliro.pid"
  local run="$as_user ${orphan_proof[*]} '$program' --backend jack & echo \$! > '$work/ampliro.pid'"
  run="$run; wait \$!; code=\$?; cp '$recordings/RECORD.DAT' '$work/last.dat' 2> /dev/null; exit \$code"
  [ "${#namespace[@]}" -eq 0 ] || run="mount -t tmpfs -o size=8m tmpfs '$recordings' || exit 1; $run"
  (cd "$work" && exec env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" \
    XDG_RUNTIME_DIR="$work/run" SDL_VIDEODRIVER=x11 \
    "${namespace[@]}" "${orphan_proof[@]}" sh -c "$run" >> "$work/ampliro.log" 2>&1) &
  program_pid=$!
  pids+=("$program_pid")
  for _ in $(seq 100); do
    [ -s "$work/ampliro.pid" ] && break
    sleep 0.1
  done
  ampliro=$(cat "$work/ampliro.pid")
  pids+=("$ampliro")
  find_window || { echo "Ampliro's window did not appear:" >&2; cat "$work/ampliro.log" >&2; exit 1; }
  sleep 1
  enter  # the introduction
}
# The program's visible window and its scale. Looked up again whenever the
# X id in hand has gone: an id taken while a window was being replaced
# would otherwise send every tap and key to nothing.
find_window() {
  window=
  local geometry=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name Ampliro 2> /dev/null | head -1 || true)
    [ -n "$window" ] && geometry=$(xdotool getwindowgeometry --shell "$window" 2> /dev/null) && break
    sleep 0.1
  done
  [ -n "$geometry" ] || return 1
  eval "$geometry"
  scale=$((WIDTH / 240))
}
# A tap at device coordinates, and the Enter key, which closes a message box
# (its focused button) and does nothing in the program's areas. The key is
# sent to the window itself: the keyboard's own path (XTEST, through the
# focus) loses it at times on a virtual X server without a window manager.
tap() { xdotool mousemove --window "$window" $(($1 * scale)) $(($2 * scale)) click 1 2> /dev/null || true; }
enter() { xdotool key --window "$window" Return 2> /dev/null || true; }
powered() { jack_lsp 2> /dev/null | grep -q '^Ampliro:in$'; }
# The switch is on: the title shows the latency and the dropouts then.
switched_on() { xdotool getwindowname "$window" 2> /dev/null | grep -q ' ms, '; }
# Dismisses whatever the program says, then switches the power on by its
# switch in the Configuration area (where a power-off leaves the program).
# A switch that is on already is left alone: a slow start of the client
# must not be taken for a missed tap and switched off again.
power_on() {
  local tries=0
  until powered; do
    [ $((tries += 1)) -le 20 ] || return 1
    xdotool getwindowname "$window" > /dev/null 2>&1 || find_window || true
    enter
    sleep 0.3
    switched_on || tap 35 84
    for _ in $(seq 50); do powered && break; sleep 0.1; done
  done
}
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status" 2> /dev/null || echo 0; }
alive() { kill -0 "$ampliro" 2> /dev/null; }
# A path inside the program's mount namespace.
inside() { echo "/proc/$ampliro/root$1"; }

start_server
# Wherever the namespace would hide the server from the program (a system
# whose namespaces differ from the ones tried here), the soak runs without
# one, and without the full disk.
if [ "${#namespace[@]}" -gt 0 ] && ! JACK_NO_START_SERVER=1 "${namespace[@]}" sh -c "$as_user jack_lsp" > /dev/null 2>&1; then
  echo "the JACK server is out of reach in a mount namespace: no full disk" >&2
  namespace=()
  as_user=
fi
start_program
power_on || {
  echo "the power did not come on ($(alive && echo "Ampliro runs" || echo "Ampliro has ended")," \
    "uid $(id -u), namespace: ${namespace[*]:-none}); the window's title:" \
    "$(xdotool getwindowname "$window" 2>&1);" \
    "the JACK clients: $(jack_lsp 2>&1 | tr '\n' ' '); the program's log:" >&2
  cat "$work/ampliro.log" >&2
  exit 1
}
start_client
say "list $preset_count"

# An end the script did not ask for is counted, and the program started
# again: a crash (a signal or an error code), or an orderly exit (code 0,
# "Exit Program?" answered Yes), which the soak never means to ask for.
exits=0
watch_program() {
  alive && return 0
  local code=0
  wait "$program_pid" 2> /dev/null || code=$?
  if [ "$code" -eq 0 ]; then exits=$((exits + 1)); else crashes=$((crashes + 1)); fi
  log "Ampliro ended with code $code"
  echo "Ampliro ended by itself (code $code); starting it again" >&2
  tail -20 "$work/ampliro.log" >&2
  start_program
  power_on || log "the power did not come on"
}

# Keeps the program playing: every couple of seconds a message box is closed
# and a power that went off is switched on again.
last_nurse=0
nurse() {
  watch_program
  [ $((SECONDS - last_nurse)) -ge 2 ] || return 0
  last_nurse=$SECONDS
  if powered; then enter; else power_on || log "the power did not come on"; fi
}
# Waits n seconds while nursing.
pass() {
  local until=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$until" ]; do
    nurse
    sleep 0.5
  done
}

restart_server() {
  log "server stops"
  stop_server
  sleep 2
  watch_program
  start_server
  log "server starts"
  sleep 1
  power_on && log "power on again through the window" || log "the power did not come on"
}

recording_ok=1
fill_disk() {
  [ "${#namespace[@]}" -gt 0 ] || { log "no mount namespace: no disk fill"; return 0; }
  say "recorder 0"
  say "cc 104 127"
  sleep 0.5
  say "cc 102 127"
  sleep 3
  log "the disk fills under the recorder"
  local filler
  filler=$(inside "$recordings/filler")
  dd if=/dev/zero of="$filler" bs=64k > /dev/null 2>&1 || true
  sleep 3
  cp "$(inside "$recordings/RECORD.DAT")" "$work/full-disk.dat" 2> /dev/null || true
  if ! "$client" check-recording "$work/full-disk.dat" > "$work/full-disk.check"; then
    recording_ok=0
  fi
  log "after the full disk: $(cat "$work/full-disk.check")"
  rm -f "$filler"
  enter
  say "recorder 1"
}

# --- the warm-up: one of everything, then the memory's first figure --------
echo "warm-up ..."
change_period
pass 3
restart_server
say "presets $preset_count"
pass 3
say "presets 0"
say "cc 102 127"
pass 2
say "cc 104 127"
pass 2
rss_start=$(rss_kb "$ampliro")

# --- the soak: changes at random moments -------------------------------------
# A timetable of "second action" lines, sorted.
{
  for _ in $(seq "$changes"); do echo "$((RANDOM * 32768 + RANDOM)) period"; done |
    awk -v s="$seconds" '{ print $1 % s, $2 }'
  # The restarts, one in each tenth of the run, away from its edges.
  slot=$((seconds / restarts))
  for i in $(seq 0 $((restarts - 2))); do
    echo "$((i * slot + slot / 4 + RANDOM % (slot / 2))) restart"
  done
  echo "$((seconds / 3)) presets"
  echo "$((seconds / 3 + stretch)) presets-end"
  echo "$((seconds * 2 / 3)) fill"
} | sort -n > "$work/timetable"

echo "soak for $seconds s: $changes period changes, $restarts server restarts" \
  "(one in the warm-up), a ${stretch}-second preset stretch, one full disk ..."
begin=$SECONDS
while read -r at action; do
  pass $((begin + at - SECONDS))
  case $action in
    period) change_period ;;
    restart) restart_server ;;
    presets) log "presets every 100 ms"; say "presets $preset_count" ;;
    presets-end) say "presets 0" ;;
    fill) fill_disk ;;
  esac
done < "$work/timetable"
pass $((begin + seconds - SECONDS))
# The last changes settle; then the memory's last figure.
power_on || true
say "recorder 0"
say "presets 0"
pass 3
rss_end=$(rss_kb "$ampliro")
stop_client
with=$result

# --- the end: the program saves and exits as on Ctrl+C ---------------------
watch_program
kill -TERM "$ampliro"
code=0
wait "$program_pid" 2> /dev/null || code=$?
[ "$code" -eq 0 ] || { crashes=$((crashes + 1)); log "Ampliro ended with code $code when told to"; }
ended=$(grep -c 'runtime error\|AddressSanitizer\|terminate called' "$work/ampliro.log" || true)
[ "$ended" -eq 0 ] || crashes=$((crashes + 1))

# The files the program left: the default preset it saved at the end and
# the last recording (copied out of the tmpfs as the program ended).
files_ok=1
"$client" check-preset "$home/.local/share/ampliro/Defaults.preset" > "$work/preset.check" ||
  files_ok=0
[ "${#namespace[@]}" -gt 0 ] || cp "$recordings/RECORD.DAT" "$work/last.dat" 2> /dev/null || true
"$client" check-recording "$work/last.dat" > "$work/recording.check" || files_ok=0
[ "$recording_ok" -eq 1 ] || files_ok=0

growth=$((rss_end - rss_start))
per_minute() { awk "BEGIN { s = $2; printf \"%.2f\", (s > 0 ? $1 * 60 / s : 0) }"; }
echo "crashes:            $crashes"
echo "unasked exits:      $exits"
echo "resident memory:    $rss_start kB after the warm-up, $rss_end kB at the end:" \
  "growth $growth kB"
echo "xruns, server alone: $(field "$alone" xruns) in $(field "$alone" server_seconds) s" \
  "($(per_minute "$(field "$alone" xruns)" "$(field "$alone" server_seconds)") a minute;" \
  "$(field "$alone" settled_xruns) away from period changes)"
echo "xruns, Ampliro:      $(field "$with" xruns) in $(field "$with" server_seconds) s" \
  "($(per_minute "$(field "$with" xruns)" "$(field "$with" server_seconds)") a minute;" \
  "$(field "$with" settled_xruns) away from period changes and restarts)"
# Settled xruns a minute at each period, where the run spent 10 s or more.
by_period() {
  tr ',' '\n' <<< "$(field "$1" settled_by_period)" | awk -F'[:/]' \
    '$3 >= 10 { printf "%s%s: %.1f", sep, $1, $2 * 60 / $3; sep = ", " }'
}
echo "  a minute away from changes, by period: alone $(by_period "$alone"); with Ampliro" \
  "$(by_period "$with")"
echo "MIDI events sent:   $(field "$with" sent) ($(field "$with" dropped) found no room)"
echo "server restarts:    $(grep -c 'server starts' "$work/events.log"), power back on through" \
  "the window $(grep -c 'power on again' "$work/events.log") times"
echo "preset:             $(cat "$work/preset.check")"
echo "last recording:     $(cat "$work/recording.check")"
echo "on the full disk:    $(cat "$work/full-disk.check" 2> /dev/null || echo 'no disk fill')"
if [ -n "${SOAK_LOG:-}" ]; then cp "$work/events.log" "$SOAK_LOG"; fi

failed=0
[ "$crashes" -eq 0 ] || { echo "FAIL: Ampliro crashed" >&2; failed=1; }
if [ "${MEMORY_CHECK:-1}" != 0 ] && [ "$growth" -ge 1024 ]; then
  echo "FAIL: resident memory grew by $growth kB" >&2
  failed=1
fi
[ "$files_ok" -eq 1 ] || { echo "FAIL: a file is not whole" >&2; failed=1; }
exit "$failed"
