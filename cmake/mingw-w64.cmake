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

# Wine runs the tests, through the wrapper wine-run (cmake/wine-run.in),
# with a Wine prefix of the build folder's own.
find_program(WINE_PROGRAM NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(WINESERVER_PROGRAM NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
get_property(in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(WINE_PROGRAM AND WINESERVER_PROGRAM AND NOT in_try_compile)
  set(WINE_PREFIX "${CMAKE_BINARY_DIR}/wine")
  configure_file("${CMAKE_CURRENT_LIST_DIR}/wine-run.in" "${CMAKE_BINARY_DIR}/wine-run" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                 GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_BINARY_DIR}/wine-run")
endif()
