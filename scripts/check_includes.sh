#!/usr/bin/env bash
# Fails when a component includes a header of a component it does not depend
# on. Each folder below may include, besides the standard library and outside
# libraries (<...>), only its own headers and those of the components listed
# for it. In the printer-control library a header of the same folder is
# included by its bare name, one of another folder as "folder/name.h".
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  # The printer-control library, inside out.
  [library/core]="platform byteorder"
  [library/info]="core platform byteorder"
  [library/image]="core platform byteorder hwy"
  [library/correction]="core image platform byteorder"
  [library/job]="core info image platform byteorder"
  [library/maintenance]="core platform byteorder"
  [library/download]="core maintenance platform byteorder hwy"
  [library/api]="core info image correction job maintenance download platform byteorder"
  # Beside it.
  [platform]="platform"
  [byteorder]="byteorder"
  [link]="link byteorder"
  [usbctrl]="usbctrl link platform"
  [usbbridge]="link platform byteorder"
  [emulator]="emulator link platform byteorder"
  [colormatch]="colormatch platform"
  [upgrade]="platform byteorder"
  [laminate]="platform"
  [tools]="common platform byteorder"
  [printerapp]="common platform byteorder"
  [examples]="platform usbctrl"
)

status=0
for component in "${!allowed[@]}"; do
  [ -d "$component" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    header=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${line#*:}")
    case "$header" in
      tzpusb.h) continue ;;  # the public header, for every client of the library
    esac
    if [[ "$header" == */* ]]; then
      prefix=${header%%/*}
      [[ " ${allowed[$component]} " == *" $prefix "* ]] && continue
      # A folder's own sub-folders (tools/ctl including tools/common by its name).
      [ -e "$(dirname "$file")/$header" ] && continue
    else
      # A bare name: a header beside the including file.
      [ -e "$(dirname "$file")/$header" ] && continue
    fi
    echo "$file includes \"$header\", which $component does not depend on" >&2
    status=1
  done < <(grep -rnE --include='*.cpp' --include='*.h' --include='*.c' '^#include "' "$component" | sed -E 's/^([^:]+):[0-9]+:/\1:/')
done
[ "$status" -eq 0 ] && echo "includes follow the components' dependencies"
exit "$status"
