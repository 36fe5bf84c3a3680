#!/usr/bin/env bash
# check_install.sh [BUILD_DIR]: the installed toolset and its Debian package,
# from a build folder that has been built (default build/default).
# 1. `cmake --install` into a temporary prefix: every file there, the shared
#    objects versioned, each program's libraries found in the tree itself, the
#    systemd unit's settings checked by systemd-analyze (when installed).
# 2. A C client built against that tree with pkg-config and with CMake
#    (find_package(TZ5170 CONFIG)), run against two virtual printers started
#    from the installed TZ5170Emulator, as is the installed TZ5170Ctl; the
#    library must load its two outside libraries from its own folder.
# 3. `cpack -G DEB`: the package's files and fields, lintian (when installed),
#    and the package installed into and removed from a scratch root with dpkg,
#    its maintainer scripts included; its programs run from there.
# shellcheck disable=SC2016 # the scripts run by bash -c expand their own variables
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$PWD"
build="$(cd "${1:-build/default}" && pwd)"
work="$(mktemp -d /tmp/tz5170-install.XXXXXX)"
trap 'rm -rf "$work"' EXIT
unset LD_LIBRARY_PATH

fail() { echo "check_install: $*" >&2; exit 1; }
step() { echo "== $*"; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
soversion="${version%%.*}"

# --- 1. The installed tree --------------------------------------------------
step "cmake --install into a temporary prefix"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
pc="$(find "$prefix/lib" -name tz5170.pc -path '*/pkgconfig/*')"
[ -n "$pc" ] || fail "no tz5170.pc installed"
libdir="$(dirname "$(dirname "$pc")")"

expected=(
  "$libdir/cmake/TZ5170/TZ5170Config.cmake" "$libdir/cmake/TZ5170/TZ5170ConfigVersion.cmake"
  "$libdir/cmake/TZ5170/TZ5170Targets.cmake"
  "$prefix/include/tzpusb.h"
  "$prefix/lib/udev/rules.d/60-tz5170.rules" "$prefix/lib/systemd/system/tz5170-usbbridge.service"
  "$prefix/lib/systemd/system/tz5170-printer-app.service"
  "$prefix/lib/tmpfiles.d/tz5170.conf"
  "$prefix/share/doc/tz5170/copyright"
  "$prefix/share/man/man3/tzpusb.3.gz" "$prefix/share/doc/tz5170/api/index.html"
)
for lib in TZ5170upgrade TZ5170UsbCtrl TZ5170ColorMatch; do
  expected+=("$libdir/lib$lib.so.$version" "$libdir/lib$lib.so.$soversion" "$libdir/lib$lib.so")
  soname="$(readelf -d "$libdir/lib$lib.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')"
  [ "$soname" = "lib$lib.so.$soversion" ] || fail "lib$lib.so.$version has SONAME '$soname'"
  readelf -d "$libdir/lib$lib.so.$version" | grep 'FLAGS.*BIND_NOW' >/dev/null || fail "lib$lib.so.$version is not linked with -z now"
done
programs=(TZ5170upgrade TZ5170Laminate TZ5170Ctl TZ5170Firmware TZ5170Emulator tz5170-printer-app)
if [ -e "$prefix/bin/TZ5170UsbBridge" ]; then programs+=(TZ5170UsbBridge); fi
for program in "${programs[@]}"; do
  expected+=("$prefix/bin/$program")
  if [ -e "$source_dir/docs/$program.1" ]; then expected+=("$prefix/share/man/man1/$program.1.gz"); fi
done
for file in "${expected[@]}"; do [ -e "$file" ] || fail "not installed: ${file#"$prefix"/}"; done
grep -q "^ExecStart=$prefix/bin/TZ5170UsbBridge --dir /run/tz5170\$" \
  "$prefix/lib/systemd/system/tz5170-usbbridge.service" || fail "the unit does not start $prefix/bin/TZ5170UsbBridge"
grep -q "^ExecStart=$prefix/bin/tz5170-printer-app server " \
  "$prefix/lib/systemd/system/tz5170-printer-app.service" || fail "the unit does not start $prefix/bin/tz5170-printer-app"
if command -v systemd-analyze >/dev/null; then
  # Unknown or misspelt settings are only warnings to systemd: none may show.
  for unit in tz5170-usbbridge.service tz5170-printer-app.service; do
    if ! verified="$(systemd-analyze verify --man=no "$prefix/lib/systemd/system/$unit" 2>&1)" ||
      [ -n "$verified" ]; then
      fail "systemd-analyze verify $unit: $verified"
    fi
  done
else
  echo "systemd-analyze is not installed: the unit's settings are not checked"
fi
for program in "${programs[@]}" ; do
  if ldd "$prefix/bin/$program" | grep -q 'not found'; then fail "$program: $(ldd "$prefix/bin/$program" | grep 'not found')"; fi
done
for program in TZ5170upgrade TZ5170Ctl; do
  found="$(ldd "$prefix/bin/$program" | sed -n "s/^[[:space:]]*libTZ5170upgrade.so.$soversion => \(.*\) (.*/\1/p")"
  if [ -z "$found" ] || [ "$(dirname "$(realpath "$found")")" != "$libdir" ]; then
    fail "$program does not find libTZ5170upgrade.so.$soversion in $libdir (but '$found')"
  fi
done
echo "${#expected[@]} files present"
# Every function the header declares is in the synopsis and a description of
# tzpusb(3), and has its entry in the HTML reference.
functions="$(grep -oE '^(int|void|uint8_t|uint16_t|char) +[*]?(TZPUSB_API +)?[*]?tzpusb_[A-Za-z_]+[(]' "$prefix/include/tzpusb.h" |
  sed 's/.*\(tzpusb_[A-Za-z_]*\)(/\1/')"
[ "$(wc -l <<<"$functions")" -eq 51 ] || fail "tzpusb.h does not declare 51 functions"
man_page="$(zcat "$prefix/share/man/man3/tzpusb.3.gz")"
for function in $functions; do
  grep -q "$function(" <<<"$man_page" && grep -qE "^[.]BR .*\b$function\b" <<<"$man_page" ||
    fail "tzpusb(3) does not describe $function"
  grep -q ">$function()</h2>" "$prefix"/share/doc/tz5170/api/group__*.html ||
    fail "the HTML reference does not document $function"
done
echo "tzpusb(3) and the HTML reference describe all 51 functions"

# --- 2. Clients of the installed tree ----------------------------------------
step "a C client through pkg-config"
flags="$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs tz5170)"
echo "pkg-config --cflags --libs tz5170: $flags"
# shellcheck disable=SC2086 # the flags are words
cc -std=c11 -Wall -Wextra -Werror "$source_dir/tests/install/client.c" $flags -Wl,-rpath,"$libdir" \
  -o "$work/client-pkg-config"

step "a C client through find_package(TZ5170 CONFIG)"
cmake -S "$source_dir/tests/install" -B "$work/client-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="-Wall -Wextra -Werror" >/dev/null
grep -q "^TZ5170_DIR:PATH=$libdir/cmake/TZ5170\$" "$work/client-cmake/CMakeCache.txt" ||
  fail "find_package found $(sed -n 's/^TZ5170_DIR:PATH=//p' "$work/client-cmake/CMakeCache.txt"), not $libdir/cmake/TZ5170"
cmake --build "$work/client-cmake" >/dev/null

step "both clients and TZ5170Ctl against printers of the installed TZ5170Emulator"
export TZ5170_CHECK_LIBDIR="$libdir"
scripts/demo/run_with_printers.sh "$prefix/bin" bash -c '
  set -euo pipefail
  for client in "$0/client-pkg-config" "$0/client-cmake/tz5170-install-client"; do
    # The loader shows where each object came from: the two outside
    # libraries must come from the library'"'"'s own folder.
    LD_DEBUG=libs "$client" 2>"$0/loader.txt" | tee "$0/client.txt"
    for lib in libTZ5170UsbCtrl.so libTZ5170ColorMatch.so; do
      grep -q "calling init: $TZ5170_CHECK_LIBDIR/$lib\$" "$0/loader.txt" ||
        { echo "$client: $lib not loaded from $TZ5170_CHECK_LIBDIR" >&2; exit 1; }
    done
    grep -q "^printer TZ000102: status 0\$" "$0/client.txt"
  done
  "$1/TZ5170Ctl" list | tee "$0/list.txt"
  grep -q TZ000101 "$0/list.txt" && grep -q TZ000102 "$0/list.txt"
  "$1/tz5170-printer-app" devices | grep "^tz5170://TZ000102" >/dev/null
' "$work" "$prefix/bin"

step "a firmware package made from the installed programs links the installed libraries"
"$prefix/bin/TZ5170Firmware" package --dir "$work/firmware" --version 06.05 --programs "$prefix/bin" >/dev/null
for lib in libTZ5170upgrade.so libTZ5170UsbCtrl.so libTZ5170ColorMatch.so; do
  [ -e "$work/firmware/TZ5170_LM_Patterns_for_panoramic/$lib" ] || fail "the package's $lib leads nowhere"
done

# --- 3. The Debian package ----------------------------------------------------
step "cpack -G DEB"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >/dev/null
deb="$(ls "$work"/deb/tz5170_*.deb)"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents.txt"
multiarch="$(basename "$libdir")"
packaged=(
  /usr/include/tzpusb.h /usr/lib/"$multiarch"/pkgconfig/tz5170.pc
  /usr/lib/"$multiarch"/cmake/TZ5170/TZ5170Config.cmake
  /lib/udev/rules.d/60-tz5170.rules /lib/systemd/system/tz5170-usbbridge.service /usr/lib/tmpfiles.d/tz5170.conf
  /lib/systemd/system/tz5170-printer-app.service
  /usr/share/doc/tz5170/copyright /usr/share/doc/tz5170/changelog.Debian.gz
  /usr/share/man/man3/tzpusb.3.gz /usr/share/doc/tz5170/api/index.html
)
for lib in TZ5170upgrade TZ5170UsbCtrl TZ5170ColorMatch; do
  packaged+=("/usr/lib/$multiarch/lib$lib.so.$version" "/usr/lib/$multiarch/lib$lib.so.$soversion" "/usr/lib/$multiarch/lib$lib.so")
done
for program in "${programs[@]}"; do
  packaged+=(/usr/bin/"$program")
  if [ -e "$source_dir/docs/$program.1" ]; then packaged+=(/usr/share/man/man1/"$program.1.gz"); fi
done
for file in "${packaged[@]}"; do grep -qx -- "$file" "$work/contents.txt" || fail "not in the package: $file"; done
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for dependency in libc6 libstdc++6 liblcms2-2 libvips42 libpappl1; do
  [[ "$depends" == *"$dependency"* ]] || fail "Depends lacks $dependency"
done
# grep reads the whole listing: with -q it could end first, and tar's SIGPIPE
# would fail the pipeline although the file is there.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep '^./postinst$' >/dev/null || fail "no postinst"
echo "${#packaged[@]} files present"

if command -v lintian >/dev/null; then
  step "lintian"
  # The package carries its overrides, with their reasons (packaging/lintian-overrides).
  if ! lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1; then
    cat "$work/lintian.txt"
    fail "lintian found errors or warnings"
  fi
  echo "lintian: no errors or warnings"
fi

step "dpkg --root: install into a scratch root, run, remove"
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log" "$root/run"
touch "$root/var/lib/dpkg/status"
scratch_dpkg() { dpkg --root="$root" --log="$root/var/log/dpkg.log" --force-not-root --force-script-chrootless "$@"; }
# Its dependencies are not in the scratch root: that is all dpkg may report.
scratch_dpkg --force-depends -i "$deb" >"$work/dpkg.txt" 2>&1 || { cat "$work/dpkg.txt"; fail "dpkg -i failed"; }
[ -d "$root/run/tz5170" ] || fail "postinst did not make /run/tz5170"
[ "$(stat -c %a "$root/run/tz5170")" = 770 ] || fail "/run/tz5170 is not mode 0770"
scripts/demo/run_with_printers.sh "$root/usr/bin" bash -c \
  '"$0/TZ5170Ctl" --help >/dev/null && "$0/TZ5170Ctl" --serial TZ000101 status' "$root/usr/bin"
scratch_dpkg --purge tz5170 >"$work/dpkg.txt" 2>&1 || { cat "$work/dpkg.txt"; fail "dpkg --purge failed"; }
left="$(find "$root" -mindepth 1 -not -path "$root/var*" -not -type d)"
[ -z "$left" ] || fail "left after removal: $left"
[ ! -e "$root/run/tz5170" ] || fail "postrm left /run/tz5170"
echo "installed, run and removed"
