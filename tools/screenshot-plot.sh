#!/usr/bin/env bash
# A picture of the plot page after the sample Solve for the documentation:
#   docs/plot.png
# Builds the small test-only program that shows the page with data/An.txt and
# data/X.txt solved and grabs it, and runs it on a virtual X display
# (xvfb-run), so it works without a screen.
# BUILD_DIR (default: build) is the CMake build folder to use.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target quill_plot_shot

mkdir -p docs
# A fixed font set-up and scale, so the picture does not depend on the desktop.
QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME= \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/bin/quill_plot_shot" data docs/plot.png
