#!/usr/bin/env bash
# Fetches and unpacks Debian's own source packages of LittleCMS (lcms2) and
# libpng, which the Windows build compiles with mingw-w64 (Debian has no
# mingw package of either). The deb-src list is made from the system's own
# package sources, in a private folder: the system's apt configuration is
# not touched.
# Usage: fetch_windows_sources.sh [DEST] (default build/windows-sources).
# Does nothing for a package DEST already holds unpacked.
set -euo pipefail
cd "$(dirname "$0")/.."
dest="${1:-build/windows-sources}"
# source package, folder it unpacks to, a file that shows it is there
wanted=()
compgen -G "$dest/lcms2-*/src/cmsxform.c" >/dev/null || wanted+=(lcms2)
compgen -G "$dest/libpng1.6-*/png.c" >/dev/null || wanted+=(libpng1.6)
[ ${#wanted[@]} -eq 0 ] && exit 0

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
release="$(. /etc/os-release && echo "$VERSION_CODENAME")"
for package in "${wanted[@]}"; do
  # The newest source, or else the release's own (a security archive may
  # serve binaries only).
  (cd "$dest/download" && { apt-get "${options[@]}" -qq source --download-only "$package" 2>/dev/null ||
     apt-get "${options[@]}" -qq source --download-only "$package/$release"; })
  dsc=$(ls "$dest/download/${package}_"*.dsc | head -n 1)
  (cd "$dest" && dpkg-source --no-check -x "download/$(basename "$dsc")" >/dev/null)
done
rm -rf "$apt_dir"
