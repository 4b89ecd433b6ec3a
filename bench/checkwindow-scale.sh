#!/usr/bin/env bash
# The check window at scale, against checkwell-verify --jobs 1 measured in the same run:
#   - verifying COUNT (100,000) files of 512 bytes (page cache warm) in a stand-alone
#     window on the offscreen platform, against the verifier on the same SFV;
#     target: window <= 1.5 x verifier;
#   - removing all entries of a REMOVE_COUNT (20,000) entry SFV through the window's
#     "Remove" with "Yes" scripted; target: under 1 s;
#   - resident bytes per listed entry, (peak RSS with MEMORY_COUNT (1,000,000)
#     entries - peak RSS with a ten-entry SFV) / MEMORY_COUNT, for the verifier and
#     the window; the entries name the set's files over and over, so every one is
#     found and hashed; targets: verifier <= 250, window <= 500.
# The verification times are the median of RUNS runs (the two programs take turns).
# PARTS (default "time remove memory") picks the measurements to run, e.g.
# PARTS=memory COUNT=1000 for the memory figures alone on a smaller set.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/checkwindow-scale/bench_checkwindow_scale"
verify="$build/src/cli/checkwell-verify"
runs=${RUNS:-3}
count=${COUNT:-100000}
remove_count=${REMOVE_COUNT:-20000}
memory_count=${MEMORY_COUNT:-1000000}
parts=" ${PARTS:-time remove memory} "
runs_part() { [[ "$parts" == *" $1 "* ]]; }
if [ ! -x "$program" ] || [ ! -x "$verify" ]; then
  cmake --build "$build" --target bench_checkwindow_scale checkwell-verify
fi
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d "${TMPDIR:-/tmp}/checkwell-scale.XXXXXX")
trap 'rm -rf "$work"' EXIT

calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
now() { date +%s.%N; }
median() { sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
field() { awk -v k="$1" '$1 == k { print $2 }'; } # key: the value of a "key value" line

status=0
check() { # description value maximum unit
  if awk -v a="$2" -v b="$3" 'BEGIN { exit !(a <= b) }'; then
    printf 'PASS  %s: %.2f%s (target <= %s%s)\n' "$1" "$2" "$4" "$3" "$4"
  else
    printf 'FAIL  %s: %.2f%s (target <= %s%s)\n' "$1" "$2" "$4" "$3" "$4"
    status=1
  fi
}

echo "Making $count files of 512 bytes in $work ..."
set_dir="$work/set"
mkdir -p "$set_dir"
head -c $((count * 512)) /dev/urandom |
  (cd "$set_dir" && split -b 512 -d -a 7 --additional-suffix=.bin - f)
# The CRCs come from a peer when one is installed, so the window is also checked
# against an independent CRC.
if command -v rhash >/dev/null; then
  (cd "$set_dir" && find . -maxdepth 1 -name '*.bin' -printf '%f\n' | sort |
    xargs rhash --sfv | grep -v '^;' >entries)
else
  python3 - "$set_dir" <<'PY'
import os, sys, zlib
folder = sys.argv[1]
with open(os.path.join(folder, "entries"), "w") as out:
    for name in sorted(n for n in os.listdir(folder) if n.endswith(".bin")):
        with open(os.path.join(folder, name), "rb") as f:
            out.write("%s %08X\n" % (name, zlib.crc32(f.read())))
PY
fi
cp "$set_dir/entries" "$set_dir/set.sfv"
find "$set_dir" -name "*.bin" -exec cat {} + >/dev/null  # warm the page cache

if runs_part time; then
echo "Timing $count files (median of $runs runs each) ..."
window_times=()
verify_times=()
summary=""
for ((r = 0; r < runs; r++)); do
  start=$(now)
  (cd "$set_dir" && "$verify" --jobs 1 -q set.sfv >/dev/null)
  verify_times+=("$(calc "$(now) - $start")")
  out=$("$program" verify "$set_dir/set.sfv" 2>/dev/null)
  window_times+=("$(field seconds <<<"$out")")
  summary=$(sed -n 's/^summary //p' <<<"$out")
done
verify_s=$(printf '%s\n' "${verify_times[@]}" | median)
window_s=$(printf '%s\n' "${window_times[@]}" | median)
printf '  checkwell-verify --jobs 1  %8.3f s\n' "$verify_s"
printf '  check window               %8.3f s   (summary "%s")\n' "$window_s" "$summary"
if [ "$summary" != "Files $count,  OK $count" ]; then
  echo "FAIL  the window's summary should read \"Files $count,  OK $count\""
  status=1
fi
check "window / verifier on $count files" "$(calc "$window_s / $verify_s")" 1.5 " x"
fi

if runs_part remove; then
echo "Removing all $remove_count entries of an SFV through the window ..."
head -n "$remove_count" "$set_dir/entries" >"$set_dir/remove.sfv"
if out=$("$program" remove "$set_dir/remove.sfv" 2>/dev/null); then
  check "removing $remove_count entries" "$(field remove_seconds <<<"$out")" 1.0 " s"
else
  echo "FAIL  removing $remove_count entries did not end with an empty window"
  status=1
fi
fi

if runs_part memory; then
echo "Resident bytes per entry on $memory_count entries ..."
head -n 10 "$set_dir/entries" >"$set_dir/tiny.sfv"
awk -v n="$memory_count" '{ line[NR] = $0 } END { for (i = 0; i < n; i++) print line[i % NR + 1] }' \
  "$set_dir/entries" >"$set_dir/memory.sfv"
verify_peak() { # sfv: peak resident KiB of the verifier
  if [ -x /usr/bin/time ]; then
    (cd "$set_dir" && /usr/bin/time -f '%M' "$verify" --jobs 1 -q "$1" 2>&1 >/dev/null | tail -n 1)
  else
    (cd "$set_dir" && python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$verify" --jobs 1 -q "$1")
  fi
}
window_peak() { "$program" verify "$1" 2>/dev/null | field peak_rss_kb; }
verify_tiny=$(verify_peak tiny.sfv)
verify_big=$(verify_peak memory.sfv)
window_tiny=$(window_peak "$set_dir/tiny.sfv")
window_big=$(window_peak "$set_dir/memory.sfv")
verify_bpe=$(calc "($verify_big - $verify_tiny) * 1024 / $memory_count")
window_bpe=$(calc "($window_big - $window_tiny) * 1024 / $memory_count")
printf '  checkwell-verify  peak %8d KiB (ten entries: %d KiB)\n' "$verify_big" "$verify_tiny"
printf '  check window      peak %8d KiB (ten entries: %d KiB)\n' "$window_big" "$window_tiny"
check "checkwell-verify bytes per entry" "$verify_bpe" 250 ""
check "check window bytes per entry" "$window_bpe" 500 ""
fi
exit $status
