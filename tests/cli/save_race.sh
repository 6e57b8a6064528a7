#!/bin/sh
# save_race.sh CLI [ROUNDS]: four `quillometer-cli -o` saves of one file at once, over
# and over, where the folder takes no new file and the file is rewritten in
# place. Every round ends with one whole report in the target; a save that
# did not write its report says so, and no copy of the old file is left. As
# root, the saves run as user 65534, whom the permission bits bind.
set -u
cli=$1 rounds=${2:-80}
values=10000
. "${0%/*}/in_place.sh"
mkdir logs && chmod 777 logs

round=0 refused=0
while [ $round -lt "$rounds" ]; do
    round=$((round + 1))
    pids=""
    for save in 1 2 3 4; do
        x=xa
        [ $((save % 2)) -eq 0 ] && x=xb
        $as ./cli -o out/report.txt an $x 2>logs/$save &
        pids="$pids $save:$!"
    done
    for save in $pids; do
        wait "${save#*:}"
        status=$?
        [ $status -eq 0 ] && continue
        refused=$((refused + 1))
        grep -q 'another save of it is under way' "logs/${save%%:*}" ||
            fail "round $round: status $status: $(cat "logs/${save%%:*}")"
    done
    cmp -s out/report.txt ra || cmp -s out/report.txt rb || fail "round $round: the target is neither report whole"
    [ "$(ls -A out)" = report.txt ] || fail "round $round: left beside the target: $(ls -A out)"
    [ -z "$(ls -A cache/quillometer 2>/dev/null)" ] || fail "round $round: a copy was left: $(ls -A cache/quillometer)"
done
echo "$rounds rounds of four saves at once, $refused saves refused"
exit $failed
