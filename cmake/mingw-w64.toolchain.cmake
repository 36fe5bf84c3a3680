# Cross-compiling for Windows with Debian's mingw-w64 (the -posix compilers,
# whose C++ runtime has std::thread). TZ_WINDOWS_ARCH picks x86_64 (default)
# or i686. Programs run under wine: CMake and ctest start the test programs
# through it, so 64-bit tests run on this machine (32-bit ones cannot: the
# kernel refuses 32-bit executables).
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TZ_WINDOWS_ARCH)
  set(TZ_WINDOWS_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${TZ_WINDOWS_ARCH})
set(TZ_MINGW ${TZ_WINDOWS_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${TZ_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TZ_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TZ_MINGW}-windres)
set(CMAKE_DLLTOOL ${TZ_MINGW}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${TZ_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthreads go into every program and library,
# so that nothing but our own DLLs has to lie beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
if(TZ_WINDOWS_ARCH STREQUAL "i686")
  # stdcall exports without their @N decoration.
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--kill-at")
endif()

find_program(TZ_WINE wine)
if(TZ_WINE AND TZ_WINDOWS_ARCH STREQUAL "x86_64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TZ_WINE})
endif()
