#!/usr/bin/env bash
# Installs the Debian package on a clean Debian 12 system, as a user would,
# and removes it again: a minimal bookworm made with debootstrap in a
# scratch folder, `apt-get install ./ampliro_*.deb` inside it (apt fetches
# the dependencies), the desktop entry's command started under Xvfb as an
# ordinary user with a fresh home, a screenshot of the Presets area with the
# factory presets, then `apt-get purge`, after which nothing of the package
# may remain. Needs root and the network; not part of tools/test.sh.
#
#   sudo tools/check_clean_install.sh [BUILD_FOLDER] [SCRATCH]
#
# BUILD_FOLDER holds the package (tools/check_package.sh makes it; default
# build); SCRATCH is where the system is made (default: a new temporary
# folder, removed at the end). The screenshot is left as presets.png in the
# current folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$top/build}")
deb=$(ls "$build"/ampliro_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || { echo "no package in $build: run tools/check_package.sh first" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "run as root (debootstrap and chroot)" >&2; exit 1; }
command -v debootstrap > /dev/null || apt-get install -y -q debootstrap > /dev/null

root=${2:-}
made=
if [ -z "$root" ]; then
  root=$(mktemp -d)
  made=1
fi
cleanup() {
  umount "$root/proc" 2> /dev/null || true
  [ -z "$made" ] || rm -rf "$root"
}
trap cleanup EXIT

[ -x "$root/usr/bin/apt-get" ] ||
  debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian > "$root.log" 2>&1
cp /etc/resolv.conf "$root/etc/"
mount -t proc proc "$root/proc"
mkdir -p "$root/tmp/deb"
cp "$deb" "$root/tmp/deb/"

echo "== apt-get install ./$(basename "$deb") on a clean bookworm"
# (apt's complaints about /dev/pts and apt-utils in a bare chroot are noise.)
chroot "$root" bash -c 'apt-get update -q &&
  apt-get install -y -q /tmp/deb/ampliro_*.deb &&
  apt-get install -y -q --no-install-recommends xvfb xauth xdotool imagemagick' \
  > "$root/tmp/apt.log" 2>&1 || { cat "$root/tmp/apt.log" >&2; exit 1; }

echo "== the desktop entry's command, as a user with a fresh home"
cat > "$root/tmp/start.sh" << 'EOF'
#!/bin/bash
set -e
cd ~
export SDL_AUDIODRIVER=dummy DISPLAY=:5
Xvfb :5 -screen 0 800x700x24 > /dev/null 2>&1 &
xvfb=$!
sleep 1
command=$(sed -n 's/^Exec=//p' /usr/share/applications/io.github.ampliro.Ampliro.desktop)
$command > /tmp/ampliro.log 2>&1 &
program=$!
sleep 3
# The intro's "Don't show me again!", the power switch, then two areas right.
xdotool mousemove 400 524 click 1
sleep 1
xdotool mousemove 230 198 click 1
sleep 2
xdotool key Right
sleep 1
xdotool key Right
sleep 1
import -window root -crop 480x640+160+30 /tmp/presets.png
kill -0 "$program"
kill "$program"
wait "$program" || true
kill "$xvfb"
EOF
chmod +x "$root/tmp/start.sh"
chroot "$root" bash -c 'userdel -r player > /dev/null 2>&1; useradd -m player; su - player -c /tmp/start.sh'
cp "$root/tmp/presets.png" presets.png
echo "presets.png: the Presets area of the installed program"

echo "== apt-get purge"
chroot "$root" apt-get purge -y -q ampliro > "$root/tmp/apt.log" 2>&1 ||
  { cat "$root/tmp/apt.log" >&2; exit 1; }
left=$(chroot "$root" bash -c 'ls -d /usr/bin/ampliro* /usr/share/ampliro /usr/lib/lv2/ampliro.lv2 \
  /usr/share/applications/io.github.ampliro.Ampliro.desktop 2> /dev/null' || true)
[ -z "$left" ] || { echo "left behind after purge: $left" >&2; exit 1; }
echo "== installed, started, shown and removed cleanly"
