#!/bin/sh
# csv_chunks.sh CLI: a list of x values split into chunks (split -l) and the
# chunks solved side by side (xargs -P), each to a CSV table: the tables
# joined, each without its header but the first, are byte for byte the table
# of the whole list. The lists take every kind of line, blank ones included,
# in a chunk size that cuts them anywhere.
set -u
cli=$1
. "${0%/*}/scratch.sh"

printf '0.5\r\n-1.25\r\n3\r\n0\r\n1e-3\r\n' >an
awk 'BEGIN { srand(11); for (i = 0; i < 12000; i++) {
    r = rand()
    if (r < 0.05) printf "\r\n"; else if (r < 0.1) printf "  %.3e\t\r\n", rand() * 8 - 4
    else printf "%.17g\r\n", (rand() - 0.5) * 40 } }' >x
for hex in "" --hex; do
    for lines in 61 2500 12000; do
        rm -rf parts && mkdir parts
        split -l "$lines" -a 5 x parts/x.
        ls parts | sed 's|^|parts/|' | xargs -P 4 -I{} "$cli" --format csv $hex --threads 2 -o {}.csv an {} ||
            { echo "a chunk failed ($lines lines)"; failed=1; continue; }
        "$cli" --format csv $hex an x >whole.csv || exit 1
        { head -n 1 whole.csv; for part in parts/x.*.csv; do tail -n +2 "$part"; done; } >joined.csv
        cmp -s joined.csv whole.csv || { echo "chunks of $lines lines $hex: the joined tables differ"; failed=1; }
    done
done
[ "$(head -n 1 whole.csv)" = "x,F(x)" ] && [ "$(wc -l <whole.csv)" -gt 10000 ] || { echo "no table"; failed=1; }
exit $failed
