#!/usr/bin/env bash
# Fetches and unpacks Debian's own source package of LittleCMS (lcms2), which
# the Windows build compiles with mingw-w64 (Debian has no mingw package of
# it). The deb-src list is made from the system's own package sources, in a
# private folder: the system's apt configuration is not touched.
# Usage: fetch_lcms2_source.sh [DEST] (default build/windows-sources). Does
# nothing when DEST already holds an unpacked lcms2.
set -euo pipefail
cd "$(dirname "$0")/.."
dest="${1:-build/windows-sources}"
if compgen -G "$dest/lcms2-*/src/cmsxform.c" >/dev/null; then exit 0; fi

apt_dir="$(realpath -m "$dest/apt")"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
for f in /etc/apt/sources.list.d/*.sources; do
  [ -e "$f" ] || continue
  sed -E 's/^Types:[[:space:]]*deb$/Types: deb-src/' "$f" > "$apt_dir/sources/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -e "$f" ] || continue
  sed -nE 's/^deb[[:space:]]+/deb-src /p' "$f" > "$apt_dir/sources/$(basename "$f" .list).list"
done
options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources"
         -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o APT::Get::List-Cleanup=0)
apt-get "${options[@]}" -qq update
mkdir -p "$dest/download"
(cd "$dest/download" && apt-get "${options[@]}" -qq source --download-only lcms2)
dsc=$(ls "$dest"/download/lcms2_*.dsc | head -n 1)
(cd "$dest" && dpkg-source --no-check -x "download/$(basename "$dsc")" >/dev/null)
rm -rf "$apt_dir"
ls -d "$dest"/lcms2-*/
