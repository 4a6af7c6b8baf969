# SPDX-License-Identifier: Apache-2.0
# Cross-compiles for 64-bit ARM Linux with Debian's cross GCC
# (g++-aarch64-linux-gnu, whose libbacktrace the traceback uses) and runs the
# built programs under qemu-user (qemu-user-static), which finds the ARM
# C library of a dynamically linked test program under the cross sysroot:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake -DSEGMENTOR_STATIC=ON
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${CROSS_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(QEMU_AARCH64 NAMES qemu-aarch64-static qemu-aarch64)
if(QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} -L /usr/${CROSS_TRIPLE})
endif()
