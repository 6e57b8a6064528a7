#!/bin/sh
# Hostile and huge inputs for quillometer-cli: every run must end with status 0
# or 1 (never a crash or a hang; CTest's timeout bounds the whole script).
#   robustness.sh CLI [sanitized]
set -u
cli=$1
sanitized=${2:-}
LC_ALL=C
export LC_ALL
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { echo "$*"; failed=1; }

# expect STATUS NAME ARGS...: runs the program and checks its exit status.
expect() {
    want=$1 name=$2
    shift 2
    "$cli" "$@" >out 2>err
    status=$?
    [ "$status" -eq "$want" ] || { fail "$name: exit status $status, expected $want"; head -c 300 err; }
}

printf '1\r\n2\r\n' >an
printf '3\r\n' >x

# A full disk under standard output is an error, not a success.
"$cli" an x >/dev/full 2>err
[ $? -eq 1 ] && [ "$(cat err)" = "Cannot write standard output." ] || fail "full stdout: $(cat err)"

# Three million blank lines around one value, in each line-break style.
awk 'BEGIN { for (i = 0; i < 3000000; i++) printf "\r\n"; print "5" }' >blank_crlf
awk 'BEGIN { for (i = 0; i < 3000000; i++) printf "  \n"; print "5" }' >blank_lf
awk 'BEGIN { for (i = 0; i < 3000000; i++) printf "\t\r"; print "5" }' >blank_cr
for f in blank_crlf blank_lf blank_cr; do
    expect 0 "$f" "$f" x
    grep -q '^F(3)=5' out || fail "$f: wrong report"
done
expect 0 "blank lines on stdin" an - <blank_lf
grep -q '^X\[0\]=5' out || fail "blank lines on stdin: wrong report"

# One line of ten million digits: zeros read as 0, other digits overflow the
# 80-bit range and are rejected with the whole text.
awk 'BEGIN { s = "0000000000"; for (i = 0; i < 20; i++) s = s s; print s }' >zeros
expect 0 "long zeros" zeros x
awk 'BEGIN { s = "1111111111"; for (i = 0; i < 20; i++) s = s s; print s }' >ones
expect 1 "long ones" ones x
[ "$(wc -c <err)" -gt 10000000 ] || fail "long ones: message does not carry the text"

# Pseudo-random bytes of every value, NUL included, as either list.
awk 'BEGIN { srand(7); for (i = 0; i < 1000000; i++) printf "%c", int(rand() * 256) }' >noise
"$cli" noise x >out 2>err; [ $? -le 1 ] || fail "noise as coefficients"
"$cli" an noise >out 2>err; [ $? -le 1 ] || fail "noise as x values"
"$cli" an - <noise >out 2>err; [ $? -le 1 ] || fail "noise on stdin"

# Running out of memory at any stage ends with a message, never an abort.
# (A sanitized build reserves too much address space for this.)
if [ -z "$sanitized" ]; then
    awk 'BEGIN { srand(3); for (i = 0; i < 1000000; i++) printf "%.17g\r\n", rand() }' >million
    for limit in 40000 80000 120000 160000 200000 240000 280000 320000; do
        (ulimit -v $limit && exec "$cli" an million) >/dev/null 2>err
        status=$?
        if [ $status -eq 1 ]; then
            [ "$(cat err)" = "Out of memory." ] || fail "memory limit $limit: $(head -c 200 err)"
        elif [ $status -ne 0 ]; then
            fail "memory limit $limit: exit status $status"
        fi
    done
fi

exit $failed
