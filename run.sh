#!/usr/bin/env bash
# Installs what is missing, builds Sonkora and starts it.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONKORA_TESTS=OFF -DSONKORA_BENCH=OFF
cmake --build build -j "$(nproc)"

exec ./build/bin/sonkorac "$@"
