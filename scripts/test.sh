#!/usr/bin/env bash
# The whole test suite: set-up, build, ctest. Optional argument: the preset
# (default, asan for AddressSanitizer + UndefinedBehaviorSanitizer, tsan for
# ThreadSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
bash scripts/build.sh "$preset"
ctest --preset "$preset" -j"$(nproc)"
