#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz and runs them one
# after another, sharing the time out evenly:
#   numtext    number text in and out
#   ini        settings files read and edited
#   list_file  list files loaded into a pane and solved
#   analysis   roots and turning points of any coefficient doubles
#   formula    formulas parsed and expanded exactly
# Usage: tools/fuzz.sh [seconds [target...]]   (default: 60 in all, every target)
# Each target starts from its seeds in tests/fuzz/corpus/<target>/; new inputs
# go to build-fuzz/fuzz-corpus/<target>/, and a finding to build-fuzz/<target>-crash-*.
set -eu
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=${*:-numtext ini list_file analysis formula}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" \
  -DQUILL_BUILD_GUI=OFF -DQUILL_BUILD_TESTS=OFF -DQUILL_FUZZ=ON >/dev/null
for target in $targets; do
  cmake --build "$build" -j2 --target "${target}_fuzz"
done

count=$(echo $targets | wc -w)
each=$(( seconds / count ))
[ "$each" -gt 0 ] || each=1
cd "$build"
for target in $targets; do
  echo "-- ${target}_fuzz for $each s"
  work="$build/fuzz-corpus/$target"
  mkdir -p "$work"
  "$build/bin/${target}_fuzz" "$work" "$root/tests/fuzz/corpus/$target" \
    -max_total_time="$each" -max_len=6000 -print_final_stats=1 -artifact_prefix="$build/$target-"
done
