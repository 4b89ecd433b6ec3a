#!/usr/bin/env bash
# SFV verification speed of checkwell-verify against the page-cache read limit (cat)
# and against the peers rhash and cksfv, all measured in this run on the same files:
#   large set: 20 files of 100 MiB;  small set: 20000 files of 4 KiB.
# The files are read from the page cache (warmed first), so this measures the
# program, not the disk. Each figure is the median of RUNS runs on the large set and
# of SMALL_RUNS on the small one, whose runs are short enough for a single
# scheduling hiccup to move a figure by several per cent.
# Targets: large set  --jobs 1 >= 0.85 x cat,  --jobs 2 >= 1.6 x cat;
#          small set  --jobs 2 >= 2.5 x rhash.
# "cat, two at once" shows how far this machine lets two readers go together; the
# --jobs 2 target assumes two otherwise idle cores.
# Also checks that checkwell-verify and rhash agree on every file of the sets rhash
# made, after one file of each set is damaged and one deleted.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
verify="$build/src/cli/checkwell-verify"
runs=${RUNS:-5}
small_runs=${SMALL_RUNS:-15}
large_count=${LARGE_COUNT:-20}
large_mib=${LARGE_MIB:-100}
small_count=${SMALL_COUNT:-20000}
small_bytes=${SMALL_BYTES:-4096}

if [ ! -x "$verify" ]; then
  echo "checkwell-verify is not built: $verify" >&2
  exit 1
fi
have() { command -v "$1" >/dev/null 2>&1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/checkwell-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Random files: one stream from the kernel's generator, cut into pieces.
make_files() { # folder count bytes
  mkdir -p "$1"
  head -c $(($2 * $3)) /dev/urandom |
    (cd "$1" && split -b "$3" -d -a "${#2}" --additional-suffix=.bin - f)
}

# The SFV of a folder's *.bin files, made by a peer so that it is not our own format
# being checked against itself.
make_sfv() { # folder
  if have rhash; then
    (cd "$1" && find . -maxdepth 1 -name '*.bin' -printf '%f\n' | sort | xargs rhash --sfv >set.sfv)
  elif have cksfv; then
    (cd "$1" && find . -maxdepth 1 -name '*.bin' -printf '%f\n' | sort | xargs cksfv -b >set.sfv)
  else
    echo "neither rhash nor cksfv is installed: run scripts/install-deps.sh --bench" >&2
    exit 1
  fi
}

calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

now() { date +%s.%N; }

# Median wall time of a command over $runs runs (it runs in the set's folder).
median_time() { # folder command...
  local folder=$1; shift
  local times=()
  for ((r = 0; r < runs; r++)); do
    local start end
    start=$(now)
    (cd "$folder" && "$@") >/dev/null 2>&1 || { echo "FAILED: $*" >&2; return 1; }
    end=$(now)
    times+=("$(calc "$end - $start")")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'
}

cat_files() { find . -maxdepth 1 -name '*.bin' -print0 | xargs -0 cat; }
# Two cats at once, each on every other file: what the machine allows two readers.
cat_files_twice() {
  find . -maxdepth 1 -name '*.bin' | sort | awk 'NR % 2' | xargs cat &
  find . -maxdepth 1 -name '*.bin' | sort | awk '!(NR % 2)' | xargs cat
  wait
}

declare -A seconds
measure_set() { # name folder
  local name=$1 folder=$2
  cat_files_in() { (cd "$folder" && cat_files >/dev/null); }
  cat_files_in; cat_files_in  # warm the page cache
  seconds[$name.cat]=$(median_time "$folder" bash -c "$(declare -f cat_files); cat_files")
  seconds[$name.cat2]=$(median_time "$folder" bash -c "$(declare -f cat_files_twice); cat_files_twice")
  seconds[$name.j1]=$(median_time "$folder" "$verify" --jobs 1 -q set.sfv)
  seconds[$name.j2]=$(median_time "$folder" "$verify" --jobs 2 -q set.sfv)
  if have rhash; then seconds[$name.rhash]=$(median_time "$folder" rhash -c set.sfv); fi
  if have cksfv; then seconds[$name.cksfv]=$(median_time "$folder" cksfv -q -f set.sfv); fi
}

report_set() { # name bytes
  local name=$1 bytes=$2
  local ref_cat=${seconds[$name.cat]} ref_rhash=${seconds[$name.rhash]:-}
  printf '%-28s %9s %9s %9s %9s\n' "$name ($((bytes >> 20)) MiB)" seconds "GB/s" "x cat" "x rhash"
  for tool in cat cat2 j1 j2 rhash cksfv; do
    local t=${seconds[$name.$tool]:-}
    [ -n "$t" ] || continue
    local label=$tool
    case $tool in
      cat2) label="cat, two at once" ;;
      j1) label="checkwell-verify --jobs 1" ;;
      j2) label="checkwell-verify --jobs 2" ;;
      rhash) label="rhash -c" ;;
      cksfv) label="cksfv -f" ;;
    esac
    local gbps vs_cat vs_rhash="-"
    gbps=$(calc "$bytes / $t / 1000000000")
    vs_cat=$(calc "$ref_cat / $t")
    [ -n "$ref_rhash" ] && vs_rhash=$(printf '%.2f' "$(calc "$ref_rhash / $t")")
    printf '  %-26s %9.3f %9.2f %9.2f %9s\n' "$label" "$t" "$gbps" "$vs_cat" "$vs_rhash"
  done
}

