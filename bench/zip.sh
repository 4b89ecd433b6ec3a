#!/usr/bin/env bash
# "Move to Zips" of a 1 GiB set (half random data that does not shrink, half text)
# against "zip -r -1" of the same files plus "unzip -t", in one run.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/zip/bench_zip"
if [ ! -x "$program" ]; then
  cmake --build "$build" --target bench_zip
fi
command -v zip >/dev/null && command -v unzip >/dev/null || {
  echo "zip and unzip are needed (scripts/install-deps.sh --bench)"
  exit 1
}

work=$(mktemp -d /tmp/checkwell-bench-zip.XXXXXX)
trap 'rm -rf "$work"' EXIT
set_dir="$work/set"
mkdir -p "$set_dir/text" "$work/ref" "$work/ours"

# 512 MiB that does not shrink (8 x 64 MiB), 512 MiB of text (8 x 64 MiB made of a
# 4 MiB corpus of random words; deflate only ever sees 32 KiB back, so the copies
# cost it what fresh text would).
for i in 1 2 3 4 5 6 7 8; do
  head -c 64M /dev/urandom >"$set_dir/media$i.bin"
done
python3 - "$work/corpus.txt" <<'PY'
import random, sys
random.seed(15)
words = ["".join(random.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(random.randint(2, 10)))
         for _ in range(20000)]
out = []
size = 0
while size < 4 * 1024 * 1024:
    line = " ".join(random.choice(words) for _ in range(random.randint(4, 16))) + ".\n"
    out.append(line)
    size += len(line)
open(sys.argv[1], "w").write("".join(out))
PY
# head stops reading at 64 MiB, and the copies still being written then end on a
# broken pipe, which is no failure here.
for i in 1 2 3 4 5 6 7 8; do
  { for _ in $(seq 16); do cat "$work/corpus.txt"; done || true; } |
    head -c 64M >"$set_dir/text/part$i.txt"
done
rm "$work/corpus.txt"
(cd "$set_dir" && for f in media*.bin text/part*.txt; do echo "$f 00000000"; done) >"$set_dir/set.sfv"
sync

# The reference: the same files packed and tested.
start=$(date +%s.%N)
(cd "$set_dir" && zip -q -r -1 "$work/ref/set.zip" . && unzip -tq "$work/ref/set.zip" >/dev/null)
end=$(date +%s.%N)
reference=$(echo "$end - $start" | bc -l)
ref_size=$(stat -c %s "$work/ref/set.zip")
rm -f "$work/ref/set.zip"
sync

ours=$("$program" "$set_dir" set.sfv "$work/ours")
unzip -tq "$work/ours/set.zip" >/dev/null
our_size=$(stat -c %s "$work/ours/set.zip")
left=$(find "$set_dir" -type f | wc -l)

printf 'zip -r -1 + unzip -t:  %7.2f s  (%d bytes)\n' "$reference" "$ref_size"
printf 'Move to Zips:          %7.2f s  (%d bytes, %d source files left)\n' "$ours" "$our_size" "$left"
printf 'ratio (ours / zip):    %7.2f  (target 1.25 or less)\n' "$(echo "$ours / $reference" | bc -l)"
