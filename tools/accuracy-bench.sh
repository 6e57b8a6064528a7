#!/usr/bin/env bash
# The cost of quillometer-cli --accuracy beside the plain Solve of the same
# files: a million x values and ten coefficients by default, each way run
# in turn several times, as text and as CSV, written to a file beside the
# inputs; prints the median wall time,
# the largest peak memory (from /usr/bin/time -v) and the ratio.
#   usage: tools/accuracy-bench.sh [CLI [X_COUNT [RUNS]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${1:-$root/build/bin/quillometer-cli}
count=${2:-1000000}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk 'BEGIN { srand(11); for (i = 0; i < 10; i++) printf "%.17g\n", (rand() - 0.5) * 4 }' >"$work/an.txt"
awk -v n="$count" 'BEGIN { srand(12); for (i = 0; i < n; i++) printf "%.17g\n", (rand() - 0.5) * 4 }' >"$work/x.txt"

measure() {  # label, options... -> "label seconds kbytes" per run
  local label=$1 start end
  shift
  start=$(date +%s%N)
  /usr/bin/time -v "$cli" "$@" "$work/an.txt" "$work/x.txt" 2>"$work/time" >"$work/out"
  end=$(date +%s%N)
  awk -v label="$label" -v ns=$((end - start)) '
    /Maximum resident set size/ { kb = $NF }
    END { print label, ns / 1e9, kb }' "$work/time"
}

for ((i = 0; i < runs; i++)); do
  measure solve
  measure accuracy --accuracy
  measure solve-csv --format csv
  measure accuracy-csv --accuracy --format csv
done >"$work/runs"

printf '%d x values, %d runs each, %s threads\n' "$count" "$runs" "$(nproc)"
printf '%-14s %10s %12s\n' run "median s" "peak RSS MB"
for label in solve accuracy solve-csv accuracy-csv; do
  awk -v l="$label" '$1 == l { print $2, $3 }' "$work/runs" | sort -n |
    awk -v l="$label" '{ t[NR] = $1; if ($2 > kb) kb = $2 }
      END { printf "%-14s %10.3f %12.1f\n", l, t[int((NR + 1) / 2)], kb / 1024 }'
done | tee "$work/table"
awk '{ m[$1] = $2 } END {
  printf "ratio accuracy / solve: %.2fx (text), %.2fx (csv)\n", m["accuracy"] / m["solve"], m["accuracy-csv"] / m["solve-csv"] }' \
  "$work/table"
