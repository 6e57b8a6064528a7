#!/bin/sh
# Runs quillometer-cli on one golden case and compares its output byte for byte.
#
#   run_golden.sh CLI BIN_DIR GOLDEN_DIR NAME
#
# Files of a case, all in GOLDEN_DIR (only those a case needs):
#   NAME.an, NAME.x          the coefficient and x files (@AN@, @X@)
#   NAME.args                the arguments, one line, split at blanks;
#                            default "@AN@ @X@". @OUT@ is a file in the
#                            scratch folder, @BIN@ the folder of the programs.
#   NAME.stdin               fed to standard input (default: nothing)
#   NAME.status              the exit status (default 0)
#   NAME.expected            standard output, exact (or the @OUT@ file, exact)
#   NAME.expected-start      standard output begins with this
#   NAME.stderr              standard error, exact
#   NAME.stderr-start        standard error begins with this
# A stream with no file of its own must stay empty.
# The program runs in an empty scratch folder, so relative paths in messages
# are stable.
set -u -f
cli=$1 bin=$2 dir=$(cd "$3" && pwd) name=$4
case_=$dir/$name
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

argline="@AN@ @X@"
[ -f "$case_.args" ] && argline=$(cat "$case_.args")
uses_out=no
set --
for word in $argline; do
    case $word in *@OUT@*) uses_out=yes ;; esac
    word=$(printf '%s' "$word" | sed -e "s|@AN@|$case_.an|g" -e "s|@X@|$case_.x|g" \
        -e "s|@OUT@|$work/out.txt|g" -e "s|@BIN@|$bin|g")
    set -- "$@" "$word"
done

stdin=/dev/null
[ -f "$case_.stdin" ] && stdin=$case_.stdin
(cd "$work" && exec "$cli" "$@") <"$stdin" >"$work/stdout" 2>"$work/stderr"
status=$?

failed=0
fail() { echo "$name: $*"; failed=1; }

want=0
[ -f "$case_.status" ] && want=$(cat "$case_.status")
[ "$status" -eq "$want" ] || fail "exit status $status, expected $want"

# check ACTUAL STREAM: compares against STREAM (exact) or STREAM-start (prefix).
check() {
    if [ -f "$2" ]; then
        cmp "$1" "$2" || fail "$(basename "$1") differs from $(basename "$2")"
    elif [ -f "$2-start" ]; then
        size=$(wc -c <"$2-start")
        head -c "$size" "$1" | cmp - "$2-start" || fail "$(basename "$1") does not begin with $(basename "$2")-start"
    elif [ -s "$1" ]; then
        fail "unexpected $(basename "$1"):"; head -c 400 "$1"
    fi
}
if [ $uses_out = yes ]; then
    if [ -f "$case_.expected" ]; then
        [ -f "$work/out.txt" ] || fail "no output file"
        [ -f "$work/out.txt" ] && check "$work/out.txt" "$case_.expected"
    fi
    check "$work/stdout" "$case_.none"
else
    check "$work/stdout" "$case_.expected"
fi
check "$work/stderr" "$case_.stderr"
exit $failed
