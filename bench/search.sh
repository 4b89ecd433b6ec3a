#!/usr/bin/env bash
# The manager's search and check runs over a generated tree: 2,000 folders holding
# 20,000 files, 5,000 of them small SFVs that each list 3 files of 1 KiB (a set
# is 4 files). In the same run:
#   "Search Only"          against  find TREE -iname '*.sfv' -exec cat {} +
#   "Search and Check All" against  checkwell-verify TREE
# Targets: each within 1.5 times its reference. The files are read from the page
# cache (warmed first); each figure is the median of RUNS runs.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
program="$build/bench/search/bench_search"
verify="$build/src/cli/checkwell-verify"
runs=${RUNS:-5}
if [ ! -x "$program" ] || [ ! -x "$verify" ]; then
  cmake --build "$build" --target bench_search checkwell-verify
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/checkwell-bench-search.XXXXXX")
trap 'rm -rf "$work"' EXIT
tree="$work/tree"

python3 - "$tree" <<'PY'
import os, random, sys, zlib
root = sys.argv[1]
random.seed(13)
# 50 top folders with 39 sub folders each: 2,000 folders.
folders = []
for t in range(50):
    top = os.path.join(root, "d%02d" % t)
    folders.append(top)
    folders.extend(os.path.join(top, "s%02d" % s) for s in range(39))
for folder in folders:
    os.makedirs(folder, exist_ok=True)
for n in range(5000):
    folder = folders[n % len(folders)]
    lines = []
    for i in range(3):
        name = "set%04d.r%02d" % (n, i)
        data = random.randbytes(1024)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        lines.append("%s %08X\r\n" % (name, zlib.crc32(data)))
    with open(os.path.join(folder, "set%04d.sfv" % n), "w", newline="") as f:
        f.write("; made for the benchmark\r\n" + "".join(lines))
PY
echo "tree: $(find "$tree" -type d | wc -l) folders, $(find "$tree" -type f | wc -l) files," \
  "$(find "$tree" -iname '*.sfv' | wc -l) SFVs"

calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
within() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'; }
now() { date +%s.%N; }
median_time() { # command...
  local times=()
  for ((r = 0; r < runs; r++)); do
    local start end
    start=$(now)
    "$@" >/dev/null 2>&1 || { echo "FAILED: $*" >&2; return 1; }
    end=$(now)
    times+=("$(calc "$end - $start")")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}
find_cat() { find "$tree" -iname '*.sfv' -exec cat {} +; }

# Warm the page cache with every file.
find "$tree" -type f -exec cat {} + >/dev/null

find_time=$(median_time find_cat)
verify_time=$(median_time "$verify" "$tree")
ours=$(QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$program" "$tree" "$runs" \
  2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2))
echo "$ours" | sed 's/^/  /'
search_time=$(echo "$ours" | awk '$1 == "search_only" { print $2 }')
run_time=$(echo "$ours" | awk '$1 == "search_and_check" { print $2 }')
search_ratio=$(calc "$search_time / $find_time")
run_ratio=$(calc "$run_time / $verify_time")
status=0
printf 'Search Only           %8.3f s   find + cat        %8.3f s   ratio %.2f (target <= 1.5)\n' \
  "$search_time" "$find_time" "$search_ratio"
within "$search_ratio" 1.5 || { echo "  search target missed"; status=1; }
printf 'Search and Check All  %8.3f s   checkwell-verify  %8.3f s   ratio %.2f (target <= 1.5)\n' \
  "$run_time" "$verify_time" "$run_ratio"
within "$run_ratio" 1.5 || { echo "  run target missed"; status=1; }
exit $status
