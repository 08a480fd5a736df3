#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Sonkora need.
# Skips apt entirely when everything is already there, so repeated runs are quick.
# Runs as root, or through sudo when that is available.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # GUI and printing
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation
  # playback: built-in synthesizer, General MIDI soundfont, system MIDI ports
  libfluidsynth-dev timgm6mb-soundfont librtmidi-dev
  # UltraStar export audio: the Ogg Vorbis encoder
  libvorbis-dev
  # tests, benchmarks, fuzzing
  libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format
  # hyphenation benchmark baseline: the library, its dictionaries, word lists
  libhyphen-dev hyphen-en-us hyphen-de hyphen-nl hyphen-en-gb wamerican wngerman wdutch wbritish
  # headless checks: a real X server for screenshots, PDF text, independent MIDI readers
  xvfb xauth poppler-utils python3 python3-mido midicsv
  # desktop files: icon rendering at build time; the validators and manual page lint of
  # the install test; bash completion for the completion test
  librsvg2-bin desktop-file-utils appstream libxml2-utils shared-mime-info mandoc file
  bash-completion
  # the Debian package: dependencies from the binaries, and its check
  dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
  else
    echo "error: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
