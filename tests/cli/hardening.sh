#!/bin/sh
# hardening.sh CLI: the command line's guards, table by table: decimal marks
# that would change the numbers, -o naming an open standard stream, one
# stream named as both inputs, errors placed at file:line, and quoted texts
# made safe for a terminal.
set -u
cli=$1
. "${0%/*}/scratch.sh"
fail() { echo "FAIL: $*"; failed=1; }

printf '1\r\n2\r\n' >an
printf '25E-1\r\n' >x
"$cli" an x >report || exit 1

# Refused marks end with status 2; kept ones read and write the numbers.
for mark in 5 0 e E + - '(' ')' ' ' "$(printf '\t')" "$(printf '\377')" a Z ''; do
    "$cli" --decimal-mark "$mark" an x >out 2>err
    [ $? -eq 2 ] && grep -q 'decimal mark' err && [ ! -s out ] || fail "mark '$mark' not refused"
done
"$cli" --decimal-mark "$(printf '\n')" an x >/dev/null 2>&1; [ $? -eq 2 ] || fail "newline mark not refused"
for mark in , ';' : _ '/' "'"; do
    printf "1\r\n2\r\n2${mark}5\r\n" >xm
    "$cli" --decimal-mark="$mark" an xm >out 2>err && grep -q "^F(2${mark}5)=6" out || fail "mark '$mark' not kept"
done

# -o naming the file an open standard stream writes to writes into that
# stream, at its place; the text around it stays.
printf 'header\n' >expected && cat report >>expected
for target in /dev/stdout /dev/fd/1 /proc/self/fd/1 "$work/log"; do
    printf 'header\n' >log && "$cli" -o "$target" an x >>log 2>err && cmp -s log expected || fail "-o $target >>log"
done
for target in /dev/stderr "$work/log"; do
    printf 'header\n' >log && "$cli" -o "$target" an x 2>>log && cmp -s log expected || fail "-o $target 2>>log"
done
printf 'header\n' >log && "$cli" -o /dev/fd/3 an x 3>>log && cmp -s log expected || fail "-o /dev/fd/3"
{ echo header; "$cli" -o /dev/stdout an x; echo footer; } >log && { cat expected; echo footer; } | cmp -s log - ||
    fail "-o /dev/stdout between two echos"

"$cli" -o /dev/fd/9 an x >out 2>err
[ $? -eq 1 ] && [ "$(cat err)" = "Cannot create file /dev/fd/9." ] || fail "-o /dev/fd/9, closed: $(cat err)"

# One stream named twice, or -o naming the pipe an input is read from, is
# refused with status 2 before anything is read; one regular file may feed
# both lists.
mkfifo fifo && ln -s fifo link
while IFS='|' read -r target coefficients xs; do
    seq 100000 | timeout 10 "$cli" -o "$target" "$coefficients" "$xs" >out 2>err
    [ $? -eq 2 ] && grep -q '^quillometer-cli: -o names the pipe' err || fail "-o $target $coefficients $xs"
done <<EOF2
/dev/stdin|an|-
/dev/fd/0|-|x
/proc/self/fd/0|an|-
link|an|fifo
fifo|link|x
EOF2
timeout 10 "$cli" --roots -o link fifo >out 2>err; [ $? -eq 2 ] || fail "--roots -o link fifo"
printf '5\n' | "$cli" - /dev/stdin >out 2>err; [ $? -eq 2 ] || fail "- /dev/stdin"
printf '5\n' | "$cli" /dev/fd/0 - >out 2>err; [ $? -eq 2 ] || fail "/dev/fd/0 -"
"$cli" fifo link >out 2>err; [ $? -eq 2 ] || fail "one FIFO by two names"
"$cli" x x >out 2>err && grep -q '^F(2.5)=2.5' out || fail "one regular file twice"

# Each bad value is named at file:line (lines counted from 1, blank ones
# included), an F(x) that overflows at its x; texts are quoted safely.
long=$(awk 'BEGIN { for (i = 0; i < 300; i++) printf "z" }')
cut=$(awk 'BEGIN { for (i = 0; i < 200; i++) printf "z" }')
tab=$(printf '\t')
while IFS='|' read -r coefficients xs expected; do
    printf "$coefficients" >c.txt
    printf "$xs" >"X${tab}s.txt"
    "$cli" c.txt "X${tab}s.txt" >out 2>err
    [ $? -eq 1 ] && [ "$(cat err)" = "$expected" ] && [ ! -s out ] || fail "'$xs': $(cat err)"
done <<EOF2
1\r\n|3\r\n\r\n12x34\r\n|X\x09s.txt:3: '12x34' is not a valid floating point value.
1\r\n|1\r\n1e400\r\n|X\x09s.txt:2: Floating point overflow.
1\r\nzz\r\n|1\r\n|c.txt:2: 'zz' is not a valid floating point value.
1e999\r\n|1\r\nq\r\n|c.txt:1: Floating point overflow.
0\r\n0\r\n1\r\n|1\r\n\r\n1e200\r\n|X\x09s.txt:3: F(x): Floating point overflow.
1\r\n|ab\033[31mred\r\n|X\x09s.txt:1: 'ab\x1B[31mred' is not a valid floating point value.
1\r\n|$long\r\n|X\x09s.txt:1: '$cut…' is not a valid floating point value.
EOF2
printf 'q\r\n' | "$cli" an - 2>err >/dev/null
[ "$(cat err)" = "-:1: 'q' is not a valid floating point value." ] || fail "standard input: $(cat err)"
exit $failed
