#!/usr/bin/env bash
# Installs what is missing, checks the layout of the C++ sources, builds
# everything and runs every test:
#   0. every tracked C++ file as .clang-format lays it out (clang-format 14);
#   1. the full build (desktop program included) and its CTest suite;
#   2. the engine under AddressSanitizer + UndefinedBehaviorSanitizer;
#   3. the engine on the software 80-bit model, on x86 and cross-built for aarch64 under qemu;
#   4. the browser edition: its WebAssembly build, the engine's tests and golden reports under
#      node, and the page in headless Chromium;
#   5. a short libFuzzer run of number text, settings files, list files and the analysis.
# QUILL_FUZZ_SECONDS (default 60) bounds the fuzz run; QUILL_SKIP_EXTRA=1 stops after step 1.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=${QUILL_JOBS:-$(nproc)}

"$root/tools/install-deps.sh"

step() { printf '\n==== %s ====\n' "$*"; }

# Every C++ file of the sources, tests, benchmarks and tools: the tracked
# ones in a git checkout, all of them elsewhere.
cpp_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 'tools/*.h'
  else
    find src tests bench tools \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}

step "C++ layout (clang-format)"
cpp_files | xargs -0 clang-format --dry-run --Werror

step "build and test"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$jobs"

step "Debian package: build, install, check, remove"
tools/test-package.sh build

if [ "${QUILL_SKIP_EXTRA:-0}" = 1 ]; then exit 0; fi

step "engine under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILL_BUILD_GUI=OFF -DQUILL_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tools/lsan-suppressions.txt" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

if [ -x tools/test-soft-ext80.sh ]; then
  step "engine on the software 80-bit model (x86)"
  tools/test-soft-ext80.sh
fi
if [ -x tools/test-aarch64.sh ]; then
  step "engine cross-built for aarch64, run under qemu"
  tools/test-aarch64.sh
fi
if [ -x tools/test-web.sh ]; then
  step "browser edition: WebAssembly build, node checks, the page in Chromium"
  if [ -f web/node_modules/.installed-lock.json ]; then
    QUILL_JOBS="$jobs" tools/test-web.sh
  else
    echo "SKIPPED: the page's JavaScript packages are not installed (npm ci failed above)"
  fi
fi
if [ -x tools/fuzz.sh ]; then
  step "fuzzing number text, settings files, list files and the analysis"
  tools/fuzz.sh "${QUILL_FUZZ_SECONDS:-60}"
fi

step "all test stages passed"
