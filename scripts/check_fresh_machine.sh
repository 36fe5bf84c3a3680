#!/usr/bin/env bash
# check_fresh_machine.sh: the README's two commands on a fresh Debian 12 where
# only git is present. A clean, minimal bookworm root (debootstrap) gets git
# and a clone of this repository's HEAD, then runs `bash scripts/test.sh` and
# `bash scripts/run.sh` there, which must install everything else themselves.
# Needs root (chroot, mounts) and the Debian archive; about fifteen minutes on
# two cores. It is run by hand, not in CI.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "check_fresh_machine: $*" >&2; exit 1; }
step() { echo "== $*"; }

source scripts/lib/clean_root.sh
work="$(mktemp -d /var/tmp/tz5170-fresh-machine.XXXXXX)"
make_clean_root "$work"

step "git, and a clone of $(git rev-parse --short HEAD)"
in_root apt-get install -y -qq --no-install-recommends git >"$work/apt.txt" 2>&1 ||
  { tail -30 "$work/apt.txt"; fail "git does not install"; }
git bundle create "$root/root/tz5170.bundle" HEAD 2>/dev/null
in_root git -c advice.detachedHead=false clone -q /root/tz5170.bundle /root/tz5170

for command in test run; do
  step "bash scripts/$command.sh"
  started=$SECONDS
  in_root bash -c "cd /root/tz5170 && bash scripts/$command.sh" >"$work/$command.txt" 2>&1 ||
    { tail -40 "$work/$command.txt"; fail "scripts/$command.sh failed on the fresh machine"; }
  tail -3 "$work/$command.txt"
  echo "($((SECONDS - started)) s)"
done
echo "check_fresh_machine: both commands work on a fresh Debian 12"
