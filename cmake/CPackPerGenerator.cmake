# SPDX-License-Identifier: Apache-2.0
# Read by cpack once per generator: only the .deb is stripped (its debug
# file goes to /usr/lib/debug/.build-id, which the traceback reads). Each
# .deb's description carries its own summary line, so the project's is not
# put in front of it.
if(CPACK_GENERATOR STREQUAL "DEB")
  if(NOT CPACK_PACKAGE_CONTACT MATCHES "^[^<>@]+ <[^<>@ ]+@[^<>@ ]+>$")
    message(FATAL_ERROR "A Debian package needs a maintainer with an address: configure with "
                        "-DSEGMENTOR_MAINTAINER=\"name <address>\", not \"${CPACK_PACKAGE_CONTACT}\"")
  endif()
  set(CPACK_STRIP_FILES ON)
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
else()
  set(CPACK_STRIP_FILES OFF)
endif()
