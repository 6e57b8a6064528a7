#!/bin/sh
# analysis.sh CLI: --roots, --extrema and --accuracy, table by table: misuse
# (status 2), lists that fail as in the Solve (status 1, at file:line),
# polynomials without isolated roots, values beyond the double range, and
# the CSV and hex forms; --fit and --inverse guard their streams as the
# Solve does.
set -u
cli=$1
. "${0%/*}/scratch.sh"
fail() { echo "FAIL: $*"; failed=1; }

printf '2\r\n-3\r\n1\r\n' >an
printf '0\r\n1.5\r\n' >x

# Misuse: status 2, the reason on standard error, nothing on standard output.
while IFS='|' read -r args reason; do
    # shellcheck disable=SC2086
    "$cli" $args >out 2>err
    [ $? -eq 2 ] && [ ! -s out ] && grep -q -- "$reason" err || fail "'$args': $(head -1 err)"
done <<EOF2
--roots --extrema an|exclude one another
--accuracy --roots an x|exclude one another
--extrema --accuracy an x|exclude one another
--roots an x|--roots takes one file
--extrema an x|--extrema takes one file
--roots|--roots takes one file
--accuracy an|expected two files
--accuracy an x x|expected two files
--roots --format tsv an|report or csv
--fit 101 an|the degree must be a whole number from 0 to 100
--fit 2x an|the degree must be a whole number from 0 to 100
EOF2

# Lists that fail as in the Solve: status 1, the message at its place.
printf '1e999\r\n' >big
printf '1\r\n\r\nzz\r\n' >bad
printf '0\r\n0\r\n1\r\n' >square
printf '1\r\n1e200\r\n' >far
printf '0\r\n0\r\n' >zeros
printf '7\r\n' >seven
while IFS='|' read -r args message; do
    # shellcheck disable=SC2086
    "$cli" $args >out 2>err
    [ $? -eq 1 ] && [ ! -s out ] && [ "$(cat err)" = "$message" ] || fail "'$args': $(cat err)"
done <<EOF2
--roots bad|bad:3: 'zz' is not a valid floating point value.
--extrema big|big:1: Floating point overflow.
--accuracy an bad|bad:3: 'zz' is not a valid floating point value.
--accuracy square far|far:2: F(x): Floating point overflow.
--roots zeros|zeros: every coefficient is zero, so the polynomial has no isolated roots.
--roots /dev/null|/dev/null: every coefficient is zero, so the polynomial has no isolated roots.
--extrema seven|seven: the polynomial is constant, so it has no isolated turning points.
EOF2

# Outputs: a non-zero constant has no roots; a root beyond the double range
# is written as the report writes an infinite value; the CSV forms have their
# header and columns, '.' as the decimal mark, LF endings; hex everywhere.
printf '1e300\r\n1e-300\r\n' >huge
printf '0,5\r\n1\r\n' >half
printf '0\r\n-3\r\n0\r\n1\r\n' >cubic
while IFS='|' read -r args expected; do
    # shellcheck disable=SC2086
    "$cli" $args >out 2>err || fail "'$args' failed: $(cat err)"
    [ "$(tr -d '\r' <out | tr '\n' '/')" = "$expected" ] || fail "'$args': $(tr -d '\r' <out | tr '\n' '/')"
done <<EOF2
--roots --format csv seven|real,imaginary,multiplicity/
--roots --format csv huge|real,imaginary,multiplicity/-INF,0,1/
--roots --hex --format csv huge|real,imaginary,multiplicity/-inf,0x0p+0,1/
--roots --decimal-mark , --format csv half|real,imaginary,multiplicity/-0.5,0,1/
--roots --decimal-mark , half|An的数量 An Items Count =2/A[0]=0,5/A[1]=1/根的数量 Root Count =1/Root[0]=-0,5/
--roots --hex --format csv an|real,imaginary,multiplicity/0x1p+0,0x0p+0,1/0x1p+1,0x0p+0,1/
--extrema --format csv cubic|x,F(x),kind/-1,2,max/1,-2,min/
--extrema --hex --format csv cubic|x,F(x),kind/-0x1p+0,0x1p+1,max/0x1p+0,-0x1p+1,min/
--accuracy --format csv an x|x,F(x),exact,digits/0,2,2,17/1.5,-0.25,-0.25,17/
--accuracy --hex --format csv an x|x,F(x),exact,digits/0x0p+0,0x1p+1,0x1p+1,17/0x1.8p+0,-0x1p-2,-0x1p-2,17/
--accuracy --format csv an /dev/null|x,F(x),exact,digits/
EOF2

# The readable text is the report's: CR LF after every line.
"$cli" --roots an >out && [ "$(tr -cd '\r' <out | wc -c)" -eq "$(wc -l <out)" ] || fail "--roots: CR LF"
# The CSV rows of --accuracy are those of --format csv with two columns
# more, whatever the threads.
awk 'BEGIN { srand(5); for (i = 0; i < 50000; i++) printf "%.17g\r\n", (rand() - 0.5) * 8 }' >many
"$cli" --format csv an many >plain && "$cli" --accuracy --threads 2 --format csv an many >wide &&
    "$cli" --accuracy --threads 1 --format csv an many >one || fail "--accuracy of many values"
cut -d, -f1,2 wide | cmp -s - plain || fail "--accuracy: x,F(x) differ from the Solve's"
cmp -s wide one || fail "--accuracy: threads change the table"

# --fit and --inverse refuse, as the Solve does, -o naming the pipe an input
# is read from and one stream as both inputs: status 2, nothing read.
printf '0,1\r\n1,2\r\n' >points
mkfifo fifo && ln -s fifo link
while IFS='|' read -r args reason; do
    # shellcheck disable=SC2086
    seq 100 | timeout 10 "$cli" $args >out 2>err
    [ $? -eq 2 ] && [ ! -s out ] && grep -q "^quillometer-cli: $reason" err || fail "'$args': $(head -1 err)"
done <<EOF2
--fit 1 - -o /dev/stdin|-o names the pipe
--fit 1 fifo -o link|-o names the pipe
--inverse an - -o /dev/fd/0|-o names the pipe
--inverse - -|standard input can feed only one
--inverse - /dev/stdin|one stream can feed only one
--inverse fifo link|one stream can feed only one
EOF2
"$cli" --inverse -o x an x 2>err && "$cli" --fit 1 points -o points 2>err ||
    fail "a regular file as input and -o: $(cat err)"

# A formula as long as is served, one long chain of sums, expands on a small
# stack: the expansion's depth does not grow with the formula's length.
chain=$(awk 'BEGIN { printf "x"; for (i = 1; i < 50000; i++) printf "+x" }')
(ulimit -s 1024 && "$cli" --expand "$chain" >out 2>err) && [ "$(tr '\n' '/' <out)" = "0/50000/" ] ||
    fail "--expand of a long chain on a small stack: $(cat err)"
exit $failed
