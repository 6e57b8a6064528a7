#!/usr/bin/env bash
# The browser edition: its WebAssembly build (GMP, FLINT and Arb come from
# tools/build-wasm-deps.sh's cache, built on the first run), the number-text
# and Solve tests and the golden reports under node, and the page in Debian's
# Chromium, headless. Installs nothing itself. Exits non-zero on any failure.
#   QUILL_WASM_BUILD  build folder (default build-wasm)
#   QUILL_JOBS        parallel jobs (default 2)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILL_WASM_BUILD:-$root/build-wasm}
start=$SECONDS

site=$(QUILL_WASM_BUILD=$build "$root/tools/build-web.sh" --tests | tail -n1)
# Two tests measure the host rather than the engine: one takes the C
# library's printf("%a") as its reference, whose subnormals musl writes
# normalised where glibc does not; one counts threads, which this build has
# not.
ctest --test-dir "$build" --output-on-failure -j"${QUILL_JOBS:-2}" \
  -E '^(DoubleToHexText\.AgreesWithTheCLibrary|SolveTest\.TheWorkNotTheCountDecidesTheThreads)$'
node "$root/tests/web/browser_check.mjs" "$site" "$root/tests/cli/golden"
echo "test-web: passed in $((SECONDS - start)) s"
