# The Debian package: `cpack -G DEB` in the build folder (or
# `cpack --config build/<preset>/CPackConfig.cmake -G DEB -B DIR`) gives
# tz5170_<version>-<release>_<arch>.deb with the whole install: libraries,
# header, programs, man pages, pkg-config and CMake files, udev rule,
# systemd unit and tmpfiles.d entry. Its library dependencies come from
# dpkg-shlibdeps; its maintainer scripts (packaging/debian/) reload udev and
# systemd and make /run/tz5170.
set(TZ_PACKAGE_MAINTAINER "TZ5170 host toolset maintainers <maintainers@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(TZ_PACKAGE_RELEASE 1 CACHE STRING "Debian revision of the package")

set(CPACK_PACKAGE_NAME tz5170)
set(CPACK_PACKAGE_VENDOR "TZ5170 host toolset")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TZ_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host software for the TARVO 5170 USB photo printer")
set(CPACK_RESOURCE_FILE_LICENSE ${TZ_PACKAGING_DIR}/copyright)
set(CPACK_STRIP_FILES ON)
# Installed with DESTDIR, so that the files written for the prefix name /usr,
# and the system files may go to /lib.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TZ_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; cpack puts the summary line before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The printer-control library libTZ5170upgrade (C header tzpusb.h, pkg-config
module tz5170, CMake package TZ5170) with its USB control and
colour-matching libraries, and the programs: TZ5170upgrade (firmware
upgrade), TZ5170Laminate (laminate patterns), TZ5170Ctl (service and
printing tool), TZ5170Firmware (firmware package tool), TZ5170Emulator (a
virtual printer for trying and testing without hardware) and
TZ5170UsbBridge, the service that serves attached printers to local
programs, started by udev when a printer appears.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The maintainer scripts use udevadm and systemctl when they are there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${TZ_PACKAGING_DIR}/debian/postinst
  ${TZ_PACKAGING_DIR}/debian/prerm
  ${TZ_PACKAGING_DIR}/debian/postrm
  ${TZ_PACKAGING_DIR}/debian/triggers)

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")
include(CPack)
