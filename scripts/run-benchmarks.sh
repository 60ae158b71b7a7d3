#!/usr/bin/env bash
# Runs every benchmark binary the bench build produced.
set -euo pipefail
dir=${1:?build folder}
shopt -s nullglob
found=0
for b in "$dir"/bin/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b"
done
[ "$found" = 1 ] || echo "no benchmarks built"
