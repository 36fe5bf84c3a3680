#!/usr/bin/env bash
# upgrade_demo.sh BIN_DIR: makes a firmware package (version 06.05 of every
# part) in a temporary folder and runs the upgrade program on it against the
# printers of TZ5170_EMULATOR, with its waits twenty times shorter; then waits
# for the laminate pattern program, which the package launcher starts for
# each printer beside the upgrade program and marks while it runs.
set -euo pipefail
bin="$1"
package="$(mktemp -d /tmp/tz5170-package.XXXXXX)"
trap 'rm -rf "$package"' EXIT
"$bin/TZ5170Firmware" package --dir "$package" --version 06.05 --programs "$bin" | head -n 1
cd "$package"
TZ5170_UPGRADE_TIME_SCALE=0.05 "$bin/TZ5170upgrade" TZ5170upgrade.ini
sleep 1
for _ in $(seq 600); do ls laminate-running.* >/dev/null 2>&1 || break; sleep 0.1; done
