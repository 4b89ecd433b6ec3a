#!/usr/bin/env bash
# The manager's list at 50,000 SFVs: adding as a search does, marking all Skip and
# back, removing, each against reading and parsing the same SFVs in the same run.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/manager/bench_manager"
if [ ! -x "$program" ]; then
  cmake --build "$build" --target bench_manager
fi
work=$(mktemp -d /tmp/checkwell-bench-manager.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$program" "$work/run"
