#!/bin/sh
# Writes a large pair of list files for timing the solver:
#   make-big-input.sh [FOLDER [X_COUNT [COEFFICIENT_COUNT]]]
# Defaults: the current folder, 1,000,000 x values (about 20 MB), 10 coefficients.
# The x values lie in [-10, 10] with 17 significant digits; the same seed
# always gives the same files. Output: FOLDER/big-an.txt, FOLDER/big-x.txt.
set -eu
folder=${1:-.}
xcount=${2:-1000000}
ncoeff=${3:-10}
mkdir -p "$folder"
LC_ALL=C awk -v n="$ncoeff" 'BEGIN {
    srand(2023)
    for (i = 0; i < n; i++) printf "%.17g\r\n", (rand() - 0.5) * 4
}' >"$folder/big-an.txt"
LC_ALL=C awk -v n="$xcount" 'BEGIN {
    srand(1)
    for (i = 0; i < n; i++) printf "%.17g\r\n", (rand() - 0.5) * 20
}' >"$folder/big-x.txt"
ls -l "$folder/big-an.txt" "$folder/big-x.txt"
