# SPDX-License-Identifier: Apache-2.0
# Finds GCC's libbacktrace (backtrace.h and libbacktrace.a), which lives in
# GCC's private folders (Debian package libgcc-<version>-dev). GCC is asked
# where they are, whatever compiler builds the project, so clang finds them
# too. Defines LibBacktrace::LibBacktrace; the header's folder is searched
# after the compiler's own, so that GCC's copies of the standard C headers
# in it never stand in for another compiler's.
#   LIBBACKTRACE_INCLUDE_DIR, LIBBACKTRACE_LIBRARY   found paths (cache)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(_libbacktrace_gcc ${CMAKE_CXX_COMPILER})
else()
  find_program(LIBBACKTRACE_GCC NAMES gcc)
  set(_libbacktrace_gcc ${LIBBACKTRACE_GCC})
endif()
set(_libbacktrace_package "libgcc-<version>-dev")
if(_libbacktrace_gcc)
  execute_process(COMMAND ${_libbacktrace_gcc} -print-file-name=libbacktrace.a
                  OUTPUT_VARIABLE _libbacktrace_lib OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${_libbacktrace_gcc} -print-file-name=include
                  OUTPUT_VARIABLE _libbacktrace_inc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${_libbacktrace_gcc} -dumpversion
                  OUTPUT_VARIABLE _libbacktrace_gcc_version OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  get_filename_component(_libbacktrace_libdir "${_libbacktrace_lib}" DIRECTORY)
  string(REGEX MATCH "^[0-9]+" _libbacktrace_gcc_major "${_libbacktrace_gcc_version}")
  if(_libbacktrace_gcc_major)
    set(_libbacktrace_package "libgcc-${_libbacktrace_gcc_major}-dev")
  endif()
endif()
# GCC's folders are the compiler's own, also for a cross compiler: not
# under the target's root.
find_path(LIBBACKTRACE_INCLUDE_DIR backtrace.h HINTS ${_libbacktrace_inc} NO_CMAKE_FIND_ROOT_PATH)
find_library(LIBBACKTRACE_LIBRARY NAMES libbacktrace.a backtrace HINTS ${_libbacktrace_libdir}
             NO_CMAKE_FIND_ROOT_PATH)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(LibBacktrace
  REQUIRED_VARS LIBBACKTRACE_LIBRARY LIBBACKTRACE_INCLUDE_DIR
  REASON_FAILURE_MESSAGE
    "GCC's libbacktrace is needed for the traceback of failure reports: on Debian, apt-get install ${_libbacktrace_package} (it comes with g++), or set LIBBACKTRACE_INCLUDE_DIR and LIBBACKTRACE_LIBRARY.")

if(LibBacktrace_FOUND AND NOT TARGET LibBacktrace::LibBacktrace)
  add_library(LibBacktrace::LibBacktrace UNKNOWN IMPORTED)
  set_target_properties(LibBacktrace::LibBacktrace PROPERTIES
    IMPORTED_LOCATION "${LIBBACKTRACE_LIBRARY}"
    INTERFACE_COMPILE_OPTIONS "-idirafter${LIBBACKTRACE_INCLUDE_DIR}")
endif()
mark_as_advanced(LIBBACKTRACE_INCLUDE_DIR LIBBACKTRACE_LIBRARY LIBBACKTRACE_GCC)
