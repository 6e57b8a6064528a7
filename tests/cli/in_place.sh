# Sourced by the tests of in-place saves, with $cli and $values set: a
# scratch folder (scratch.sh) user 65534 may enter, a copy of the program
# that user may run, $as to run it as that user (when root: the permission
# bits bind it), the cache folder for the copies, and two different reports,
# ra of $values x values and rb of as many halfway between; ra also stands in
# out/report.txt, a file the user may write in a folder that takes no new file.
. "${0%/*}/scratch.sh"
fail() { echo "FAIL: $*"; failed=1; }
chmod 755 "$work"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cp "$cli" ./cli && chmod 755 ./cli
as=""
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "setpriv is needed to drop privileges"; exit 1; }
    as="setpriv --reuid=65534 --regid=65534 --clear-groups"
fi
mkdir cache && chmod 777 cache
XDG_CACHE_HOME=$work/cache
export XDG_CACHE_HOME

printf '1\r\n-3\r\n0.5\r\n2\r\n' >an
seq -f "%.1f" 0 0.5 $((values / 2 - 1)).5 >xa
seq -f "%.2f" 0.25 0.5 $((values / 2 - 1)).75 >xb
./cli -o ra an xa && ./cli -o rb an xb || exit 1
cmp -s ra rb && { echo "the two reports must differ"; exit 1; }
chmod 644 an xa xb ra rb
mkdir out && cp ra out/report.txt && chmod 666 out/report.txt && chmod 555 out
