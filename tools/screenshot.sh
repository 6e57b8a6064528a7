#!/usr/bin/env bash
# The pictures for the README and the help, all on a virtual X display
# (xvfb-run), so it works without a screen:
#   docs/main-window.png  the program after a Solve of the sample data: it
#                         solves once (QUILLOMETER_AUTOSOLVE=1) and ImageMagick's
#                         import grabs the window;
#   docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png, docs/plot.png
#                         small test-only programs show the dialogs and the plot
#                         page (the sample data solved) and grab them themselves.
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
cmake --build "$build" -j"$(nproc)" --target quillometer quill_dialog_shots quill_plot_shot >/dev/null

build=$(cd "$build" && pwd)
mkdir -p docs
out="$PWD/docs/main-window.png"
program="$build/bin/quillometer"

# A fixed scale and no desktop theme, so the pictures do not depend on the machine.
export QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME=
shoot() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }
shoot "$PWD/tools/screenshot.sh" --inside "$program" "$out"
shoot "$build/bin/quill_dialog_shots" docs
shoot "$build/bin/quill_plot_shot" data docs/plot.png
echo "wrote $out, docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png, docs/plot.png"
