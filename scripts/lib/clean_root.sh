# shellcheck shell=bash
# Sourced: a clean, minimal Debian 12 root made with debootstrap, for checks
# that must start from nothing. Needs root (chroot, mounts) and the Debian
# archive (TZ5170_DEBIAN_MIRROR, default deb.debian.org).
#   make_clean_root WORK   the root in WORK/root, unmounted and removed on exit
#   in_root COMMAND...     runs COMMAND there, with a plain environment
# The caller defines fail and step.

clean_root_mounts=()
clean_root_work=""
clean_root_cleanup() {
  for ((i = ${#clean_root_mounts[@]} - 1; i >= 0; i--)); do umount -l "${clean_root_mounts[$i]}" 2>/dev/null || true; done
  if [ -n "$clean_root_work" ]; then rm -rf --one-file-system "$clean_root_work"; fi
}

make_clean_root() {
  clean_root_work="$1"
  root="$1/root"
  [ "$(id -u)" -eq 0 ] || fail "run as root (debootstrap, chroot and mounts)"
  command -v debootstrap >/dev/null || fail "debootstrap is missing (apt-get install debootstrap)"
  trap clean_root_cleanup EXIT
  step "debootstrap --variant=minbase bookworm"
  debootstrap --variant=minbase bookworm "$root" "${TZ5170_DEBIAN_MIRROR:-http://deb.debian.org/debian}" \
    >"$1/debootstrap.txt" 2>&1 || { tail -20 "$1/debootstrap.txt"; fail "debootstrap failed"; }
  local fs
  for fs in proc:proc sysfs:sys tmpfs:dev/shm tmpfs:run; do
    mkdir -p "$root/${fs#*:}"
    mount -t "${fs%%:*}" "${fs%%:*}" "$root/${fs#*:}"
    clean_root_mounts+=("$root/${fs#*:}")
  done
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  in_root apt-get update -qq
}

in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}
