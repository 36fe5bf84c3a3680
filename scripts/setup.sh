#!/usr/bin/env bash
# Installs the Debian packages the toolset needs, when any is missing.
# Safe to run again: it does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential g++ cmake pkg-config
  liblcms2-dev libusb-1.0-0-dev libinih-dev libpng-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libhwy-dev libvips-dev
  srecord binutils
  umockdev libumockdev-dev   # the USB bridge's tests: mocked USB devices
  dpkg-dev file lintian      # the Debian package: dpkg-shlibdeps, cpack's file check, lintian
  debootstrap                # check_clean_root.sh: the package on a clean Debian 12 root
  libpappl-dev               # tz5170-printer-app: the IPP Everywhere printer application
  cups-ipp-utils cups        # its tests: ipptool and the IPP test files, a private cupsd
  doxygen                    # the HTML API reference of include/tzpusb.h
)
# The Windows build (TZ_WINDOWS=1): the mingw-w64 compilers (the -posix ones,
# whose C++ runtime has std::thread), wine for its tests (64-bit only: never
# wine32, which these machines cannot run), zlib for libpng; dpkg-source (in
# dpkg-dev) unpacks the source packages of scripts/fetch_windows_sources.sh.
if [ "${TZ_WINDOWS:-0}" = 1 ]; then
  packages+=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev wine64 wine)
fi
# More for some jobs (the fuzz targets need clang), named by the caller.
read -r -a extra <<< "${TZ_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
