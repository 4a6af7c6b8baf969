#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# CI, Windows job: cross-builds with mingw-w64 and runs the suite under Wine,
# with the Wine prefix inside the build folder and the Wine server stopped at
# the end. Today it builds the Windows checks in tests/windows (toolchain,
# libbacktrace, GoogleTest, spawn helper).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 gcc-12-source googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

build=build-windows
cmake -S tests/windows -B "$build" --toolchain "$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release

# One Wine server for the whole job, kept running between the test programs
# (a cold start costs most of a second each) and stopped on every way out.
# Its output goes nowhere: a daemon holding the job's output open would make
# whatever reads that output wait for it.
export WINEPREFIX="$PWD/$build/wine" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
trap 'wineserver -k || true' EXIT
wineserver -p </dev/null >/dev/null 2>&1
"$build/wine-run" cmd /c exit

cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
