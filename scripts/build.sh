#!/usr/bin/env bash
# Installs what is missing, then configures and builds one preset
# (default, asan, tsan, or windows-x64 / windows-x86 with mingw-w64).
# Used by run.sh, test.sh and test_windows.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
case "$preset" in
  windows-*)
    TZ_WINDOWS=1 bash scripts/setup.sh
    bash scripts/fetch_windows_sources.sh
    ;;
  *) bash scripts/setup.sh ;;
esac
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
