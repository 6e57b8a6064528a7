#!/usr/bin/env bash
# Builds the engine, the command-line solver and their tests on this machine
# with the integer 80-bit model in place of the x87 unit (QUILL_SOFT_EXT80)
# and runs them: every digit must come out as on the hardware path. (The
# install checks are left out: they do not touch a number.)
#   QUILL_SOFT_BUILD  build folder (default build-soft-ext80)
#   QUILL_JOBS        parallel jobs (default: the number of cores)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUILL_SOFT_BUILD:-$root/build-soft-ext80}
jobs=${QUILL_JOBS:-$(nproc)}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_GUI=OFF -DQUILL_SOFT_EXT80=ON >/dev/null
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs" -E '^packaging\.'
