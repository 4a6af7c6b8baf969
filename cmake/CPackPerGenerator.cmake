# SPDX-License-Identifier: Apache-2.0
# Read by cpack once per generator: only the .deb is stripped (its debug
# file goes to /usr/lib/debug/.build-id, which the traceback reads).
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_STRIP_FILES ON)
else()
  set(CPACK_STRIP_FILES OFF)
endif()
