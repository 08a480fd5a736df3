#!/usr/bin/env bash
# Installs what is missing, builds Sonkora and starts it. Sonkora is a windowed
# program: it needs a display (X11 or Wayland).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONKORA_TESTS=OFF -DSONKORA_BENCH=OFF
cmake --build build -j "$(nproc)" --target sonkora sonkorac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
Sonkora is a windowed program and no display is available here (neither DISPLAY nor
WAYLAND_DISPLAY is set).

  - On a desktop, run ./run.sh from a terminal inside your desktop session.
  - Over ssh, connect with X forwarding: ssh -X HOST, then ./run.sh.
  - Without any screen, start it on a virtual X server (Debian package xvfb):
        xvfb-run -a -s "-screen 0 1280x800x24" ./run.sh

Sonkora is built; the command-line tool needs no display:  build/bin/sonkorac
MSG
  exit 2
fi

exec ./build/bin/sonkora "$@"
