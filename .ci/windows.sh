#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# CI, Windows job: cross-builds the whole project with mingw-w64, runs the
# whole suite under Wine with the Wine prefix inside the build folder, makes
# the .zip, and stops the Wine server at the end. The build folder is $1
# (build-windows by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-windows}")
cd "$root"

. "$root/.ci/packages"
"$root/.ci/install-packages" "${windows_packages[@]}"

cmake -S . -B "$build" --toolchain "$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release

# The Wine prefix is made first, while no server runs: wineboot starts a
# server of its own, which saves the prefix and ends a few seconds after it.
# Then one Wine server for the whole job, kept running between the test
# programs (a cold start costs most of a second each) and stopped on every
# way out. Its output goes nowhere: a daemon holding the job's output open
# would make whatever reads that output wait for it.
export WINEPREFIX="$build/wine" WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true' EXIT
"$build/wine-run" cmd /c exit
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
"$build/wine-run" cmd /c exit

cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2

# The .zip holds the program, whole (the traceback reads its debug
# information), the example and its documents.
(cd "$build" && rm -f ./*.zip && cpack)
zip=$(echo "$build"/segmentor-*.zip)
contents=$(cmake -E tar tf "$zip")
echo "$contents"
for f in segmentor.exe README.md LICENSE examples/survey.xyz; do
  grep -q "/$f\$" <<<"$contents" || { echo "$f missing from $zip"; exit 1; }
done
