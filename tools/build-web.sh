#!/usr/bin/env bash
# Builds the browser edition's static site: the engine and the analysis for
# WebAssembly (emcmake, with GMP, FLINT and Arb from tools/build-wasm-deps.sh's
# cache), the captions from the desktop's sources, and the page bundled by
# esbuild. Prints the site's folder on its last line.
#   QUILL_WASM_BUILD  the build folder (default build-wasm); the site is its site/
#   QUILL_JOBS        parallel jobs (default 2)
#   --tests           also builds the engine's tests for node (numtext, engine)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILL_WASM_BUILD:-$root/build-wasm}
jobs=${QUILL_JOBS:-2}
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

deps=$("$root/tools/build-wasm-deps.sh" | tail -n1)
targets=(quill_web quill_web_analysis)
tests=OFF
if [ "${1:-}" = "--tests" ]; then
  tests=ON
  targets+=(numtext_tests ext80_tests engine_tests)
fi

emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DQUILL_BUILD_GUI=OFF -DQUILL_BUILD_PYTHON=OFF -DQUILL_SOFT_EXT80=ON \
  -DQUILL_BUILD_TESTS=$tests -DQUILL_GTEST_FROM_SOURCE=ON \
  "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
  -DQUILL_FLINT_INCLUDE_DIR="$deps/include" -DQUILL_ARB_INCLUDE_DIR="$deps/include" \
  -DQUILL_FLINT_LIBRARY="$deps/lib/libflint.a" -DQUILL_ARB_LIBRARY="$deps/lib/libarb.a" \
  -DQUILL_GMP_LIBRARY="$deps/lib/libgmp.a" -DQUILL_MPFR_LIBRARY="$deps/lib/libmpfr.a" >/dev/null
nice -n 10 cmake --build "$build" -j"$jobs" --target "${targets[@]}"

python3 "$root/tools/web-captions.py" "$build/web/captions.json"
[ -d "$root/web/node_modules" ] || (cd "$root/web" && npm ci --no-audit --no-fund --loglevel=error)
node "$root/web/build.mjs" --engine "$build/web" --captions "$build/web/captions.json" --out "$build/site" >&2
echo "$build/site"
