#!/usr/bin/env bash
# Dataset figures: sorting, the selection walk, find and deletions over 100,000 rows,
# against std::sort of the same names in the same run.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/dataset/bench_dataset"
if [ ! -x "$program" ]; then
  cmake --build "$build" --target bench_dataset
fi
"$program"
