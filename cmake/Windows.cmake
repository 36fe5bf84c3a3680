# What the Windows build takes instead of Debian's Linux libraries:
# - LittleCMS compiled from Debian's source package (scripts/fetch_lcms2_source.sh
#   unpacks it into build/windows-sources), as a static library;
# - the header-only libraries (nlohmann/json, CLI11, Highway with its static
#   dispatch only) from the host's /usr/include, each through a folder of
#   its own so that no other host header is seen;
# - GoogleTest built from Debian's /usr/src/googletest.

set(TZ_WINDOWS_SOURCES ${PROJECT_SOURCE_DIR}/build/windows-sources CACHE PATH
  "Where scripts/fetch_lcms2_source.sh unpacked the lcms2 source")
file(GLOB tz_lcms2_dirs LIST_DIRECTORIES true ${TZ_WINDOWS_SOURCES}/lcms2-*)
list(SORT tz_lcms2_dirs)
list(POP_BACK tz_lcms2_dirs TZ_LCMS2_SOURCE_DIR)
if(NOT TZ_LCMS2_SOURCE_DIR OR NOT EXISTS ${TZ_LCMS2_SOURCE_DIR}/src/cmsxform.c)
  message(FATAL_ERROR "no lcms2 source in ${TZ_WINDOWS_SOURCES}: run scripts/fetch_lcms2_source.sh")
endif()
file(GLOB tz_lcms2_c ${TZ_LCMS2_SOURCE_DIR}/src/*.c)
add_library(tz_lcms2 STATIC ${tz_lcms2_c})
target_include_directories(tz_lcms2 SYSTEM PUBLIC ${TZ_LCMS2_SOURCE_DIR}/include)
# lcms2.h uses 'register' unless told not to, which C++17 and later refuse.
target_compile_definitions(tz_lcms2 PUBLIC CMS_NO_REGISTER_KEYWORD)
target_compile_options(tz_lcms2 PRIVATE -w)
add_library(PkgConfig::LCMS2 ALIAS tz_lcms2)

function(tz_host_headers target)
  set(dir ${CMAKE_BINARY_DIR}/host-headers/${target})
  add_library(${target} INTERFACE)
  foreach(folder IN LISTS ARGN)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK /usr/include/${folder} ${dir}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} SYSTEM INTERFACE ${dir})
endfunction()

tz_host_headers(tz_json_headers nlohmann)
add_library(nlohmann_json::nlohmann_json ALIAS tz_json_headers)
tz_host_headers(tz_cli11_headers CLI)
add_library(CLI11::CLI11 ALIAS tz_cli11_headers)
tz_host_headers(tz_hwy_headers hwy)
# One target, chosen when compiling: no run-time dispatch, so no libhwy.
target_compile_definitions(tz_hwy_headers INTERFACE HWY_COMPILE_ONLY_STATIC=1)
add_library(PkgConfig::HWY ALIAS tz_hwy_headers)

# The version resource of each of our DLLs and programs.
set(TZ_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)
function(tz_version_resource target description)
  set(rc ${PROJECT_BINARY_DIR}/version-${target}.rc)
  set(TZ_FILE_DESCRIPTION "${description}")
  configure_file(${TZ_VERSION_RC_IN} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# GoogleTest from Debian's sources, as the targets GTest::gtest, ::gtest_main
# and ::gmock that find_package(GTest) gives on Linux.
macro(tz_windows_googletest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(gtest_target gtest gtest_main gmock)
    target_compile_options(${gtest_target} PRIVATE -w)
    add_library(GTest::${gtest_target} ALIAS ${gtest_target})
  endforeach()
endmacro()
