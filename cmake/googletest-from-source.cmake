# SPDX-License-Identifier: Apache-2.0
# Builds GoogleTest from Debian's source (googletest package, /usr/src/googletest)
# as part of this build, for a target that has no GoogleTest installed (a
# cross build). find_package(GTest) is then answered by this build, with the
# targets GTest::gtest and GTest::gtest_main.
include_guard(GLOBAL)
include(FetchContent)

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source folder")
if(NOT EXISTS "${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest source in ${GOOGLETEST_SOURCE_DIR} (apt-get install googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
FetchContent_Declare(GTest SOURCE_DIR "${GOOGLETEST_SOURCE_DIR}" OVERRIDE_FIND_PACKAGE)
FetchContent_MakeAvailable(GTest)
