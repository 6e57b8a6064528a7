#!/bin/sh
# robustness.sh CLI [sanitized]: hostile and huge inputs; every run must end
# with status 0 or 1, never a crash (CTest's timeout bounds the time).
set -u
cli=$1 sanitized=${2:-}
. "${0%/*}/scratch.sh"
fail() { echo "$*"; head -c 300 err; failed=1; }
run() { "$cli" "$@" >out 2>err; }

printf '1\r\n2\r\n' >an
printf '3\r\n' >x

"$cli" an x >/dev/full 2>err
[ $? -eq 1 ] && [ "$(cat err)" = "Cannot write standard output." ] || fail "full stdout"

# Three million blank lines around one value, in each line-break style.
for eol in '\r\n' '  \n' '\t\r'; do
    awk -v eol="$eol" 'BEGIN { for (i = 0; i < 3000000; i++) printf eol; print "5" }' >blank
    run blank x && grep -q '^F(3)=5' out || fail "blank lines '$eol'"
    run an - <blank && grep -q '^X\[0\]=5' out || fail "blank lines '$eol' on stdin"
done

# A pipe on standard input and a FIFO named as a file are read like files.
printf '4\n' | "$cli" an - >out 2>err && grep -q '^X\[0\]=4' out || fail "pipe on stdin"
mkfifo fifo && { printf '6\n' >fifo & } && run an fifo && grep -q '^X\[0\]=6' out || fail "fifo"
wait
printf '5\n' | "$cli" an /dev/fd/0 >out 2>err && grep -q '^X\[0\]=5' out || fail "/dev/fd/0"

# The report goes into a FIFO or a pipe named with -o, which stays what it
# was: never replaced by a regular file.
"$cli" an x >expected
{ cat fifo >got & } && "$cli" -o fifo an x 2>err && wait && cmp -s got expected && [ -p fifo ] || fail "-o fifo"
"$cli" -o /dev/stdout an x 2>err | cat >got && cmp -s got expected || fail "-o /dev/stdout on a pipe"
"$cli" -o - an x 2>err | cat >got && cmp -s got expected || fail "-o -"

# Ten million digits on one line: zeros are 0; other digits overflow the
# 80-bit range and are rejected, the text cut in the message.
awk 'BEGIN { s = "0000000000"; for (i = 0; i < 20; i++) s = s s; print s }' >zeros
run zeros x || fail "long zeros"
awk 'BEGIN { s = "1111111111"; for (i = 0; i < 20; i++) s = s s; print s }' >ones
run ones x
[ $? -eq 1 ] && [ "$(wc -c <err)" -lt 300 ] && grep -q "^ones:1: '1\{200\}…' is not" err || fail "long ones"

# Pseudo-random bytes of every value, NUL included, in either place.
awk 'BEGIN { srand(7); for (i = 0; i < 1000000; i++) printf "%c", int(rand() * 256) }' >noise
run noise x; [ $? -le 1 ] || fail "noise as coefficients"
run an noise; [ $? -le 1 ] || fail "noise as x values"
run an - <noise; [ $? -le 1 ] || fail "noise on stdin"

# Running out of memory at any stage ends with a message, never an abort.
# (A sanitized build reserves too much address space for this.)
if [ -z "$sanitized" ]; then
    awk 'BEGIN { srand(3); for (i = 0; i < 1000000; i++) printf "%.17g\r\n", rand() }' >million
    for limit in 40000 80000 120000 160000 200000 240000 280000 320000; do
        (ulimit -v $limit && exec "$cli" an million) >/dev/null 2>err
        status=$?
        [ $status -eq 0 ] || { [ $status -eq 1 ] && [ "$(cat err)" = "Out of memory." ]; } ||
            fail "memory limit $limit: exit status $status"
    done
fi
exit $failed
