# SPDX-License-Identifier: Apache-2.0
# Read while the C++ compiler is set up, before the flag caches exist.
# Release builds are made at -O2 unless the user's CXXFLAGS or
# CMAKE_CXX_FLAGS name an optimisation level, which then stays in force.
# A CMAKE_CXX_FLAGS_RELEASE given by the user replaces this, as always.
if("$ENV{CXXFLAGS} ${CMAKE_CXX_FLAGS}" MATCHES "(^| )-O")
  set(CMAKE_CXX_FLAGS_RELEASE_INIT "-DNDEBUG")
else()
  set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")
endif()
