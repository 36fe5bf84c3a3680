#!/usr/bin/env bash
# check_clean_root.sh [BUILD_DIR]: the Debian package on a clean Debian 12.
# Makes a minimal bookworm root with debootstrap, installs the package there
# with apt-get (which fetches its dependencies from the archive), and inside it
# runs TZ5170Ctl from PATH against two virtual printers, builds and runs a C
# client with `pkg-config --cflags --libs tz5170`, then purges the package.
# Needs root (chroot, mounts) and the Debian archive; a few minutes. It is run
# by hand, not in CI.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$PWD"
build="$(cd "${1:-build/default}" && pwd)"

fail() { echo "check_clean_root: $*" >&2; exit 1; }
step() { echo "== $*"; }

work="$(mktemp -d /var/tmp/tz5170-clean-root.XXXXXX)"
trap 'rm -rf "$work"' EXIT
step "cpack -G DEB"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null
deb="$(ls "$work"/deb/tz5170_*.deb)"
basename "$deb"

source scripts/lib/clean_root.sh
make_clean_root "$work"

step "apt-get install ./$(basename "$deb") in the clean root"
cp "$deb" "$root/tmp/"
in_root apt-get install -y -qq --no-install-recommends "/tmp/$(basename "$deb")" >"$work/apt.txt" 2>&1 ||
  { tail -30 "$work/apt.txt"; fail "the package does not install"; }
echo "$(grep -c '^Setting up' "$work/apt.txt") packages set up"
[ "$(in_root stat -c %a /run/tz5170)" = 770 ] || fail "/run/tz5170 is not mode 0770 after the installation"

step "TZ5170Ctl list from PATH, with two virtual printers"
cp scripts/demo/run_with_printers.sh "$root/tmp/"
in_root bash /tmp/run_with_printers.sh /usr/bin bash -c 'command -v TZ5170Ctl && TZ5170Ctl list' | tee "$work/list.txt"
grep -q '^/usr/bin/TZ5170Ctl$' "$work/list.txt" || fail "TZ5170Ctl is not on PATH"
for serial in TZ000101 TZ000102; do grep -q "$serial" "$work/list.txt" || fail "TZ5170Ctl list did not list $serial"; done

step "a C client with pkg-config --cflags --libs tz5170"
in_root apt-get install -y -qq --no-install-recommends gcc libc6-dev pkg-config >"$work/apt.txt" 2>&1 ||
  { tail -30 "$work/apt.txt"; fail "no compiler in the clean root"; }
cp "$source_dir/tests/install/client.c" "$root/tmp/"
# shellcheck disable=SC2016 # the shell in the root expands it
in_root sh -c 'cc -std=c11 -Wall -Wextra -Werror /tmp/client.c $(pkg-config --cflags --libs tz5170) -o /tmp/client'
in_root bash /tmp/run_with_printers.sh /usr/bin /tmp/client | tee "$work/client.txt"
grep -q "^printer TZ000102: status 0\$" "$work/client.txt" || fail "the client did not reach printer TZ000102"

step "apt-get purge tz5170"
in_root apt-get purge -y -qq tz5170 >"$work/apt.txt" 2>&1 || { tail -30 "$work/apt.txt"; fail "purge failed"; }
for path in /usr/bin/TZ5170Ctl /usr/include/tzpusb.h /lib/udev/rules.d/60-tz5170.rules /run/tz5170; do
  [ ! -e "$root$path" ] || fail "left after purging: $path"
done
echo "check_clean_root: the package installs, runs and goes on a clean Debian 12"
