#!/usr/bin/env bash
# The Windows build and its tests: set-up (mingw-w64, wine, the LittleCMS and
# libpng sources), the windows-x64 preset built and its suite run under wine,
# the windows-x86 preset built (the DLL, the programs, the tools and the
# examples, C hosts linking the DLL by name: linking them checks the 32-bit
# calling convention and import library), and both DLLs' export tables
# checked. 32-bit programs cannot run here (the kernel refuses them), so the
# x86 build is built and inspected only.
set -euo pipefail
cd "$(dirname "$0")/.."

# A wine prefix of our own, made without questions; its server kept running
# for the whole suite (each program then starts in a fraction of a second).
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX="$(mktemp -d)"
export WINEPREFIX
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

bash scripts/build.sh windows-x64
wineserver -p
wineboot -i >/dev/null 2>&1
# A desktop kept for the whole suite: without one, each program's first
# window (the library's status window) waits seconds for wine to start one.
wine explorer.exe /desktop=default </dev/null >/dev/null 2>&1 &
ctest --preset windows-x64 -j"$(nproc)" --timeout 120

TZ_WINDOWS=1 bash scripts/setup.sh
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86 -j"$(nproc)"
bash scripts/check_exports.sh i686-w64-mingw32-objdump build/windows-x86/bin/TZ5170upgrade.dll
bash scripts/check_exports.sh x86_64-w64-mingw32-objdump build/windows-x64/bin/TZ5170upgrade.dll
