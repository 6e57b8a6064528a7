#!/usr/bin/env bash
# The command line beside a NumPy script doing the same job (read the lists,
# evaluate, write one result per line), on the same files in one run:
#   bench/compare-numpy.sh [BUILD_DIR [X_COUNT [COEFFICIENT_COUNT [RUNS]]]]
# Defaults: build, 1,000,000 x values, 10 coefficients, 3 runs of each side
# (alternating). Prints each time, the best of both and their ratio.
# NumPy comes from Debian's python3-numpy (tools/install-deps.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
xcount=${2:-1000000}
ncoeff=${3:-10}
runs=${4:-3}
cli=$build/bin/quillometer-cli
python=/usr/bin/python3
[ -x "$cli" ] || { echo "no $cli: build the quillometer-cli target first" >&2; exit 2; }
"$python" -c 'import numpy' 2>/dev/null || { echo "NumPy missing: run tools/install-deps.sh" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/tools/make-big-input.sh" "$work" "$xcount" "$ncoeff" >/dev/null

cat >"$work/numpy_solve.py" <<'PY'
import sys
import numpy
a = numpy.loadtxt(sys.argv[1])
x = numpy.loadtxt(sys.argv[2])
numpy.savetxt(sys.argv[3], numpy.polynomial.polynomial.polyval(x, numpy.atleast_1d(a)), fmt="%.15g")
PY

seconds() {  # command... -> elapsed seconds of one run
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}

# Both sides write their file the same way, without forcing it to the disk;
# -o (a safe save: synced, then renamed over the target) is timed beside.
best_cli=inf best_numpy=inf
for ((i = 1; i <= runs; i++)); do
    c=$(seconds sh -c '"$0" "$1" "$2" >"$3"' "$cli" "$work/big-an.txt" "$work/big-x.txt" "$work/cli-out.txt")
    o=$(seconds "$cli" -o "$work/cli-out.txt" "$work/big-an.txt" "$work/big-x.txt")
    n=$(seconds "$python" "$work/numpy_solve.py" "$work/big-an.txt" "$work/big-x.txt" "$work/numpy-out.txt")
    printf 'run %d: quillometer-cli %.3f s (with -o %.3f s)   numpy %.3f s\n' "$i" "$c" "$o" "$n"
    best_cli=$(echo "$c" "$best_cli" | awk '{ print ($2 == "inf" || $1 < $2) ? $1 : $2 }')
    best_numpy=$(echo "$n" "$best_numpy" | awk '{ print ($2 == "inf" || $1 < $2) ? $1 : $2 }')
done
printf 'best of %d, %d x values, %d coefficients: quillometer-cli %.3f s, numpy %.3f s, numpy/cli %.2fx\n' \
    "$runs" "$xcount" "$ncoeff" "$best_cli" "$best_numpy" "$(awk -v n="$best_numpy" -v c="$best_cli" 'BEGIN { print n / c }')"
