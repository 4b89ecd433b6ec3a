#!/usr/bin/env bash
# Runs every benchmark: each bench/*.sh script gets the build folder as its argument.
# Every benchmark prints its figures and the ratio against a reference measured
# in the same run.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
status=0
for script in "$here"/*.sh; do
  [ "$(basename "$script")" = "run-all.sh" ] && continue
  echo "== $(basename "$script" .sh)"
  bash "$script" "$build" || status=1
done
exit $status
