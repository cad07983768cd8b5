#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest:
# the normal build (GUI tests under Xvfb), an ASan+UBSan build of the headless layers, and a
# ThreadSanitizer build of the run's tests. Both builds with tests replay the fuzz corpus
# (tests/fuzz); scripts/fuzz does the fuzzing itself.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup

jobs=$(nproc)
# Line tables are all a failing test's backtrace needs; full debug info costs a quarter of the build.
line_tables=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_DEBUG="-g1")

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${line_tables[@]}" \
  -DTAMSEL_BUILD_APP=ON -DTAMSEL_BUILD_BENCH=ON
cmake --build build -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "${line_tables[@]}" \
  -DTAMSEL_SANITIZE=ON -DTAMSEL_BUILD_APP=OFF -DTAMSEL_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${line_tables[@]}" \
  -DTAMSEL_TSAN=ON -DTAMSEL_BUILD_APP=OFF -DTAMSEL_BUILD_BENCH=OFF
cmake --build build-tsan -j "$jobs"

status=0
xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300 || status=1

ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600 || status=1

# The soak runs in the other two builds; under ThreadSanitizer it would only take longer.
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" --timeout 600 -LE soak || status=1

exit "$status"
