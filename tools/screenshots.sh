#!/usr/bin/env bash
# Takes the README's pictures of the program's five areas from the real
# program in a virtual X server. Needs xvfb, xdotool and imagemagick. The
# input is a steady A2 four cents sharp (110.25 Hz), which the tuner reads in
# the last picture.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/docs/screenshots"
mkdir -p "$out"
cmake --build "$top/build" --target ampliro >/dev/null
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
work="$base/Ampliro"
mkdir -p "$work"
cp "$top/build/ampliro" "$work/"
# A portable copy: its files stay in $work, none in the user's home.
touch "$work/portable"
# Two minutes of 16-bit mono at 44100 Hz for SDL's disk driver to capture.
perl -e 'my $f = 110 * 2 ** (4 / 1200);
  print pack("s<*", map { int(12000 * sin(2 * 3.14159265358979 * $f * $_ / 44100)) } 0 .. 44100 * 120 - 1);' \
  > "$base/a2.raw"

cat > "$work/session.sh" <<'SESSION'
set -e
cd "$1"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILEIN="$3" SDL_DISKAUDIOFILE=/dev/null ./ampliro &
sleep 3
win=$(xdotool search --onlyvisible --name Ampliro | head -1)
shot() { import -window "$win" "$2/$1.png"; }
eval "$(xdotool getwindowgeometry --shell "$win")"
scale=$((WIDTH / 240))
tap() { xdotool mousemove --window "$win" $(($1 * scale)) $(($2 * scale)) click 1; sleep 0.6; }
shot intro "$2"
xdotool key Return; sleep 0.6
tap 35 84
shot configuration "$2"
# The Effects area opens on the first pedal of the chain, the Noise Gate;
# the Overdrive is the next.
xdotool key Right Down; sleep 0.6; shot effects "$2"
xdotool key Down Down Down Down Down Down; sleep 0.6; shot reverb "$2"
# The Amp, three on, before the Cabinet at the end of the chain.
xdotool key Down Down Down; sleep 0.6; shot amp "$2"
xdotool key Right; sleep 0.6; shot presets "$2"
xdotool key Right; sleep 0.6
tap 155 201  # the 440Hz switch, lit while it plays
shot metronome "$2"
xdotool key Right; sleep 0.6
tap 44 82; sleep 4   # Record four seconds of the input
tap 143 82           # Stop
tap 94 82; sleep 2   # Play: the reels turn, the time runs
shot recorder "$2"
tap 143 82
tap 231 8  # the tuning fork in the top right corner
sleep 1; shot tuner "$2"
kill %1
SESSION
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$work" "$out" "$base/a2.raw"
ls "$out"
