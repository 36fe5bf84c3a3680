#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
# Findings are written to build/fuzz/findings/<target>/; the corpus grows in
# build/fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
TZ_EXTRA_PACKAGES="clang libclang-rt-14-dev" bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target fuzz_response_frames fuzz_device_hello fuzz_printer_transfers fuzz_info_records fuzz_mot_file fuzz_kernel_file fuzz_color_profile
for target in fuzz_response_frames fuzz_device_hello fuzz_printer_transfers fuzz_info_records fuzz_mot_file fuzz_kernel_file fuzz_color_profile; do
  mkdir -p "build/fuzz/corpus/$target" "build/fuzz/findings/$target"
  echo "== $target for ${seconds}s"
  seeds=()
  if [ -d "fuzz/seeds/$target" ]; then seeds=("fuzz/seeds/$target"); fi
  "build/fuzz/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="build/fuzz/findings/$target/" "build/fuzz/corpus/$target" "${seeds[@]}" 2>&1 | tail -n 12
done
