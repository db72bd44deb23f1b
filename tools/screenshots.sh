#!/usr/bin/env bash
# Takes the README's pictures of the program's five areas from the real
# program in a virtual X server. Needs xvfb, xdotool and imagemagick.
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

cat > "$work/session.sh" <<'SESSION'
set -e
cd "$1"
SDL_AUDIODRIVER=dummy ./ampliro &
sleep 3
win=$(xdotool search --name Ampliro | head -1)
shot() { import -window "$win" "$2/$1.png"; }
eval "$(xdotool getwindowgeometry --shell "$win")"
scale=$((WIDTH / 240))
tap() { xdotool mousemove --window "$win" $(($1 * scale)) $(($2 * scale)) click 1; sleep 0.6; }
shot intro "$2"
xdotool key Return; sleep 0.6
tap 35 84
shot configuration "$2"
xdotool key Right; sleep 0.6; shot effects "$2"
xdotool key Down Down Down Down Down Down; sleep 0.6; shot reverb "$2"
xdotool key Right; sleep 0.6; shot presets "$2"
xdotool key Right; sleep 0.6
tap 155 201  # the 440Hz switch, lit while it plays
shot metronome "$2"
xdotool key Right; sleep 0.6; shot recorder "$2"
kill %1
SESSION
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$work" "$out"
ls "$out"
