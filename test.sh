#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest:
# the normal build (GUI tests under Xvfb) and an ASan+UBSan build of the headless layers.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup

jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTAMSEL_SANITIZE=ON -DTAMSEL_BUILD_APP=OFF -DTAMSEL_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"

status=0
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300 || status=1

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600 || status=1

exit "$status"
