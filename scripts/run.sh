#!/usr/bin/env bash
# The main job: set-up, build, then start two virtual printers, find them
# through our USB control library and drive them through the printer-control
# library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
bin="$PWD/build/default/bin"

folder="$(mktemp -d /tmp/tz5170-printers.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT

for serial in TZ000101 TZ000102; do
  "$bin/TZ5170Emulator" --dir "$folder" --serial "$serial" --state "$folder/$serial.json" &
  pids+=("$!")
done
for serial in TZ000101 TZ000102; do
  for _ in $(seq 100); do [ -S "$folder/$serial.sock" ] && break; sleep 0.05; done
done

export TZ5170_EMULATOR="$folder"
echo "== devices seen by libTZ5170UsbCtrl.so"
"$bin/tz5170-list-devices"
echo "== the printer-control library"
"$bin/tz5170-demo"
