#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Builds one fuzz target with clang, libFuzzer and the sanitizers in
# build-fuzz/ (-DSEGMENTOR_FUZZ=ON, configured on first use) and fuzzes it
# for a while. New inputs go to a working corpus outside the source tree
# ($SEGMENTOR_FUZZ_WORK, by default ~/.cache/segmentor-fuzz), with any
# crashing input; the committed corpus fuzz/corpus/<target> is only read,
# unless --merge asks to replace it by a minimised merge of both.
# Usage: fuzz/run.sh [--merge] <target> [seconds]   (targets: text_real
# text_integer console_reads record_scanner whole_run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
merge=0
if [ "${1:-}" = --merge ]; then
  merge=1
  shift
fi
target=${1:?usage: fuzz/run.sh [--merge] <target> [seconds]}
seconds=${2:-600}
build="$root/build-fuzz"
fuzzer="$build/fuzz/fuzz_$target"
corpus="$root/fuzz/corpus/$target"
work="${SEGMENTOR_FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/segmentor-fuzz}/$target"
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DSEGMENTOR_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build "$build" -j2 --target "fuzz_$target" ||
  { echo "fuzz/run.sh: could not build fuzz_$target (targets: fuzz/CMakeLists.txt)" >&2; exit 2; }
mkdir -p "$work/corpus" "$corpus"
# Reports of the program's own failures are expected; keep them off the screen.
status=0
"$fuzzer" -max_total_time="$seconds" -close_fd_mask=3 -timeout=10 \
  -rss_limit_mb=2048 -max_len=70000 -artifact_prefix="$work/" \
  "$work/corpus" "$corpus" || status=$?
echo "fuzzing $target ended with status $status; working corpus and artifacts in $work"
if [ "$merge" = 1 ]; then
  merged=$(mktemp -d)
  "$fuzzer" -merge=1 -close_fd_mask=3 "$merged" "$work/corpus" "$corpus" >/dev/null 2>&1
  chmod 755 "$merged"
  rm -rf "$corpus" && mv "$merged" "$corpus"
  echo "committed corpus: $(ls "$corpus" | wc -l) inputs (review with git status)"
fi
exit "$status"
