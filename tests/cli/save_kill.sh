#!/bin/sh
# save_kill.sh CLI: kills `quillometer-cli -o` with SIGKILL at random moments
# of a 50 MB save, over and over. The target must always hold the old report
# or the new one, byte for byte, and nothing may be left beside it.
set -u
cli=$1 rounds=24
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

printf '1\r\n-3\r\n0.5\r\n2\r\n' >an
seq -f '%.1f' 0 0.5 499999.5 >xa
seq -f '%.2f' 0 0.25 249999.75 >xb
now() { date +%s%N; }
start=$(now)
"$cli" -o ra an xa || exit 1
took=$(( ($(now) - start) / 1000 ))  # microseconds for a whole run
"$cli" -o rb an xb || exit 1
cmp -s ra rb && { echo "the two reports must differ"; exit 1; }
mkdir out && cp ra out/report.txt

failed=0 killed=0 round=0
while [ $round -lt $rounds ]; do
    round=$((round + 1))
    next=xb
    [ $((round % 2)) -eq 0 ] && next=xa
    delay=$(awk -v r="$round" -v t="$took" 'BEGIN { srand(r * 7919 + t); printf "%.6f", rand() * t / 1e6 }')
    "$cli" -o out/report.txt an $next &
    pid=$!
    sleep "$delay"
    kill -9 $pid 2>/dev/null
    wait $pid 2>/dev/null
    [ $? -eq 137 ] && killed=$((killed + 1))
    cmp -s out/report.txt ra || cmp -s out/report.txt rb || { echo "round $round: the target is neither report"; failed=1; }
    left=$(ls -A out)
    [ "$left" = report.txt ] || { echo "round $round: left behind: $left"; failed=1; }
done
echo "$killed of $rounds saves killed part-way"
exit $failed
