#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds the libFuzzer targets with clang into fuzz/out/.
# Usage: fuzz/build.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/fuzz/out"
mkdir -p "$out"
gcc_include=$(gcc -print-file-name=include)
backtrace=$(gcc -print-file-name=libbacktrace.a)
sources=$(ls "$root"/textio/*.cpp "$root"/splitting/*.cpp "$root"/driver/run_driver.cpp "$root"/driver/start_up.cpp)
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -I"$root" -idirafter "$gcc_include")
for target in text_real text_integer console_reads record_scanner whole_run; do
  clang++ "${flags[@]}" $sources "$root/fuzz/$target.cpp" "$backtrace" -ldl -o "$out/$target" &
done
wait
echo "built into $out"
