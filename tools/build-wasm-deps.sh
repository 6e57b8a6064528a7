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
# Only the modules the analysis reaches through Arb's root isolation and ball
# arithmetic; the static link takes what it calls from these.
flint_dirs='ulong_extras long_extras perm fmpz fmpz_vec fmpz_poly fmpq_poly fmpz_mat fmpz_lll
  nmod nmod_vec nmod_poly nmod_poly_factor arith mpn_extras nmod_mat fmpq fmpq_vec fmpq_mat
  fmpz_poly_q fmpz_poly_mat nmod_poly_mat fmpz_mod_poly fmpz_mod_poly_factor fmpz_factor
  fmpz_poly_factor fft double_extras d_vec d_mat thread_pool thread_support fmpz_mod fmpz_mod_vec
  fmpz_mod_mat n_poly mpfr_vec mpfr_mat'
arb_dirs='fmpr arf mag arb arb_mat arb_poly acb acb_mat acb_poly bernoulli hypgeom fmpz_extras
  arb_fmpz_poly'

# Debian's emcc runs node tools that need Debian's node modules (acorn), which a
# node from elsewhere does not look for by itself.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"
emcc_version="$(emcc --version 2>/dev/null | head -n1 || true)"
[ -n "$emcc_version" ] || { echo "emcc not found: run tools/install-deps.sh" >&2; exit 1; }
key="$(printf '%s\n' "$gmp_version" "$mpfr_version" "$flint_version" "$arb_version" "$cflags" \
  "$flint_dirs" "$arb_dirs" "$emcc_version" | sha256sum | cut -c1-16)"
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

# FLINT's and Arb's configure read the byte order out of the compiled test
# program, which emcc writes as .js plus .wasm: look in both.
endian_fix='s|grep -q \([A-Za-z]*\) build/test-endian |grep -aqs \1 build/test-endian build/test-endian.wasm build/test-endian.js |'
(cd flint-2.*/ && sed -i "$endian_fix" configure &&
  sed -i "s|^BUILD_DIRS = .*|BUILD_DIRS = $(echo $flint_dirs) \\\\|; /^BUILD_DIRS = /,/EXTRA_BUILD_DIRS/{/^BUILD_DIRS = /!{/EXTRA_BUILD_DIRS/!d}}; s|^TEMPLATE_DIRS = .*|TEMPLATE_DIRS =|; /^   fq_poly_factor_templates/d" Makefile.in &&
  ./configure CC=emcc AR=emar ABI=32 CFLAGS="$cflags" --disable-shared --enable-static \
    --disable-pthread --disable-tls --with-gmp="$prefix" --with-mpfr="$prefix" \
    --prefix="$prefix" >>"$log" 2>&1 &&
  mk library && mk install && cp ./*.h "$prefix/include/flint/")
(cd flint-arb-*/ && sed -i "$endian_fix" configure &&
  sed -i "s|^BUILD_DIRS = .*|BUILD_DIRS = $(echo $arb_dirs) \\\\|; /^BUILD_DIRS = /,/EXTRA_BUILD_DIRS/{/^BUILD_DIRS = /!{/EXTRA_BUILD_DIRS/!d}}" Makefile.in &&
  ./configure CC=emcc AR=emar ABI=32 CFLAGS="$cflags" --disable-shared --enable-static \
    --disable-pthread --disable-tls --with-gmp="$prefix" --with-mpfr="$prefix" \
    --with-flint="$prefix" --prefix="$prefix" >>"$log" 2>&1 &&
  mk library && mk install && cp ./*.h "$prefix/include/")

echo "$(($(date +%s) - start)) s" >"$prefix/.done"
cd "$cache" && rm -rf "$work"
echo "Built in $(cat "$prefix/.done")" >&2
echo "$prefix"
