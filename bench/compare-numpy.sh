#!/usr/bin/env bash
# The command line beside a NumPy script doing the same job (read the lists,
# evaluate, write one result per line), on the same files in one run:
#   bench/compare-numpy.sh [BUILD_DIR [X_COUNT [COEFFICIENT_COUNT [RUNS]]]]
# Defaults: build, 1,000,000 x values, 10 coefficients, 5 runs of each side
# (alternating). Prints each run, then the medians: the command line's time,
# its processor time over its wall time (both cores busy: near 2), its peak
# memory, NumPy's time and the ratio of the two, run by run.
# NumPy comes from Debian's python3-numpy (tools/install-deps.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
xcount=${2:-1000000}
ncoeff=${3:-10}
runs=${4:-5}
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

# One run of a command: "wall cpu peak_kB", by the system's own accounting.
# The outputs of the run before are removed and the writes flushed first,
# so that no run pays for freeing another's file or waits on its writeback.
measure() {
    rm -f "$work/cli-out.txt" "$work/numpy-out.txt"
    sync
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null
    awk '{ printf "%.3f %.3f %d\n", $1, $2 + $3, $4 }' "$work/time"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Both sides write their file the same way, without forcing it to the disk;
# -o (a safe save: synced, then renamed over the target) is timed beside.
: >"$work/runs"
for ((i = 1; i <= runs; i++)); do
    read -r cw cc cm < <(measure sh -c 'exec "$0" "$1" "$2" >"$3"' "$cli" "$work/big-an.txt" "$work/big-x.txt" "$work/cli-out.txt")
    read -r ow _ _ < <(measure "$cli" -o "$work/cli-out.txt" "$work/big-an.txt" "$work/big-x.txt")
    read -r nw _ _ < <(measure "$python" "$work/numpy_solve.py" "$work/big-an.txt" "$work/big-x.txt" "$work/numpy-out.txt")
    printf 'run %d: quillometer-cli %.3f s (cpu %.3f s, %d MB; with -o %.3f s)   numpy %.3f s   numpy/cli %.2fx\n' \
        "$i" "$cw" "$cc" "$((cm / 1024))" "$ow" "$nw" "$(awk -v n="$nw" -v c="$cw" 'BEGIN { print n / c }')"
    echo "$cw $cc $cm $nw" >>"$work/runs"
done
column() { awk -v k="$1" '{ print $k }' "$work/runs" | median; }
ratio=$(awk '{ print $4 / $1 }' "$work/runs" | median)
cpu_wall=$(awk '{ print $2 / $1 }' "$work/runs" | median)
printf 'median of %d, %d x values, %d coefficients: quillometer-cli %.3f s (cpu/wall %.2f, peak %d MB), numpy %.3f s, numpy/cli %.2fx (median of the run ratios)\n' \
    "$runs" "$xcount" "$ncoeff" "$(column 1)" "$cpu_wall" "$(($(column 3 | cut -d. -f1) / 1024))" "$(column 4)" "$ratio"
