#!/usr/bin/env bash
# Checks the export table of a TZ5170upgrade.dll against the fixed table of
# tests/windows/export_table.txt: every ordinal with its undecorated name,
# and nothing else.
# Usage: check_exports.sh OBJDUMP DLL   (x86_64-w64-mingw32-objdump or i686-w64-mingw32-objdump)
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 OBJDUMP DLL" >&2
  exit 2
fi
objdump="$1" dll="$2"
table="$(dirname "$0")/../tests/windows/export_table.txt"
[ -f "$dll" ] || { echo "$dll: no such file" >&2; exit 1; }

# "[Ordinal/Name Pointer] Table" lists "[index] name", index = ordinal - base.
actual="$("$objdump" -p "$dll" | awk '
  /^Ordinal Base/ { base = $3 }
  /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next }
  names && /^\t\[ *[0-9]+\] / { sub(/^\t\[ */, ""); split($0, f, /\] /); print f[1] + base, f[2]; next }
  names { names = 0 }' | sort -n)"
expected="$(grep -v '^#' "$table" | sort -n)"
if [ "$actual" != "$expected" ]; then
  echo "$dll: the export table differs from $table:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi
echo "$dll: $(echo "$actual" | wc -l) exports at their ordinals"
