# What the Windows build takes instead of Debian's Linux libraries:
# - LittleCMS and libpng compiled from Debian's source packages
#   (scripts/fetch_windows_sources.sh unpacks them into build/windows-sources)
#   as static libraries, libpng over Debian's mingw-w64 zlib;
# - the header-only libraries (nlohmann/json, CLI11, Highway with its static
#   dispatch only) from the host's /usr/include, each through a folder of
#   its own so that no other host header is seen;
# - GoogleTest built from Debian's /usr/src/googletest.

set(TZ_WINDOWS_SOURCES ${PROJECT_SOURCE_DIR}/build/windows-sources CACHE PATH
  "Where scripts/fetch_windows_sources.sh unpacked the lcms2 and libpng sources")

# The newest unpacked folder NAME-* that holds FILE.
function(tz_windows_source out_var name file)
  file(GLOB dirs LIST_DIRECTORIES true ${TZ_WINDOWS_SOURCES}/${name}-*)
  list(FILTER dirs EXCLUDE REGEX "\\.(tar\\..*|dsc)$")
  list(SORT dirs)
  list(POP_BACK dirs dir)
  if(NOT dir OR NOT EXISTS ${dir}/${file})
    message(FATAL_ERROR "no ${name} source in ${TZ_WINDOWS_SOURCES}: run scripts/fetch_windows_sources.sh")
  endif()
  set(${out_var} ${dir} PARENT_SCOPE)
endfunction()

tz_windows_source(TZ_LCMS2_SOURCE_DIR lcms2 src/cmsxform.c)
file(GLOB tz_lcms2_c ${TZ_LCMS2_SOURCE_DIR}/src/*.c)
add_library(tz_lcms2 STATIC ${tz_lcms2_c})
target_include_directories(tz_lcms2 SYSTEM PUBLIC ${TZ_LCMS2_SOURCE_DIR}/include)
# lcms2.h uses 'register' unless told not to, which C++17 and later refuse.
target_compile_definitions(tz_lcms2 PUBLIC CMS_NO_REGISTER_KEYWORD)
target_compile_options(tz_lcms2 PRIVATE -w)
add_library(PkgConfig::LCMS2 ALIAS tz_lcms2)

# libpng with its own prebuilt configuration, no hardware-specific filters.
tz_windows_source(TZ_PNG_SOURCE_DIR libpng1.6 png.c)
set(tz_png_config ${CMAKE_BINARY_DIR}/libpng-config)
configure_file(${TZ_PNG_SOURCE_DIR}/scripts/pnglibconf.h.prebuilt ${tz_png_config}/pnglibconf.h COPYONLY)
set(tz_png_c)
foreach(name png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans pngwio
             pngwrite pngwtran pngwutil)
  list(APPEND tz_png_c ${TZ_PNG_SOURCE_DIR}/${name}.c)
endforeach()
add_library(tz_png STATIC ${tz_png_c})
target_include_directories(tz_png SYSTEM PUBLIC ${TZ_PNG_SOURCE_DIR} ${tz_png_config})
target_compile_definitions(tz_png PRIVATE PNG_INTEL_SSE_OPT=0 PNG_ARM_NEON_OPT=0 PNG_MIPS_MSA_OPT=0
                                           PNG_POWERPC_VSX_OPT=0)
target_compile_options(tz_png PRIVATE -w)
target_link_libraries(tz_png PUBLIC z)
add_library(PNG::PNG ALIAS tz_png)

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

# mingw-w64's GCC 12 reports overlapping copies inside std::string that are
# never made (GCC's bug 105329, seen on i686 only when optimising).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
endif()

# printf and its kin as the C standard has them (%zu, %lld), not msvcrt's.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# DLLs by their bare names (TZ5170UsbCtrl.dll), as the loads by name ask.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_SHARED_MODULE_PREFIX "")

# Nothing of the static runtime linked into a DLL is exported with it.
string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--exclude-libs,ALL")

# The version resource of each of our DLLs and programs.
set(TZ_VERSION_RC_IN ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)
function(tz_version_resource target description)
  set(rc ${PROJECT_BINARY_DIR}/version-${target}.rc)
  set(TZ_FILE_DESCRIPTION "${description}")
  configure_file(${TZ_VERSION_RC_IN} ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# GoogleTest from Debian's sources; its own build names the targets
# GTest::gtest, ::gtest_main and ::gmock as find_package(GTest) does on Linux.
macro(tz_windows_googletest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(gtest_target gtest gtest_main gmock)
    target_compile_options(${gtest_target} PRIVATE -w)
  endforeach()
endmacro()
