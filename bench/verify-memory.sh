#!/usr/bin/env bash
# Memory of checkwell-verify per listed entry: its peak resident size on an SFV of
# ENTRIES entries (default 1,000,000) minus its peak on an SFV of one entry, both
# measured in this run, divided by the number of entries. The entries name twenty
# empty files over and over (names of 23 characters in a folder of /tmp), so that
# every verification runs to its end.
# Target: at most 250 bytes per entry.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
verify="$build/src/cli/checkwell-verify"
entries=${ENTRIES:-1000000}
limit=250

if [ ! -x "$verify" ]; then
  echo "checkwell-verify is not built: $verify" >&2
  exit 1
fi
if [ ! -x /usr/bin/time ]; then
  echo "SKIP  GNU time (/usr/bin/time) is not installed: no peak resident size"
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/checkwell-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT

for ((i = 0; i < 20; i++)); do : >"$work/$(printf 'release.part%07d.bin' "$i")"; done
list() { # count
  awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "release.part%07d.bin 00000000\r\n", i % 20 }'
}
list "$entries" >"$work/large.sfv"
list 1 >"$work/tiny.sfv"

# Peak resident size in KiB of a verification that must succeed.
peak_kib() { # sfv
  /usr/bin/time -f '%M' -o "$work/time.txt" "$verify" -q "$1" >/dev/null ||
    { echo "FAILED: checkwell-verify -q $1" >&2; exit 1; }
  tail -n 1 "$work/time.txt"
}

large=$(peak_kib "$work/large.sfv")
tiny=$(peak_kib "$work/tiny.sfv")
per_entry=$(((large - tiny) * 1024 / entries))
printf '%-34s %12s\n' "peak resident size" KiB
printf '  %-32s %12d\n' "one entry" "$tiny" "$entries entries" "$large"
echo
if [ "$per_entry" -le "$limit" ]; then
  echo "PASS  memory per listed entry: $per_entry bytes (target <= $limit)"
else
  echo "FAIL  memory per listed entry: $per_entry bytes (target <= $limit)"
  exit 1
fi
