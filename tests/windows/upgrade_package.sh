#!/usr/bin/env bash
# upgrade_package.sh BIN: under wine, against the printers of TZ5170_EMULATOR:
# makes a firmware package with TZ5170Firmware.exe, adds the Windows
# launcher LamiImageDl.bat and the laminate program with its DLLs in the
# pattern folder, runs TZ5170upgrade.exe on it, then waits for the laminate
# program of each printer (the launcher marks while it runs) and shows what
# each printed.
set -euo pipefail
bin="$1"
package="$(mktemp -d)"
trap 'rm -rf "$package"' EXIT
wine "$bin/TZ5170Firmware.exe" package --dir "$package" --version 06.05 >/dev/null
patterns="$package/TZ5170_LM_Patterns_for_panoramic"
cp "$bin"/TZ5170Laminate.exe "$bin"/TZ5170upgrade.dll "$bin"/TZ5170UsbCtrl.dll "$bin"/TZ5170ColorMatch.dll "$patterns"
# The launcher of the package: runs the one-line batch file the upgrade
# program wrote, in the pattern folder, its output kept per run.
printf '%s\r\n' '@echo off' \
  'cd /d "%~dp0TZ5170_LM_Patterns_for_panoramic"' \
  'set mark=..\laminate-running.%RANDOM%' \
  'echo running> %mark%' \
  'call Sandtexture_2464x3720_V1.bat > %mark%.log 2>&1' \
  'move /y %mark%.log %mark%.done >nul' \
  'del %mark%' > "$package/LamiImageDl.bat"
cd "$package"
TZ5170_UPGRADE_TIME_SCALE=0.05 wine "$bin/TZ5170upgrade.exe" TZ5170upgrade.ini | tr -d '\r'
# Both laminate runs ended (at most 60 s).
for _ in $(seq 600); do
  [ "$(ls laminate-running.*.done 2>/dev/null | wc -l)" -ge 2 ] && ! ls laminate-running.* 2>/dev/null | grep -qv '\.done$' && break
  sleep 0.1
done
for log in laminate-running.*.done; do echo "== laminate run"; tr -d '\r' < "$log"; done
