# SPDX-License-Identifier: Apache-2.0
# cmake --build build --target uninstall: removes every file that
# cmake --install listed in MANIFEST (install_manifest.txt), then the
# folders made for this program's files alone when they are left empty: its
# documentation folder and the build-id folder of its separate debug file.
# Folders shared with other programs (bin, man1, ...) stay.
if(NOT EXISTS ${MANIFEST})
  message(FATAL_ERROR "Nothing to uninstall: no ${MANIFEST} (cmake --install writes it)")
endif()
file(STRINGS ${MANIFEST} installed)
if(installed MATCHES "/_CPack_Packages/")
  message(FATAL_ERROR "${MANIFEST} lists the files cpack packed, not an install: "
                      "cpack rewrites it. Install again, with the same prefix, then uninstall")
endif()
set(folders "")
foreach(file IN LISTS installed)
  if(IS_SYMLINK ${file} OR EXISTS ${file})
    message(STATUS "Removing ${file}")
    file(REMOVE ${file})
  endif()
  get_filename_component(folder ${file} DIRECTORY)
  if(folder MATCHES "/doc/segmentor$|/\\.build-id/[0-9a-f][0-9a-f]$")
    list(APPEND folders ${folder})
  endif()
endforeach()
list(REMOVE_DUPLICATES folders)
foreach(folder IN LISTS folders)
  file(GLOB left ${folder}/* ${folder}/.*)
  if(IS_DIRECTORY ${folder} AND NOT left)
    message(STATUS "Removing ${folder}")
    file(REMOVE_RECURSE ${folder})
  endif()
endforeach()
