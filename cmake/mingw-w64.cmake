# SPDX-License-Identifier: Apache-2.0
# Cross-compiles for 64-bit Windows with mingw-w64 GCC (posix thread model)
# and runs the built programs under Wine:
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: the .exe needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Wine runs the tests. Its prefix lives in the build folder and is made once,
# under a lock, by the first program run (ctest -j starts several at once).
# Debug channels are off so that Wine writes nothing to the program's stderr.
# Programs built with the C runtime write their stdout in text mode; the
# wrapper turns its CR LF into LF for ctest and gtest_discover_tests, which
# parse LF lines. The programs' own exact bytes are checked inside Wine.
find_program(WINE_PROGRAM NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(WINESERVER_PROGRAM NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
get_property(in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(WINE_PROGRAM AND WINESERVER_PROGRAM AND NOT in_try_compile)
  set(WINE_PREFIX "${CMAKE_BINARY_DIR}/wine")
  set(wine_run "${CMAKE_BINARY_DIR}/wine-run")
  string(CONFIGURE [=[#!/bin/bash
# SPDX-License-Identifier: Apache-2.0
# Runs a Windows program under Wine with the build folder's own prefix.
set -o pipefail
# Wine's system message texts follow the locale: the C locale keeps them English.
export WINEPREFIX='@WINE_PREFIX@' WINEDEBUG=-all LC_ALL=C
export WINELOADER='@WINE_PROGRAM@' WINESERVER='@WINESERVER_PROGRAM@'
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$WINELOADER" wineboot --init </dev/null >/dev/null 2>&1
  ) 9>"$WINEPREFIX.lock"
fi
# Wine's helper processes (services.exe and its drivers) start with the first
# program of a server and keep its standard handles until the server stops:
# start them here, detached, or ctest waits for them to close the output.
"$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1
"$WINELOADER" "$@" | tr -d '\r'
]=] script @ONLY)
  file(WRITE "${wine_run}" "${script}")
  file(CHMOD "${wine_run}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${wine_run}")
endif()
