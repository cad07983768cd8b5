#!/usr/bin/env bash
# Installs what is missing, builds, and opens the demo window against the bundled
# marketplace simulator on 127.0.0.1:18109. Without a display it runs the same demo
# shop headless instead. The simulator stops when the window closes.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/setup
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMSEL_BUILD_APP=ON -DTAMSEL_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$(nproc)" --target tamsel-demo market-sim tamsel-cli

port=18109
log=$(mktemp)
sim_pid=
cleanup() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$log"
}
trap cleanup EXIT

build/tools/market-sim/market-sim --port "$port" >"$log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q "^market-sim listening on" "$log" && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "run.sh: market-sim could not start on port $port:" >&2
    cat "$log" >&2
    exit 1
  fi
  sleep 0.1
done

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset); running the demo shop headless."
  build/tools/cli/tamsel-cli detect --search-host "127.0.0.1:$port" demo-shop
else
  build/app/tamsel-demo
fi
