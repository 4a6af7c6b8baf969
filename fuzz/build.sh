#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the libFuzzer targets with clang into fuzz/out/; fails when any of
# them fails to build.
# Usage: fuzz/build.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/fuzz/out"
mkdir -p "$out"
# A configure-only CMake run with clang gives the configured header (the
# version), libbacktrace's place and whether from_chars reads doubles.
config="$out/config"
cmake -S "$root" -B "$config" -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF >/dev/null
cached() { sed -n "s/^$1:[A-Z]*=//p" "$config/CMakeCache.txt"; }
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root" -I"$config/generated" -idirafter "$(cached LIBBACKTRACE_INCLUDE_DIR)")
[ "$(cached SEGMENTOR_HAVE_FROM_CHARS_DOUBLE)" = 1 ] || flags+=(-DSEGMENTOR_REAL_FROM_STRTOD)
sources=("$root"/splitting/*.cpp "$root"/driver/run_driver.cpp "$root"/driver/start_up.cpp)
for source in "$root"/textio/*.cpp; do
  [ "$source" = "$root/textio/platform_win32.cpp" ] || sources+=("$source")
done
targets=(text_real text_integer console_reads record_scanner whole_run)
pids=()
for target in "${targets[@]}"; do
  clang++ "${flags[@]}" "${sources[@]}" "$root/fuzz/$target.cpp" "$(cached LIBBACKTRACE_LIBRARY)" -ldl \
    -o "$out/$target" &
  pids+=($!)
done
failed=()
for i in "${!targets[@]}"; do
  wait "${pids[$i]}" || failed+=("${targets[$i]}")
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz/build.sh: failed to build: ${failed[*]}" >&2
  exit 1
fi
echo "built into $out"
