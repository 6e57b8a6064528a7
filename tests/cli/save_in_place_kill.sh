#!/bin/sh
# save_in_place_kill.sh CLI: kills `quillometer-cli -o` with SIGKILL, SIGTERM,
# SIGINT and SIGHUP in turn, over and over, during a save that can only
# rewrite its target in place (the folder takes no new file); the moments
# close in on the rewrite itself, late in the run: a kill that left the old
# report comes later next time, one that left the new report earlier, each
# with a little chance. After every kill the target holds the old report or
# the new one, or else the user's cache folder holds a whole copy of the old
# one; nothing is left beside the target, and after a signal the program
# could handle, no copy is left beside a whole target. As root, the saves
# run as user 65534, whom the permission bits bind.
set -u
cli=$1 rounds=24
values=1000000
. "${0%/*}/in_place.sh"

now() { date +%s%N; }
start=$(now)
$as ./cli -o out/report.txt an xb || { echo "an in-place save failed"; exit 1; }
took=$(( ($(now) - start) / 1000 ))  # microseconds for a whole run
[ -z "$(ls -A cache/quillometer 2>/dev/null)" ] || { echo "a save that succeeded left a copy"; exit 1; }

killed=0 copies=0 round=0 old=rb at=0.8 step=0.2
while [ $round -lt $rounds ]; do
    round=$((round + 1))
    next=xa new=ra
    [ $old = ra ] && next=xb new=rb
    delay=$(awk -v r="$round" -v t="$took" -v at="$at" 'BEGIN { srand(r * 7919 + t); printf "%.6f", (at + 0.04 * (rand() - 0.5)) * t / 1e6 }')
    signal=$(echo KILL TERM INT HUP | cut -d' ' -f$((round % 4 + 1)))
    # A shell's background job ignores SIGINT; the program must not.
    $as env --default-signal=INT ./cli -o out/report.txt an $next &
    pid=$!
    sleep "$delay"
    kill -$signal $pid 2>/dev/null
    wait $pid 2>/dev/null
    [ $? -gt 128 ] && killed=$((killed + 1))
    left=$(ls -A cache/quillometer 2>/dev/null)
    whole=""
    if cmp -s out/report.txt $old; then
        at=$(awk -v a="$at" -v s="$step" 'BEGIN { print a + s }')
        whole=old
    elif cmp -s out/report.txt $new; then
        at=$(awk -v a="$at" -v s="$step" 'BEGIN { print a - s }')
        whole=new
    elif [ "$(echo "$left" | wc -w)" -eq 1 ] && cmp -s "cache/quillometer/$left" $old; then
        copies=$((copies + 1))
    else
        fail "round $round: the target is neither report and no whole copy of the old one is kept"
    fi
    [ "$(ls -A out)" = report.txt ] || fail "round $round: left beside the target: $(ls -A out)"
    if [ -n "$whole" ] && [ $signal != KILL ] && [ -n "$left" ]; then
        fail "round $round: SIG$signal left a copy beside the $whole report: $left"
    fi
    # As a user would: the old report back from its copy, the copies cleared.
    cmp -s out/report.txt $new || { cat $old >out/report.txt; new=$old; }
    rm -f cache/quillometer/*
    old=$new
    step=$(awk -v s="$step" 'BEGIN { s *= 0.75; print s < 0.01 ? 0.01 : s }')
done
echo "$killed of $rounds saves killed part-way, $copies of them while the target was being rewritten"
exit $failed
