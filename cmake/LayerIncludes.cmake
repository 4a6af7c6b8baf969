# SPDX-License-Identifier: Apache-2.0
# A build step of each layer: fails when one of the layer's files includes
# what the layer may not see. A layer includes its own headers and those of
# the layers below it, each by its folder ("textio/record_files.h"), and
# nothing that climbs out of a folder (".."); outside platform/, the only
# other headers are the C++ standard library's (<string>, not <unistd.h>).
#   -DFOLDER=<the layer's folder>  -DLAYER=<its name>
#   -DALLOWED=<the layer and those below it, comma-separated>
#   -DSTAMP=<file touched when every include is in place>
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" allowed "${ALLOWED}")
string(REPLACE "," ", " shown "${ALLOWED}")
file(GLOB files "${FOLDER}/*")
set(problems "")
foreach(file ${files})
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  get_filename_component(name "${file}" NAME)
  foreach(line ${lines})
    if(NOT line MATCHES "#[ \t]*include[ \t]*([<\"])([^>\"]*)")
      continue()
    endif()
    set(header "${CMAKE_MATCH_2}")
    if(CMAKE_MATCH_1 STREQUAL "<")
      if(NOT LAYER STREQUAL "platform" AND header MATCHES "[./]")
        string(APPEND problems "\n  ${LAYER}/${name}: <${header}> is a system or toolchain header: "
                               "only platform/ talks to the system")
      endif()
    elseif(header MATCHES "(^|/)\\.\\.(/|$)")
      string(APPEND problems "\n  ${LAYER}/${name}: \"${header}\" climbs out of its folder: "
                             "name the header by its layer's folder")
    elseif(header MATCHES "^([^/]+)/")
      if(NOT CMAKE_MATCH_1 IN_LIST allowed)
        string(APPEND problems "\n  ${LAYER}/${name}: \"${header}\" is not a header of ${LAYER}/ "
                               "or of a layer below it (${shown})")
      endif()
    endif()
  endforeach()
endforeach()
if(problems)
  message(FATAL_ERROR "An include runs against the layers "
                      "(driver -> splitting -> textio -> endings -> platform):${problems}")
endif()
file(TOUCH "${STAMP}")
