#!/usr/bin/env bash
# The main job: set-up, build, then start two virtual printers, find them
# through our USB control library, drive them through the printer-control
# library, and rewrite their MAIN firmware with a file made for the purpose.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
bin="$PWD/build/default/bin"

exec scripts/demo/run_with_printers.sh "$bin" bash -c '
  echo "== devices seen by libTZ5170UsbCtrl.so"
  "$0/tz5170-list-devices"
  echo "== the printer-control library"
  "$0/tz5170-demo"
  echo "== the service tool"
  "$0/TZ5170Ctl" list
  "$0/TZ5170Ctl" --serial TZ000101 info
  echo "== a MAIN firmware update of both printers"
  firmware="$(mktemp -d /tmp/tz5170-firmware.XXXXXX)"
  trap "rm -rf \"$firmware\"" EXIT
  "$0/TZ5170Firmware" make MAIN --version 06.00 -o "$firmware/main.bin" &&
    "$0/tz5170-firmware-demo" "$firmware/main.bin"' "$bin"
