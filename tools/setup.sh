#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# and only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-format
  libsdl2-dev libsdl2-image-dev libsoundtouch-dev libsndfile1-dev
  libfreetype-dev fonts-dejavu-core libjpeg62-turbo-dev zlib1g-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  sox espeak-ng libjpeg-turbo-progs console-setup-linux
  libjack-jackd2-dev jackd2 pulseaudio pulseaudio-utils libpulse-dev libasound2-dev
  lv2-dev lilv-utils xvfb xdotool
  libeigen3-dev nlohmann-json3-dev libfftw3-dev libsamplerate0-dev
  librsvg2-bin desktop-file-utils appstream lintian man-db
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  # jackd2 asks whether to grant real-time priority to the audio group; the
  # tests run their servers without it, so the answer is no and not asked.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | "${sudo_cmd[@]}" debconf-set-selections
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
