# Installation: the three shared objects (versioned, with their bare names
# beside them as links), the public header with its man page tzpusb(3) and
# HTML reference, the programs and their man pages,
# a pkg-config file and a CMake package (TZ5170::tzpusb), and the system files
# for the USB bridge (udev rule, systemd unit, tmpfiles.d entry). Then the
# Debian package (packaging/cpack.cmake).
#
# Every installed program and library finds its neighbours through a RUNPATH
# relative to $ORIGIN, so an installed tree works under any prefix, moved
# included; files that name absolute paths (tz5170.pc, the systemd unit) are
# written at install time for the prefix installed to (`cmake --install
# --prefix` included).

# Multiarch library folder on Debian also for prefixes other than /usr: the
# loader and pkg-config search /usr/local/lib/<triplet> too.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE)
  set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}" CACHE PATH "Object code libraries (LIBDIR)")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TZ_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TZ_INSTALL_STAGE ${PROJECT_BINARY_DIR}/install-stage)

# The shared objects. The bare name libX.so is part of the run-time install,
# not only of development: libTZ5170upgrade.so opens libTZ5170UsbCtrl.so and
# libTZ5170ColorMatch.so by that name, from its own folder (RUNPATH $ORIGIN),
# and TZ5170Laminate opens ./libTZ5170upgrade.so.
set_property(TARGET TZ5170upgrade PROPERTY EXPORT_NAME tzpusb)
install(TARGETS TZ5170upgrade EXPORT TZ5170Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(TARGETS TZ5170UsbCtrl TZ5170ColorMatch LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/tzpusb.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# The programs, each with its man page. TZ5170upgrade, TZ5170Ctl (and the
# bridge, when linked against the library) find libTZ5170upgrade.so.0 in the
# library folder relative to their own.
file(RELATIVE_PATH tz_bin_to_lib /tz/${CMAKE_INSTALL_BINDIR} /tz/${CMAKE_INSTALL_LIBDIR})
set(tz_programs TZ5170upgrade_program TZ5170Laminate TZ5170Ctl TZ5170Firmware TZ5170Emulator)
if(TARGET TZ5170UsbBridge)
  list(APPEND tz_programs TZ5170UsbBridge)
endif()
list(APPEND tz_programs tz5170-printer-app)
find_program(TZ_GZIP gzip)
# A man page added later (the folder's time changes) configures again.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs)
set(tz_man_pages)
foreach(program IN LISTS tz_programs)
  set_property(TARGET ${program} PROPERTY INSTALL_RPATH "\$ORIGIN/${tz_bin_to_lib}")
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  get_target_property(name ${program} OUTPUT_NAME)
  if(NOT name)
    set(name ${program})
  endif()
  set(page ${PROJECT_SOURCE_DIR}/docs/${name}.1)
  if(NOT EXISTS ${page})
    message(STATUS "${name}: no man page docs/${name}.1 to install")
    continue()
  endif()
  if(TZ_GZIP)  # compressed as Debian ships them, without a time stamp
    set(packed ${TZ_INSTALL_STAGE}/man/${name}.1.gz)
    add_custom_command(OUTPUT ${packed}
      COMMAND ${CMAKE_COMMAND} -E copy ${page} ${TZ_INSTALL_STAGE}/man/${name}.1
      COMMAND ${TZ_GZIP} -9nf ${TZ_INSTALL_STAGE}/man/${name}.1
      DEPENDS ${page} VERBATIM)
    list(APPEND tz_man_pages ${packed})
  else()
    list(APPEND tz_man_pages ${page})
  endif()
endforeach()
add_custom_target(tz_man_pages ALL DEPENDS ${tz_man_pages})
install(FILES ${tz_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The library's man page, tzpusb(3), packed the same way.
set(tz_library_page ${PROJECT_SOURCE_DIR}/docs/tzpusb.3)
if(TZ_GZIP)
  add_custom_command(OUTPUT ${TZ_INSTALL_STAGE}/man/tzpusb.3.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${tz_library_page} ${TZ_INSTALL_STAGE}/man/tzpusb.3
    COMMAND ${TZ_GZIP} -9nf ${TZ_INSTALL_STAGE}/man/tzpusb.3
    DEPENDS ${tz_library_page} VERBATIM)
  set(tz_library_page ${TZ_INSTALL_STAGE}/man/tzpusb.3.gz)
endif()
add_custom_target(tz_library_man_page ALL DEPENDS ${tz_library_page})
install(FILES ${tz_library_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)

# The CMake package: find_package(TZ5170 CONFIG) gives TZ5170::tzpusb.
set(tz_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/TZ5170)
install(EXPORT TZ5170Targets NAMESPACE TZ5170:: DESTINATION ${tz_cmake_dir})
configure_package_config_file(${TZ_PACKAGING_DIR}/TZ5170Config.cmake.in
  ${TZ_INSTALL_STAGE}/TZ5170Config.cmake INSTALL_DESTINATION ${tz_cmake_dir})
write_basic_package_version_file(${TZ_INSTALL_STAGE}/TZ5170ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${TZ_INSTALL_STAGE}/TZ5170Config.cmake ${TZ_INSTALL_STAGE}/TZ5170ConfigVersion.cmake
  DESTINATION ${tz_cmake_dir})

# The files that name absolute paths, written for the prefix installed to, and
# the system files: under /usr in Debian 12's folders (/lib/udev/rules.d,
# /lib/systemd/system, /usr/lib/tmpfiles.d), under any other prefix in
# PREFIX/lib/... (which systemd and udev read for /usr/local). The three
# folders can be named instead (absolute paths).
set(TZ_UDEV_RULES_DIR "" CACHE PATH "Where the udev rule goes (empty: by the prefix)")
set(TZ_SYSTEMD_UNIT_DIR "" CACHE PATH "Where the systemd unit goes (empty: by the prefix)")
set(TZ_TMPFILES_DIR "" CACHE PATH "Where the tmpfiles.d entry goes (empty: by the prefix)")
configure_file(${TZ_PACKAGING_DIR}/install_system_files.cmake.in ${TZ_INSTALL_STAGE}/install_system_files.cmake @ONLY)
install(SCRIPT ${TZ_INSTALL_STAGE}/install_system_files.cmake)

include(${TZ_PACKAGING_DIR}/cpack.cmake)

# Licence and changes, as a Debian package carries them (the changelog names
# the package's version and maintainer, packaging/cpack.cmake).
set(tz_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/tz5170)
configure_file(${TZ_PACKAGING_DIR}/changelog.Debian.in ${TZ_INSTALL_STAGE}/changelog.in @ONLY)
if(TZ_GZIP)
  add_custom_command(OUTPUT ${TZ_INSTALL_STAGE}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${TZ_INSTALL_STAGE}/changelog.in ${TZ_INSTALL_STAGE}/changelog.Debian
    COMMAND ${TZ_GZIP} -9nf ${TZ_INSTALL_STAGE}/changelog.Debian
    DEPENDS ${TZ_INSTALL_STAGE}/changelog.in VERBATIM)
  add_custom_target(tz_changelog ALL DEPENDS ${TZ_INSTALL_STAGE}/changelog.Debian.gz)
  install(FILES ${TZ_INSTALL_STAGE}/changelog.Debian.gz DESTINATION ${tz_doc_dir})
endif()
install(FILES ${TZ_PACKAGING_DIR}/copyright DESTINATION ${tz_doc_dir})
# What lintian reports about the package that is so on purpose, with reasons.
install(FILES ${TZ_PACKAGING_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
  RENAME tz5170)

# The HTML API reference of include/tzpusb.h (docs/CMakeLists.txt).
install(DIRECTORY ${PROJECT_BINARY_DIR}/api-reference/html/ DESTINATION ${tz_doc_dir}/api)
