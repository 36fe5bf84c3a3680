#!/usr/bin/env bash
# printer_app_demo.sh BIN_DIR IMAGE: the printer application on a free
# localhost port, its state in a temporary folder, serving the virtual
# printers of TZ5170_EMULATOR; prints IMAGE on TZ000101 as any IPP client
# would (ipptool and CUPS's print-job-and-wait.test) and shows the PNG the
# printer wrote into TZ5170_PRINTS. Stops the application again.
set -euo pipefail
bin="$1"
image="$2"
folder="$(mktemp -d /tmp/tz5170-app.XXXXXX)"
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$folder"
}
trap cleanup EXIT

port=8631
while (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
app=("$bin/tz5170-printer-app" server -o "server-port=$port" -o listen-hostname=localhost
  -o "state-file=$folder/app.state" -o "spool-directory=$folder/spool" -o "log-file=$folder/app.log")
# As root, a /run of its own: the local socket PAPPL always opens there stays
# away from an installed service's.
if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  app=(unshare -m --propagation private /bin/sh -c 'mount -t tmpfs tmpfs /run && exec "$0" "$@"' "${app[@]}")
fi
"${app[@]}" &
pid=$!

uri="ipp://localhost:$port/ipp/print/TZ000101"
for _ in $(seq 150); do
  ipptool -q "$uri" get-printer-attributes.test 2>/dev/null && break
  sleep 0.2
done
echo "tz5170-printer-app on port $port serves $uri"
touch "$folder/before"
ipptool -t -f "$image" "$uri" print-job-and-wait.test | grep -E 'PASS|FAIL|job-state \(' | sed 's/^ *//'
echo "what came out of TZ000101:"
find "$TZ5170_PRINTS" -name 'TZ000101-*.png' -newer "$folder/before" | sort
