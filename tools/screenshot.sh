#!/usr/bin/env bash
# A picture of the main window after a Solve of the sample data, for the
# README: docs/main-window.png. Runs the program on a virtual X display
# (xvfb-run), lets it solve once (QUILLOMETER_AUTOSOLVE=1), and grabs the
# window with ImageMagick's import.
# BUILD_DIR (default: build) is the CMake build folder to use.
set -euo pipefail

# Run inside the virtual display: start the program, wait for its window,
# give the Solve a moment to paint, grab, and close the program again.
if [ "${1:-}" = "--inside" ]; then
  program=$2 out=$3 id=""
  QUILLOMETER_AUTOSOLVE=1 "$program" &
  pid=$!
  for _ in $(seq 1 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk '/Quillometer2023/ && / 805x/ {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "screenshot: the main window did not appear" >&2
    kill "$pid"
    exit 1
  fi
  sleep 1
  import -window "$id" "$out"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  exit 0
fi

cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target quillometer >/dev/null

mkdir -p docs
out="$PWD/docs/main-window.png"
program="$PWD/$build/bin/quillometer"


# A fixed scale and no desktop theme, so the picture does not depend on the machine.
QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME= \
  xvfb-run -a -s "-screen 0 1024x768x24" "$PWD/tools/screenshot.sh" --inside "$program" "$out"
echo "wrote $out"
