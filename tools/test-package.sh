#!/usr/bin/env bash
# Builds the Debian packages from a finished build folder (quillometer and,
# where the Python module was built, python3-quillometer), installs them,
# checks the installed programs, module and files, and removes them again.
#   tools/test-package.sh [BUILD_DIR]     (default: build)
# As root the packages go into the machine with apt-get and are purged at the
# end; otherwise they are unpacked into a scratch folder with dpkg-deb -x.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
[ -f "$build/CPackConfig.cmake" ] || { echo "No CPackConfig.cmake in $build: configure and build first." >&2; exit 1; }

scratch=$(mktemp -d)
installed_here=false
cleanup() {
  status=$?
  if $installed_here; then
    echo "-- removing the packages"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${names[@]}" >"$scratch/remove.log" 2>&1 \
      || { cat "$scratch/remove.log" >&2; status=1; }
  fi
  rm -rf "$scratch"
  exit $status
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# --- build the package ------------------------------------------------------
out=$build/package
rm -f "$out"/quillometer_*.deb "$out"/python3-quillometer_*.deb
echo "-- cpack -G DEB in $build"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log" >&2; fail "cpack"; }
version=$("$build/bin/quillometer-cli" --version | cut -d' ' -f2)
deb=$out/quillometer_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "expected $deb; cpack made: $(ls "$out")"
echo "-- $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "   Depends: $(dpkg-deb -f "$deb" Depends)"
[ -n "$(dpkg-deb -f "$deb" Depends)" ] || fail "no run-time dependencies computed"
outside=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '^\./usr/' | grep -vx '\./' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
debs=("$deb")
names=(quillometer)

# The Python module's package, where the build made the module.
pydeb=""
if compgen -G "$build/python/quillometer*.so" >/dev/null; then
  pydeb=$out/python3-quillometer_${version}_$(dpkg --print-architecture).deb
  [ -f "$pydeb" ] || fail "expected $pydeb; cpack made: $(ls "$out")"
  depends=$(dpkg-deb -f "$pydeb" Depends)
  echo "-- $(basename "$pydeb"), $(stat -c %s "$pydeb") bytes"
  echo "   Depends: $depends"
  for p in python3 python3-numpy libc6; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "python3-quillometer does not depend on $p"
  done
  outside=$(dpkg-deb -c "$pydeb" | awk '{ print $6 }' | grep -v '/$' | grep -v '^\./usr/lib/python3/dist-packages/' || true)
  [ -z "$outside" ] || fail "python3-quillometer holds files elsewhere: $outside"
  debs+=("$pydeb")
  names+=(python3-quillometer)
fi

# --- install it -------------------------------------------------------------
if [ "$(id -u)" -eq 0 ]; then
  root=/
  for name in "${names[@]}"; do
    if dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
      echo "-- a $name package is installed already; it is replaced and purged at the end"
    fi
  done
  echo "-- apt-get install $(printf './%s ' "${debs[@]##*/}")"
  installed_here=true
  (cd "$out" && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "${debs[@]/#$out\//./}") \
    >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log" >&2; fail "apt-get install"; }
else
  root=$scratch/root
  echo "-- not root: unpacking into $root"
  for d in "${debs[@]}"; do dpkg-deb -x "$d" "$root"; done
fi
usr=${root%/}/usr
dir=$usr/lib/quillometer

# --- check the installed files ----------------------------------------------
for f in bin/quillometer-cli lib/quillometer/quillometer-cli lib/quillometer/An.txt \
         lib/quillometer/X.txt lib/quillometer/Quillometer.html share/man/man1/quillometer-cli.1.gz; do
  [ -e "$usr/$f" ] || fail "/usr/$f missing"
done
[ "$(readlink "$usr/bin/quillometer-cli")" = ../lib/quillometer/quillometer-cli ] \
  || fail "/usr/bin/quillometer-cli is not the relative link"
gzip -dc "$usr/share/man/man1/quillometer-cli.1.gz" | grep -qF /usr/lib/quillometer/An.txt \
  || fail "the manual page does not name /usr/lib/quillometer/An.txt"

echo "-- the installed solver against the build's"
"$usr/bin/quillometer-cli" "$dir/An.txt" "$dir/X.txt" >"$scratch/installed.txt" \
  || fail "the installed quillometer-cli failed"
"$build/bin/quillometer-cli" "$build/bin/An.txt" "$build/bin/X.txt" >"$scratch/built.txt"
cmp "$scratch/installed.txt" "$scratch/built.txt" || fail "the reports differ"

if [ -n "$pydeb" ]; then
  echo "-- the installed Python module against the installed solver"
  # Outside the build and the sources, with the module's folder on the path
  # only where the package was unpacked rather than installed.
  modules=$usr/lib/python3/dist-packages
  (cd / && PYTHONPATH=$([ "$root" = / ] || echo "$modules") /usr/bin/python3 -c '
import sys, quillometer
assert quillometer.__file__.startswith(sys.argv[1]), quillometer.__file__
sys.stdout.buffer.write(quillometer.report(open(sys.argv[2]).read(), open(sys.argv[3]).read()).encode())' \
    "$modules/" "$dir/An.txt" "$dir/X.txt") >"$scratch/module.txt" || fail "the installed module failed"
  cmp "$scratch/module.txt" "$scratch/installed.txt" || fail "the module's report differs"
fi

if [ -e "$usr/bin/quillometer" ]; then
  echo "-- desktop entry and metainfo"
  desktop-file-validate "$usr/share/applications/quillometer.desktop" || fail "desktop-file-validate"
  metainfo=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed -n 's:^\./usr/share/metainfo/::p' | grep . || true)
  [ "$(wc -w <<<"$metainfo")" = 1 ] || fail "expected one metainfo file, found: $metainfo"
  appstreamcli validate --no-net "$usr/share/metainfo/$metainfo" || fail "appstreamcli validate"
  # The tree check (launchable against the desktop entry) on the package
  # alone, not on everything else the machine has installed.
  dpkg-deb -x "$deb" "$scratch/unpacked"
  appstreamcli validate-tree --no-net "$scratch/unpacked" >"$scratch/tree.log" 2>&1 \
    || { cat "$scratch/tree.log" >&2; fail "appstreamcli validate-tree"; }
  for size in 32 48 64 128 256; do
    [ -f "$usr/share/icons/hicolor/${size}x${size}/apps/quillometer.png" ] || fail "icon ${size}x${size} missing"
  done
  [ -f "$usr/share/man/man1/quillometer.1.gz" ] || fail "/usr/share/man/man1/quillometer.1.gz missing"
  grep -qx 'Exec=quillometer %f' "$usr/share/applications/quillometer.desktop" || fail "Exec does not pass %f"

  echo "-- starting the installed desktop program offscreen, then ending it with SIGTERM"
  # As a user who cannot write the program folder, the way it normally runs;
  # its settings then go to the scratch home. SIGTERM closes the window the
  # normal way: status 0, the settings written. timeout sends it once
  # (--foreground): else it goes to the program and again to its process
  # group, and a second one ends the program at once.
  home=$scratch/home
  mkdir -p "$home"
  as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$home"
    chmod 711 "$scratch"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  else
    chmod a-w "$dir"
  fi
  set +e
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home" \
    QT_QPA_PLATFORM=offscreen "${as_user[@]}" timeout --foreground --preserve-status 5 "$usr/bin/quillometer" >"$scratch/gui.log" 2>&1
  gui_status=$?
  set -e
  [ "$(id -u)" -eq 0 ] || chmod u+w "$dir"
  if [ $gui_status -ne 0 ]; then
    cat "$scratch/gui.log" >&2
    fail "the desktop program ended with status $gui_status"
  fi
  echo "   status $gui_status after SIGTERM at 5 s"
  [ ! -e "$dir/quillometer.ini" ] || fail "a settings file appeared in the program folder"
  [ -f "$home/.config/quillometer/quillometer.ini" ] || fail "no settings file in the user's folder"
else
  echo "-- the package holds no desktop program (not built): skipping its checks"
fi

echo "-- package test passed"
