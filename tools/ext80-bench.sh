#!/usr/bin/env bash
# The cost of the integer 80-bit model beside the x87 unit: builds
# bench/ext80_bench twice (default, and with QUILL_SOFT_EXT80=ON), runs both
# and prints the median time per number, term or polynomial side by side.
#   QUILL_BENCH_X87_BUILD / QUILL_BENCH_SOFT_BUILD  build folders
#   QUILL_BENCH_FILTER  benchmarks to run (default: the three that matter)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
x87=${QUILL_BENCH_X87_BUILD:-$root/build-bench-x87}
soft=${QUILL_BENCH_SOFT_BUILD:-$root/build-bench-soft}
filter=${QUILL_BENCH_FILTER:-TextToNumber|DoubleToText|Evaluated.*<quill::Ext80>}
jobs=${QUILL_JOBS:-2}

run() {  # build folder, soft model on or off -> "name seconds-per-item" lines
  cmake -S "$root" -B "$1" -DCMAKE_BUILD_TYPE=Release -DQUILL_BUILD_GUI=OFF -DQUILL_BUILD_TESTS=OFF \
    -DQUILL_BUILD_BENCH=ON -DQUILL_SOFT_EXT80="$2" >/dev/null
  cmake --build "$1" -j"$jobs" --target ext80_bench >/dev/null
  "$1/bin/ext80_bench" --benchmark_filter="$filter" --benchmark_min_time=0.5 --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_median"$/ { name = $1; gsub(/"|_median/, "", name); print name, $NF }'
}

run "$x87" OFF >"$x87/ext80-bench.txt"
run "$soft" ON >"$soft/ext80-bench.txt"
printf '%-32s %10s %10s %7s\n' benchmark "x87 ns" "soft ns" ratio
join <(sort "$x87/ext80-bench.txt") <(sort "$soft/ext80-bench.txt") |
  awk '{ printf "%-32s %10.2f %10.2f %6.2fx\n", $1, $2 * 1e9, $3 * 1e9, $3 / $2 }'
