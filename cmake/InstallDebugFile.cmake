# SPDX-License-Identifier: Apache-2.0
# Install step. A stripping install (cmake --install --strip, and the .deb)
# leaves the binary without the debug information the traceback of a failure
# report reads, so the debug information goes to a separate file named by
# the binary's build-id, where Debian keeps such files and where the
# traceback looks for them: /usr/lib/debug/.build-id/<xx>/<rest>.debug.
# Set before this script: SEGMENTOR_BUILT_BINARY, SEGMENTOR_OBJCOPY,
# SEGMENTOR_READELF and SEGMENTOR_DEBUG_FILE_DIR (a folder of the build).
if(NOT CMAKE_INSTALL_DO_STRIP)
  return()
endif()
execute_process(COMMAND ${SEGMENTOR_READELF} --notes ${SEGMENTOR_BUILT_BINARY}
                OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "${SEGMENTOR_BUILT_BINARY} has no build-id")
endif()
set(debug_dir ${SEGMENTOR_DEBUG_FILE_DIR}/${CMAKE_MATCH_1})
set(debug_file ${debug_dir}/${CMAKE_MATCH_2}.debug)
file(MAKE_DIRECTORY ${debug_dir})
execute_process(COMMAND ${SEGMENTOR_OBJCOPY} --only-keep-debug ${SEGMENTOR_BUILT_BINARY} ${debug_file}
                COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/debug/.build-id/${CMAKE_MATCH_1}
     TYPE FILE PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES ${debug_file})
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "Stripped install: the traceback finds the debug file only under "
                 "/usr/lib/debug/.build-id; outside the prefix /usr, install without --strip")
endif()
