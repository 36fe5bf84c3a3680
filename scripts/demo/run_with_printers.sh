#!/usr/bin/env bash
# run_with_printers.sh BIN_DIR COMMAND...: starts two virtual printers in a
# temporary folder, runs COMMAND with TZ5170_EMULATOR pointing at them, stops
# the printers. Exits with the command's status. The printers run twenty times
# faster than real ones (a MAIN firmware rewrite takes 1 s instead of 20 s).
# What they print lands in TZ5170_PRINTS (a PNG and a JSON file per copy):
# the caller's folder when it names one, which is kept, else one inside the
# temporary folder.
set -euo pipefail
bin="$1"
shift
folder="$(mktemp -d /tmp/tz5170-printers.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT

prints="${TZ5170_PRINTS:-$folder/prints}"
mkdir -p "$prints"
for serial in TZ000101 TZ000102; do
  "$bin/TZ5170Emulator" --dir "$folder" --serial "$serial" --state "$folder/$serial.json" \
    --output "$prints" --time-scale 0.05 >/dev/null &
  pids+=("$!")
done
for serial in TZ000101 TZ000102; do
  for _ in $(seq 200); do [ -S "$folder/$serial.sock" ] && break; sleep 0.05; done
done

export TZ5170_EMULATOR="$folder"
# Only these two: real printers behind a USB bridge stay out of it.
export TZ5170_USB_DIR="$folder/no-usb-bridge"
export TZ5170_PRINTS="$prints"
"$@"
