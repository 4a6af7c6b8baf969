#!/usr/bin/env bash
# SPDX-License-Identifier: Apache-2.0
# Fuzzes one target for a while, growing its corpus in fuzz/corpus/<target>.
# Usage: fuzz/run.sh <target> [seconds]   (targets: text_real text_integer
# console_reads record_scanner whole_run)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=$1
seconds=${2:-600}
work="$root/fuzz/out/corpus-$target"
mkdir -p "$work" "$root/fuzz/corpus/$target"
# Reports of the program's own failures are expected; keep them off the screen.
status=0
"$root/fuzz/out/$target" -max_total_time="$seconds" -close_fd_mask=3 -timeout=10 \
  -rss_limit_mb=2048 -max_len=70000 -artifact_prefix="$root/fuzz/out/$target-" \
  "$work" "$root/fuzz/corpus/$target" || status=$?
echo "fuzzing $target ended with status $status"
# Keep a small minimised corpus in the repository.
tmp=$(mktemp -d)
"$root/fuzz/out/$target" -merge=1 -close_fd_mask=3 "$tmp" "$work" "$root/fuzz/corpus/$target" >/dev/null 2>&1
rm -rf "$root/fuzz/corpus/$target" && mv "$tmp" "$root/fuzz/corpus/$target"
echo "corpus: $(ls "$root/fuzz/corpus/$target" | wc -l) inputs"
exit "$status"
