# SPDX-License-Identifier: Apache-2.0
# cpack (from the build folder) makes a .deb and a .tar.gz of what
# cmake --install installs, or a .zip for Windows. The .deb is stripped and
# carries the separate debug file; the .tar.gz and the .zip keep the debug
# information in the binary, so the traceback works wherever it is unpacked.
set(SEGMENTOR_PACKAGE_CONTACT "Segmentor maintainers" CACHE STRING
    "Maintainer of the packages made by cpack (name <address>)")
set(CPACK_PACKAGE_NAME segmentor)
set(CPACK_PACKAGE_CONTACT ${SEGMENTOR_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "Segmentor reads a survey data file of header lines and data records and\nwrites every run of records of one survey line to its own file, each\nrecord tagged with the direction of the step to the next.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackPerGenerator.cmake)
include(CPack)
