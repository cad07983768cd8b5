#!/usr/bin/env bash
# Builds the Debian package from the build with CPack, checks that dpkg-shlibdeps filled in
# Depends, and runs lintian on it: errors fail, warnings are printed.
# Usage: package_check.sh BUILD_DIR VERSION LINTIAN
set -euo pipefail
build=$1 version=$2 lintian=$3

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

"$lintian" --fail-on error --tag-display-limit 0 --display-info "$deb"
