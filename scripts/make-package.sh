#!/usr/bin/env bash
# Makes the Debian package from a built tree and prints its path.
#   scripts/make-package.sh [build folder]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
(cd "$build" && cpack -G DEB >/dev/null)
ls -t "$build"/checkwell_*.deb | head -n 1
