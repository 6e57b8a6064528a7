#!/bin/sh
# Builds the number-text fuzz target with clang in build-fuzz and runs it.
# Usage: tools/fuzz.sh [seconds]   (default 60)
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" \
  -DQUILL_BUILD_GUI=OFF -DQUILL_BUILD_TESTS=OFF -DQUILL_FUZZ=ON
cmake --build "$build" -j2 --target numtext_fuzz

# New inputs go to a scratch corpus; the checked-in seeds stay as they are.
work="$build/fuzz-corpus"
mkdir -p "$work"
cd "$build"
"$build/bin/numtext_fuzz" "$work" "$root/tests/fuzz/corpus" \
  -max_total_time="$seconds" -max_len=6000 -print_final_stats=1