status=0
check() { # description value minimum
  if at_least "$2" "$3"; then
    printf 'PASS  %s: %.2f (target >= %s)\n' "$1" "$2" "$3"
  else
    printf 'FAIL  %s: %.2f (target >= %s)\n' "$1" "$2" "$3"
    status=1
  fi
}

# Both programs' verdict per file, as "name OK" or "name BAD", sorted.
verdicts_ours() { # folder
  # The verifier names files by their full path; rhash as listed.
  (cd "$1" && "$verify" set.sfv || true) | awk -F'\t' '$1 !~ /^(SFV |Summary)/ {
    n = split($2, part, "/"); print part[n], ($1 == "OK" ? "OK" : "BAD") }' | sort
}
verdicts_rhash() { # folder
  (cd "$1" && rhash -c set.sfv 2>&1 || true) | awk '/^f[0-9]+\.bin / {
    print $1, ($NF == "OK" ? "OK" : "BAD") }' | sort
}
agreement() { # name folder
  local files
  mapfile -t files < <(find "$2" -maxdepth 1 -name '*.bin' | sort)
  printf 'x' >>"${files[0]}"
  rm -f "${files[1]}"
  local ours theirs
  ours=$(verdicts_ours "$2")
  theirs=$(verdicts_rhash "$2")
  local bad
  bad=$(grep -c ' BAD$' <<<"$ours" || true)
  if [ "$ours" = "$theirs" ] && [ "$bad" -eq 2 ]; then
    echo "PASS  $1: checkwell-verify and rhash agree on all $(wc -l <<<"$ours") files ($bad damaged or missing)"
  else
    echo "FAIL  $1: checkwell-verify and rhash disagree"
    diff <(echo "$ours") <(echo "$theirs") | head -20 || true
    status=1
  fi
}

echo "Making the sets in $work ..."
make_files "$work/large" "$large_count" $((large_mib << 20))
make_files "$work/small" "$small_count" "$small_bytes"
make_sfv "$work/large"
make_sfv "$work/small"
large_bytes=$((large_count * (large_mib << 20)))
small_bytes_total=$((small_count * small_bytes))

echo "Timing (median of $runs runs, $small_runs on the small set; files in the page cache) ..."
measure_set large "$work/large"
runs=$small_runs measure_set small "$work/small"

echo
report_set large "$large_bytes"
report_set small "$small_bytes_total"
echo
check "large set, --jobs 1 speed / cat speed" "$(calc "${seconds[large.cat]} / ${seconds[large.j1]}")" 0.85
check "large set, --jobs 2 speed / cat speed" "$(calc "${seconds[large.cat]} / ${seconds[large.j2]}")" 1.6
if have rhash; then
  check "small set, --jobs 2 speed / rhash speed" \
    "$(calc "${seconds[small.rhash]} / ${seconds[small.j2]}")" 2.5
  agreement "large set" "$work/large"
  agreement "small set" "$work/small"
else
  echo "SKIP  rhash is not installed (scripts/install-deps.sh --bench): no peer ratio, no agreement check"
fi
exit $status
