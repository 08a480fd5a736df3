#!/usr/bin/env bash
# Installs what is missing, builds Sonkora and runs every test: the full build (core,
# playback, shell, command-line tool), its Debian package, and then the core again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Formatting"
find src tests fuzz bench tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

echo "== Full build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Debian package"
tests/install/check_package.sh build

echo "== Core under AddressSanitizer and UndefinedBehaviorSanitizer, fuzz seed corpora replayed"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DSONKORA_CORE_ONLY=ON -DSONKORA_SANITIZE=ON -DSONKORA_BENCH=OFF
cmake --build build-sanitize -j "$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")
