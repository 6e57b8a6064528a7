#!/bin/sh
# run_golden.sh CLI BIN_DIR GOLDEN_DIR NAME: runs one golden case of
# quillometer-cli in an empty scratch folder and compares bytes and status.
# Case files golden/NAME.*: .an, .x (@AN@, @X@); .args (one line, default
# "@AN@ @X@"; @OUT@ a scratch file, @BIN@ the programs' folder); .stdin;
# .status (default 0); .expected (stdout, or the @OUT@ file when used);
# .stderr (the golden folder left out of the file names it holds);
# .expected-start / .stderr-start (prefixes). Other streams stay empty.
set -u -f
cli=$1 bin=$2 dir=$(cd "$3" && pwd) name=$4
c=$dir/$name
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

argline="@AN@ @X@"
[ -f "$c.args" ] && argline=$(cat "$c.args")
set --
for word in $argline; do
    set -- "$@" "$(printf '%s' "$word" | sed -e "s|@AN@|$c.an|g" -e "s|@X@|$c.x|g" \
        -e "s|@OUT@|$work/out.txt|g" -e "s|@BIN@|$bin|g")"
done
stdin=/dev/null
[ -f "$c.stdin" ] && stdin=$c.stdin
(cd "$work" && exec "$cli" "$@") <"$stdin" >"$work/stdout" 2>"$work/stderr"
status=$?
# A message names a case file as given; it is compared without its folder.
LC_ALL=C sed -e "s|$dir/||g" "$work/stderr" >"$work/stderr.named" && mv "$work/stderr.named" "$work/stderr"

failed=0
fail() { echo "$name: $*"; failed=1; }
[ "$status" -eq "$(cat "$c.status" 2>/dev/null || echo 0)" ] || fail "exit status $status"

# check ACTUAL EXPECTED: exact, or a prefix from EXPECTED-start, or empty.
check() {
    if [ -f "$2" ]; then
        cmp "$1" "$2" || fail "$1 differs from $2"
    elif [ -f "$2-start" ]; then
        head -c "$(wc -c <"$2-start")" "$1" | cmp - "$2-start" || fail "$1 does not begin with $2-start"
    elif [ -s "$1" ]; then
        fail "unexpected output in $1:"; head -c 400 "$1"
    fi
}
case $argline in
*@OUT@*) check "$work/out.txt" "$c.expected"; check "$work/stdout" "$c.none" ;;
*) check "$work/stdout" "$c.expected" ;;
esac
check "$work/stderr" "$c.stderr"
exit $failed
