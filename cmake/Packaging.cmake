# SPDX-License-Identifier: Apache-2.0
# cpack (from the build folder) makes the .deb packages, or a .zip for
# Windows. The .deb of the program is stripped; its debug file, which the
# traceback of a failure report reads for routine names and source lines,
# goes to segmentor-dbgsym, which the program's package recommends. The .zip
# keeps the debug information in the binary, so the traceback works
# wherever it is unpacked. No Linux tarball: the release's static tarballs
# (packaging/release.sh) are the Linux downloads, and a second one, linked
# against this machine's libraries, would pass for them.
set(SEGMENTOR_MAINTAINER "Segmentor maintainers <maintainers@segmentor.example>" CACHE STRING
    "Maintainer of the packages made by cpack: name <address>")
set(CPACK_PACKAGE_NAME segmentor)
set(CPACK_PACKAGE_CONTACT ${SEGMENTOR_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "Segmentor reads a survey data file of header lines and data records and\nwrites every run of records of one survey line to its own file, each\nrecord tagged with the direction of the step to the next.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  include(DebianFiles)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# One .deb per install component: segmentor, and segmentor-dbgsym as Debian
# names the package of a program's debug files.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_SEGMENTOR_PACKAGE_NAME segmentor)
set(CPACK_DEBIAN_SEGMENTOR_PACKAGE_RECOMMENDS "segmentor-dbgsym (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DBGSYM_PACKAGE_NAME segmentor-dbgsym)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_DEPENDS "segmentor (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SECTION debug)
set(CPACK_DEBIAN_DBGSYM_PACKAGE_SHLIBDEPS OFF)
# Each package's description starts with its own summary line.
set(CPACK_DEBIAN_SEGMENTOR_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_DBGSYM_DESCRIPTION
    "debug symbols for segmentor\nThe debug information of the program segmentor, which the traceback of its\nfailure reports reads to name routines and source lines.")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackPerGenerator.cmake)
include(CPack)
