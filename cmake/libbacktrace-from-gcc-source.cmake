# SPDX-License-Identifier: Apache-2.0
# Builds GCC's libbacktrace for the target compiler from the GCC source
# tarball Debian ships (gcc-<version>-source), at configure time, into the build
# folder, and provides it as the imported target LibBacktrace::LibBacktrace,
# the name FindLibBacktrace.cmake gives an installed one (a build uses one
# of the two).
# A cross compiler ships no libbacktrace of its own; this one reads the
# program's DWARF from the PE/COFF image just as it reads it from ELF.
# Only libbacktrace/, include/, config/ and the top-level autoconf helper
# scripts are taken from the tarball. The result is reused until the
# tarball, the compiler or the flags change.
include_guard(GLOBAL)

# Unless one is named, the newest GCC source tarball installed.
set(bt_tarball_doc "GCC source tarball holding libbacktrace")
set(GCC_SOURCE_TARBALL "" CACHE FILEPATH "${bt_tarball_doc}")
if(NOT GCC_SOURCE_TARBALL)
  file(GLOB gcc_tarballs /usr/src/gcc-*/gcc-*.tar.xz)
  list(SORT gcc_tarballs COMPARE NATURAL ORDER DESCENDING)
  if(gcc_tarballs)
    list(GET gcc_tarballs 0 newest_tarball)
    set(GCC_SOURCE_TARBALL "${newest_tarball}" CACHE FILEPATH "${bt_tarball_doc}" FORCE)
  endif()
endif()
if(NOT EXISTS "${GCC_SOURCE_TARBALL}")
  message(FATAL_ERROR "No GCC source tarball (on Debian, the package gcc-<version>-source that "
                      ".ci/packages names), or set GCC_SOURCE_TARBALL")
endif()

# libbacktrace is C, built by the C driver that comes with the project's C++
# compiler (x86_64-w64-mingw32-gcc-posix beside x86_64-w64-mingw32-g++-posix).
get_filename_component(cxx_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
get_filename_component(cxx_name "${CMAKE_CXX_COMPILER}" NAME)
string(REPLACE "clang++" "clang" c_name "${cxx_name}")
string(REPLACE "g++" "gcc" c_name "${c_name}")
string(REPLACE "c++" "cc" c_name "${c_name}")
if(NOT c_name STREQUAL cxx_name)
  find_program(LIBBACKTRACE_C_COMPILER NAMES ${c_name} HINTS "${cxx_dir}" NO_CMAKE_FIND_ROOT_PATH)
endif()
if(NOT LIBBACKTRACE_C_COMPILER)
  message(FATAL_ERROR "No C compiler found to go with ${CMAKE_CXX_COMPILER} for libbacktrace; "
                      "set LIBBACKTRACE_C_COMPILER")
endif()
mark_as_advanced(LIBBACKTRACE_C_COMPILER)

set(bt_root "${CMAKE_BINARY_DIR}/libbacktrace")
set(bt_library "${bt_root}/lib/libbacktrace.a")
set(bt_include "${bt_root}/include")
list(JOIN SEGMENTOR_PREFIX_MAPS " " bt_prefix_maps)
set(bt_cflags "-O2 -g ${bt_prefix_maps}")
execute_process(COMMAND ${LIBBACKTRACE_C_COMPILER} -dumpmachine
                OUTPUT_VARIABLE bt_host OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(bt_stamp_text "${GCC_SOURCE_TARBALL}\n${LIBBACKTRACE_C_COMPILER}\n${bt_host}\n${bt_cflags}\n")

set(bt_stamp_old "")
if(EXISTS "${bt_root}/stamp" AND EXISTS "${bt_library}")
  file(READ "${bt_root}/stamp" bt_stamp_old)
endif()

function(libbacktrace_step what log)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${bt_root}/build"
                  OUTPUT_FILE "${bt_root}/${log}" ERROR_FILE "${bt_root}/${log}"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "libbacktrace: ${what} failed (${rc}), see ${bt_root}/${log}")
  endif()
endfunction()

if(NOT bt_stamp_old STREQUAL bt_stamp_text)
  message(STATUS "Building libbacktrace for ${bt_host} from ${GCC_SOURCE_TARBALL}")
  file(REMOVE_RECURSE "${bt_root}")
  file(MAKE_DIRECTORY "${bt_root}/source" "${bt_root}/build" "${bt_root}/lib" "${bt_include}")
  find_program(TAR_PROGRAM tar REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  find_program(MAKE_PROGRAM make REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  libbacktrace_step(extraction extract.log
    ${TAR_PROGRAM} -xJf "${GCC_SOURCE_TARBALL}" -C "${bt_root}/source" --strip-components=1
    --wildcards --no-wildcards-match-slash
    */libbacktrace */include */config
    */config.guess */config.sub */install-sh */ltmain.sh */missing
    */mkinstalldirs */compile */depcomp */test-driver)
  libbacktrace_step(configure configure.log
    "${bt_root}/source/libbacktrace/configure" --host=${bt_host}
    --enable-static --disable-shared --with-pic
    "CC=${LIBBACKTRACE_C_COMPILER}" "CFLAGS=${bt_cflags}")
  libbacktrace_step(build build.log ${MAKE_PROGRAM} -j2 libbacktrace.la)
  file(COPY "${bt_root}/build/.libs/libbacktrace.a" DESTINATION "${bt_root}/lib")
  # backtrace.h takes uintptr_t from gstdint.h, which configure made, outside glibc.
  file(COPY "${bt_root}/source/libbacktrace/backtrace.h" "${bt_root}/build/gstdint.h"
       DESTINATION "${bt_include}")
  file(WRITE "${bt_root}/stamp" "${bt_stamp_text}")
endif()

add_library(LibBacktrace::LibBacktrace STATIC IMPORTED GLOBAL)
set_target_properties(LibBacktrace::LibBacktrace PROPERTIES
  IMPORTED_LOCATION "${bt_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${bt_include}")
