#!/usr/bin/env bash
# The main job: set-up, build, then start two virtual printers, find them
# through our USB control library, drive them through the printer-control
# library, then upgrade both with the firmware upgrade program from a firmware
# package made for the purpose: parts, restart, densities and laminate pattern;
# then print the project's test chart on both at once, as a JPEG photo would
# be printed, and once more through the IPP Everywhere printer application.
# What the printers print is kept in build/prints.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
bin="$PWD/build/default/bin"
export TZ5170_PRINTS="$PWD/build/prints"
rm -rf "$TZ5170_PRINTS"

exec scripts/demo/run_with_printers.sh "$bin" bash -c '
  echo "== devices seen by libTZ5170UsbCtrl.so"
  "$0/tz5170-list-devices"
  echo "== the printer-control library"
  "$0/tz5170-demo"
  echo "== the service tool"
  "$0/TZ5170Ctl" list
  "$0/TZ5170Ctl" --serial TZ000101 info
  echo "== the upgrade program on a firmware package made for both printers"
  scripts/demo/upgrade_demo.sh "$0"
  echo
  echo "== firmware afterwards"
  for serial in TZ000101 TZ000102; do "$0/TZ5170Ctl" --serial "$serial" info | sed -n "1,2p;4,10p"; done
  echo
  echo "== the test chart, as a JPEG photo, printed on both printers at once"
  "$0/TZ5170Ctl" chart -o "$TZ5170_PRINTS/chart.jpg"
  "$0/TZ5170Ctl" --serial TZ000101 --serial TZ000102 print "$TZ5170_PRINTS/chart.jpg" "$TZ5170_PRINTS/chart.jpg"
  echo "what came out of the printers:"
  ls -1 "$TZ5170_PRINTS"/*.png
  echo
  echo "== the test chart once more, through the printer application, as a phone or CUPS would send it"
  scripts/demo/printer_app_demo.sh "$0" "$TZ5170_PRINTS/chart.jpg"' "$bin"
