#!/usr/bin/env bash
# run_with_printers.sh BIN SERIAL... -- COMMAND...: starts a virtual printer
# (BIN/TZ5170Emulator.exe, under wine) for each serial in a new folder named
# by TZ5170_EMULATOR, runs COMMAND in BIN (WINEPREFIX as given), and ends the
# printers again. COMMAND's exit status is the script's.
set -euo pipefail
bin="$1"
shift
serials=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do serials+=("$1"); shift; done
shift
folder="$(mktemp -d)"
export TZ5170_EMULATOR="$folder"
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$folder"
}
trap stop EXIT
for serial in "${serials[@]}"; do
  wine "$bin/TZ5170Emulator.exe" --dir "$folder" --serial "$serial" --time-scale 0.01 --output "$folder" &
  pids+=($!)
done
# Each printer shows itself with a file in the folder once it listens.
for _ in $(seq 100); do
  [ "$(ls "$folder"/*.sock 2>/dev/null | wc -l)" -ge "${#serials[@]}" ] && break
  sleep 0.1
done
cd "$bin"
"$@"
