#!/usr/bin/env bash
# Builds GMP, MPFR, FLINT and Arb as static WebAssembly libraries for the
# browser edition's analysis, from Debian's own source packages, into a cache
# outside the work tree. Prints the install prefix (include/, lib/) on its last
# line. A prefix already built for these versions and flags is reused as it is.
#
#   tools/build-wasm-deps.sh            build when missing, print the prefix
#   tools/build-wasm-deps.sh --prefix   print the prefix only (nothing built)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

# The exact source versions; a different version is a different cache entry.
gmp_version='2:6.2.1+dfsg1-1.1'
mpfr_version='4.2.0-1'
flint_version='2.9.0-5'
arb_version='1:2.23.0-1'
cflags='-O2'
# The FLINT and Arb files the analysis needs (tools/wasm-closure.py).
sources="$here/wasm-deps-sources.txt"

# Debian's emcc runs node tools that need Debian's node modules (acorn), which a
# node from elsewhere does not look for by itself.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcc_version="$(emcc --version 2>/dev/null | head -n1 || true)"
[ -n "$emcc_version" ] || { echo "emcc not found: run tools/install-deps.sh" >&2; exit 1; }
key="$(printf '%s\n' "$gmp_version" "$mpfr_version" "$flint_version" "$arb_version" "$cflags" \
  "$(cat "$sources")" "$emcc_version" | sha256sum | cut -c1-16)"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/quillometer/wasm-deps"
prefix="$cache/$key"

if [ "${1:-}" = "--prefix" ] || [ -f "$prefix/.done" ]; then
  echo "$prefix"
  exit 0
fi

# deb-src lines for the release this machine runs, when apt has none.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
    'Suites: bookworm bookworm-updates' 'Components: main' \
    'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
    "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/quillometer-src.sources >/dev/null
  "${sudo_cmd[@]}" apt-get update -qq
fi

work="$cache/build-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"
start=$(date +%s)
log="$work/build.log"
echo "Building the WebAssembly GMP, MPFR, FLINT and Arb into $prefix (log: $log)" >&2

apt-get source -qq "gmp=$gmp_version" "mpfr4=$mpfr_version" "flint=$flint_version" \
  "flint-arb=$arb_version" >>"$log" 2>&1
jobs=-j2
mk() { nice -n 10 emmake make "$jobs" "$@" >>"$log" 2>&1; }

# The DFSG tarball of GMP has no doc/, which Debian's patches take out of
# Makefile.am and configure.ac but not out of the configure script they made:
# an empty doc/Makefile.in stands in for it.
(cd gmp-*/ && mkdir -p doc &&
  printf '%s\n' 'all install install-data install-exec uninstall check installcheck clean distclean:' \
    >doc/Makefile.in &&
  CFLAGS="$cflags" emconfigure ./configure --host=none --disable-assembly --disable-shared \
    --enable-static --disable-cxx --prefix="$prefix" >>"$log" 2>&1 &&
  mk && mk install)
(cd mpfr4-*/ &&
  CFLAGS="$cflags" emconfigure ./configure --host=none --disable-shared --enable-static \
    --with-gmp="$prefix" --prefix="$prefix" >>"$log" 2>&1 &&
  mk -C src && mk -C src install)

# FLINT's configure reads the byte order out of the compiled test program,
# which emcc writes as .js plus .wasm: look in both. It writes the headers
# FLINT is built with (flint-config.h, fft_tuning.h).
endian_fix='s|grep -q \([A-Za-z]*\) build/test-endian |grep -aqs \1 build/test-endian build/test-endian.wasm build/test-endian.js |'
(cd flint-2.*/ && sed -i "$endian_fix" configure &&
  ./configure CC=emcc AR=emar ABI=32 CFLAGS="$cflags" --disable-shared --enable-static \
    --disable-pthread --disable-tls --with-gmp="$prefix" --with-mpfr="$prefix" \
    --prefix="$prefix" >>"$log" 2>&1)
mkdir -p "$prefix/include/flint"
cp flint-2.*/*.h "$prefix/include/flint/"
cp flint-arb-*/*.h "$prefix/include/"

# Only the sources of FLINT and Arb that the analysis reaches, as listed in
# wasm-deps-sources.txt (tools/wasm-closure.py makes the list): a few hundred
# of their few thousand files. Two at a time, as the flags of the list.
compile_list() {  # TREE LIBRARY: compiles the list's files of TREE into LIBRARY
  local tree=$1 library=$2 flags
  if [ "$tree" = flint ]; then
    flags="-O2 -std=c99 -funroll-loops -I$work/flint-2.9.0 -I$work/flint-2.9.0/build -I$prefix/include -I$prefix/include/flint"
  else
    flags="-O2 -std=c99 -funroll-loops -I$work/flint-arb-2.23.0 -I$prefix/include -I$prefix/include/flint"
  fi
  mkdir -p "objects/$tree"
  sed -n "s|^$tree:||p" "$sources" |
    FLAGS=$flags DIR=$([ "$tree" = flint ] && echo flint-2.9.0 || echo flint-arb-2.23.0) TREE=$tree \
      xargs -P2 -I{} sh -c 'nice -n 10 emcc $FLAGS -c "$DIR/$1" -o "objects/$TREE/$(echo "$1" | tr / _).o"' _ {} >>"$log" 2>&1
  emar rcs "$prefix/lib/$library" objects/"$tree"/*.o
}
compile_list flint libflint.a
compile_list arb libarb.a

echo "$(($(date +%s) - start)) s" >"$prefix/.done"
cd "$cache" && rm -rf "$work"
echo "Built in $(cat "$prefix/.done")" >&2
echo "$prefix"
