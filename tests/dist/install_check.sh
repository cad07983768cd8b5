#!/usr/bin/env bash
# Installs the build into a temporary root, checks what lands where, and runs the installed
# tamsel-cli detect against the installed simulator on a port the system picks.
# Usage: install_check.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 app_id=$2 version=$3

root=$(mktemp -d)
sim_pid=
cleanup() {
  if [[ -n "$sim_pid" ]]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
for file in bin/tamsel bin/tamsel-cli bin/tamsel-market-sim \
    "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$app_id.svg" \
    "share/icons/hicolor/48x48/apps/$app_id.png" "share/icons/hicolor/256x256/apps/$app_id.png" \
    share/man/man1/tamsel-cli.1.gz share/man/man1/tamsel-market-sim.1.gz \
    lib/systemd/user/tamsel-watch.service lib/systemd/user/tamsel-watch.timer \
    share/doc/tamsel/copyright share/doc/tamsel/changelog.gz; do
  [[ -f $usr/$file ]] || fail "/usr/$file is not installed"
done
[[ ! -e $usr/bin/tamsel-demo && ! -e $usr/bin/market-sim ]] || fail "a development program is installed"
[[ $(file -b "$usr/share/icons/hicolor/48x48/apps/$app_id.png") == "PNG image data, 48 x 48,"* ]] ||
  fail "the 48 px icon is not a 48x48 PNG"

[[ $("$usr/bin/tamsel-cli" --version) == "tamsel-cli $version" ]] || fail "tamsel-cli --version"
[[ $("$usr/bin/tamsel-market-sim" --version) == "tamsel-market-sim $version" ]] || fail "tamsel-market-sim --version"

# The first line names the port; the rest of the log drains into a file.
exec 3< <(exec "$usr/bin/tamsel-market-sim" --port 0)
sim_pid=$!
read -r -t 20 first <&3 || fail "the simulator did not start"
cat <&3 >"$root/sim.log" &
[[ $first =~ ^market-sim\ listening\ on\ http://127\.0\.0\.1:([0-9]+)/$ ]] || fail "unexpected first line: $first"
port=${BASH_REMATCH[1]}

status=0
timeout 120 "$usr/bin/tamsel-cli" detect --search-host "127.0.0.1:$port" demo-shop >"$root/out" || status=$?
[[ $status -eq 0 ]] || fail "tamsel-cli detect exited $status"
# 17459804930 is one of the demo shop's items missing from the sales order.
awk '/^# sgData2$/ { grid = 1; next } /^# / { grid = 0 } grid && /\t17459804930(\t|$)/ { found = 1 }
     END { exit !found }' "$root/out" || fail "the demoted item is not in sgData2"
echo "installed tamsel-cli detect: $(grep -c . "$root/out") lines from the installed simulator on port $port"
