#!/usr/bin/env bash
# Check window responsiveness: verifies an SFV listing one 2 GiB file in the window
# on the offscreen platform and prints the longest gaps between processed events
# and repaints (target under 100 ms), the close latency mid-file, and the speed
# against hashing the same file without a window in the same run.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/responsiveness/bench_responsiveness"
if [ ! -x "$program" ]; then
  cmake --build "$build" --target bench_responsiveness
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Real data, not a sparse file: the hash must read every byte.
head -c $((2 * 1024 * 1024 * 1024)) /dev/urandom > "$work/big.bin"

# The SFV comes from another tool when one is installed, so the window is also
# checked against an independent CRC.
if command -v rhash > /dev/null; then
  crc=$(rhash --printf='%C' "$work/big.bin")
elif command -v cksfv > /dev/null; then
  crc=$(cd "$work" && cksfv -q big.bin | awk '!/^;/ {print $2}')
else
  crc=$(python3 -c 'import sys, zlib
c = 0
with open(sys.argv[1], "rb") as f:
    for block in iter(lambda: f.read(1 << 20), b""):
        c = zlib.crc32(block, c)
print("%08X" % c)' "$work/big.bin")
fi
printf 'big.bin %s\r\n' "$crc" > "$work/big.sfv"

QT_QPA_PLATFORM=offscreen "$program" "$work/big.sfv"
