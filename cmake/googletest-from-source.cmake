# SPDX-License-Identifier: Apache-2.0
# Builds GoogleTest from Debian's source (googletest package, /usr/src/googletest)
# as part of this build, for a target that has no GoogleTest installed (a
# cross build) or one whose standard library differs from the installed
# one's (libc++). find_package(GTest) is then answered by this build, with
# the targets GTest::gtest and GTest::gtest_main.
include_guard(GLOBAL)
include(FetchContent)

# The sources: SEGMENTOR_GTEST_SOURCE_DIR when given, Debian's otherwise.
set(gtest_source "${SEGMENTOR_GTEST_SOURCE_DIR}")
if(NOT gtest_source)
  set(gtest_source /usr/src/googletest)
endif()
if(NOT EXISTS "${gtest_source}/CMakeLists.txt")
  message(FATAL_ERROR "No GoogleTest source in ${gtest_source} (apt-get install googletest)")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
FetchContent_Declare(GTest SOURCE_DIR "${gtest_source}" OVERRIDE_FIND_PACKAGE)
FetchContent_MakeAvailable(GTest)
