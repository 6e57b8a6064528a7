#!/usr/bin/env bash
# Checks on the tree that `cmake --install` lays out.
#   check_install.sh CHECK BUILD_DIR INSTALL_PREFIX
# CHECK "install" (re)creates the tree; every other CHECK inspects it.
set -euo pipefail
check=$1 build=$2 prefix=$3
dir=$prefix/lib/quillometer
fail() { echo "FAIL: $*" >&2; exit 1; }

with_gui=false
[ -x "$build/bin/quillometer" ] && with_gui=true

# Width and height of a PNG from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'; }

case $check in
install)
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >/dev/null
  ;;

layout)
  # Everything a program looks for beside itself is in its folder.
  expected=(lib/quillometer/quillometer-cli lib/quillometer/An.txt lib/quillometer/X.txt
            lib/quillometer/Quillometer.html share/man/man1/quillometer-cli.1.gz)
  $with_gui && expected+=(lib/quillometer/quillometer share/applications/quillometer.desktop
                         share/man/man1/quillometer.1.gz)
  for f in "${expected[@]}"; do [ -f "$prefix/$f" ] || fail "$f missing"; done
  for f in An.txt X.txt Quillometer.html; do
    cmp -s "$dir/$f" "$build/bin/$f" || fail "$f differs from the build's copy"
  done
  # Nothing outside bin/, lib/quillometer/, the Python module's folder and share/.
  stray=$(cd "$prefix" && find . -mindepth 1 -maxdepth 2 ! -path ./bin ! -path ./lib \
            ! -path ./lib/quillometer ! -path ./lib/python3 ! -path ./share ! -path './bin/*' ! -path './share/*')
  [ -z "$stray" ] || fail "unexpected files: $stray"
  ;;

launchers)
  # Relative links, so the tree still works once moved; the command-line
  # solver run through one gives the build's own report.
  programs=(quillometer-cli)
  $with_gui && programs+=(quillometer)
  for p in "${programs[@]}"; do
    [ -L "$prefix/bin/$p" ] || fail "bin/$p is not a symbolic link"
    target=$(readlink "$prefix/bin/$p")
    [ "$target" = "../lib/quillometer/$p" ] || fail "bin/$p points to $target"
  done
  moved=$(mktemp -d)
  trap 'rm -rf "$moved"' EXIT
  cp -a "$prefix/." "$moved/"
  got=$("$moved/bin/quillometer-cli" "$moved/lib/quillometer/An.txt" "$moved/lib/quillometer/X.txt" | od -c)
  want=$("$build/bin/quillometer-cli" "$build/bin/An.txt" "$build/bin/X.txt" | od -c)
  [ "$got" = "$want" ] || fail "the installed solver's report differs from the build's"
  version=$("$moved/bin/quillometer-cli" --version)
  [ "$version" = "$("$build/bin/quillometer-cli" --version)" ] || fail "version $version"
  ;;

manual)
  # One page per program; the desktop program answers --help without a display.
  programs=(quillometer-cli)
  $with_gui && programs+=(quillometer)
  for program in "${programs[@]}"; do
    page=$prefix/share/man/man1/$program.1.gz
    gzip -t "$page" || fail "$program.1 is no gzip file"
    # groff reports every macro it does not know or text it cannot set; a long
    # install path that cannot be justified (category "break") is no fault.
    warnings=$(gzip -dc "$page" | LC_ALL=C.UTF-8 groff -man -ww -Wbreak -z -Tutf8 2>&1) || true
    [ -z "$warnings" ] || fail "groff on $program.1: $warnings"
    text=$(gzip -dc "$page" | LC_ALL=C.UTF-8 MANWIDTH=200 man -l - 2>/dev/null)
    # Every option the program's usage text lists is in the manual.
    options=$(env -u DISPLAY -u WAYLAND_DISPLAY "$build/bin/$program" --help \
                | sed -n 's/^  \(-[-a-z]*\)\(, \(--[-a-z]*\)\)\{0,1\}.*/\1 \3/p')
    [ -n "$options" ] || fail "no options found in the usage text of $program"
    for o in $options; do
      grep -qF -- "$o" <<<"$text" || fail "the manual page of $program lacks $o"
    done
    grep -qF "Quillometer $("$build/bin/$program" --version | cut -d' ' -f2)" <<<"$text" \
      || fail "the manual page of $program shows another version"
    # The sample files by their installed path.
    gzip -dc "$page" | grep -qF "$dir/An.txt" || fail "the manual page of $program does not name $dir/An.txt"
  done
  ;;

python)
  # The installed module, found where Debian's Python finds modules, writes
  # the build's report.
  modules=$prefix/lib/python3/dist-packages
  got=$(cd / && PYTHONPATH=$modules /usr/bin/python3 -c '
import sys, quillometer
assert quillometer.__file__.startswith(sys.argv[1]), quillometer.__file__
sys.stdout.buffer.write(quillometer.report(open(sys.argv[2]).read(), open(sys.argv[3]).read()).encode())' \
        "$modules/" "$build/bin/An.txt" "$build/bin/X.txt" | od -c) || fail "the installed module failed"
  want=$("$build/bin/quillometer-cli" "$build/bin/An.txt" "$build/bin/X.txt" | od -c)
  [ "$got" = "$want" ] || fail "the installed module's report differs from the command line's"
  ;;

desktop_entry)
  entry=$prefix/share/applications/quillometer.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate"
  # Exec takes the file of "Open with".
  for line in "Exec=quillometer %f" Icon=quillometer Type=Application Terminal=false Name=Quillometer; do
    grep -qx "$line" "$entry" || fail "the desktop entry lacks $line"
  done
  # The Exec name is a launcher the install provides.
  [ -e "$prefix/bin/quillometer" ] || fail "Exec=quillometer has no bin/quillometer"
  ;;

metainfo)
  shopt -s nullglob
  files=("$prefix"/share/metainfo/*.metainfo.xml)
  [ ${#files[@]} = 1 ] || fail "expected one metainfo file, found ${#files[@]}"
  appstreamcli validate --no-net "${files[0]}" || fail "appstreamcli validate"
  # The tree check ties the launchable to the installed desktop entry.
  appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree"
  id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${files[0]}")
  [ "$(basename "${files[0]}")" = "$id.metainfo.xml" ] || fail "file name does not match id $id"
  ;;

icons)
  for size in 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/quillometer.png
    [ -f "$icon" ] || fail "icon ${size}x${size} missing"
    got=$(png_size "$icon")
    [ "$got" = "${size}x${size}" ] || fail "icon in ${size}x${size} is $got"
  done
  ;;

*) fail "unknown check $check" ;;
esac
