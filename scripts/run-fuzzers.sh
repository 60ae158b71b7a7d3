#!/usr/bin/env bash
# Runs every fuzzer the fuzz build produced for a bounded time, each over its
# seed corpus (fuzz/corpus/NAME) copied into a scratch folder, so that a run
# never changes the committed seeds. Any crash, leak or UB report fails.
set -euo pipefail
dir=${1:?build folder}
seconds=${2:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
found=0
for f in "$dir"/bin/fuzz_*; do
  [ -x "$f" ] || continue
  found=1
  name=$(basename "$f")
  work=$(mktemp -d)
  if [ -d "$root/fuzz/corpus/$name" ]; then
    cp -r "$root/fuzz/corpus/$name/." "$work/"
  fi
  echo "== $name for ${seconds}s"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$f" -max_total_time="$seconds" -print_final_stats=1 "$work" \
      -artifact_prefix="$dir/$name-"
  rm -rf "$work"
done
[ "$found" = 1 ] || echo "no fuzzers built"
