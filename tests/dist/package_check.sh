#!/usr/bin/env bash
# Builds the Debian package from the build with CPack, checks that dpkg-shlibdeps filled in
# Depends, has systemd verify the user units it holds, and runs lintian on it: errors fail,
# warnings are printed.
# Usage: package_check.sh BUILD_DIR VERSION LINTIAN SYSTEMD_ANALYZE
set -euo pipefail
build=$1 version=$2 lintian=$3 systemd_analyze=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(umask 022 && cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/tamsel_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { ls "$work" >&2; fail "no $(basename "$deb")"; }

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
names=$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")
for package in libc6 libstdc++6 libqt6widgets6 libqt6webenginewidgets6 zlib1g libcpp-httplib0.11; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
done
! dpkg-deb --contents "$deb" | grep -E ' \./usr/bin/(tamsel-demo|market-sim)$' || fail "a development program is packaged"

# systemd-analyze checks that ExecStart names an executable, so the copies it verifies name the
# tamsel-cli unpacked from the package. Any complaint fails: a misspelt key is only a warning.
dpkg-deb -x "$deb" "$work/root"
units=$work/root/usr/lib/systemd/user
grep -qxF 'ExecStart=/usr/bin/tamsel-cli watch run --notify' "$units/tamsel-watch.service" ||
  fail "tamsel-watch.service does not run /usr/bin/tamsel-cli watch run --notify"
mkdir -m 700 "$work/runtime" "$work/units" "$work/misspelt"
sed "s|^ExecStart=/usr/bin/|ExecStart=$work/root/usr/bin/|" "$units/tamsel-watch.service" >"$work/units/tamsel-watch.service"
cp "$units/tamsel-watch.timer" "$work/units/"
verify_units() {
  local complaints
  complaints=$(XDG_RUNTIME_DIR=$work/runtime "$systemd_analyze" --user --man=no verify \
    "$1/tamsel-watch.service" "$1/tamsel-watch.timer" 2>&1) && [[ -z $complaints ]] || { echo "$complaints"; return 1; }
}
verify_units "$work/units" >&2 || fail "systemd-analyze verify finds fault with the user units"
# A verification that passed this would prove nothing.
sed 's/^Persistent=/Persistant=/' "$work/units/tamsel-watch.timer" >"$work/misspelt/tamsel-watch.timer"
cp "$work/units/tamsel-watch.service" "$work/misspelt/"
! verify_units "$work/misspelt" >/dev/null || fail "systemd-analyze verify passes a misspelt unit"
! dpkg-deb --contents "$deb" | grep -q '\.wants/' || fail "the package enables a unit"

"$lintian" --fail-on error --tag-display-limit 0 --display-info "$deb"
