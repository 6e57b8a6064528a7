#!/usr/bin/env bash
# The pictures for the README and the help, all on a virtual X display
# (xvfb-run), so it works without a screen:
#   docs/main-window.png  the main window after a Solve of the sample data;
#   docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png,
#                         docs/plot.png
#                         the dialogs, and the plot page with the sample data solved.
# Small test-only programs show each window and grab it themselves.
# BUILD_DIR (default: build) is the CMake build folder to use.
set -euo pipefail

cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target quill_main_window_shot quill_dialog_shots quill_plot_shot >/dev/null

build=$(cd "$build" && pwd)
mkdir -p docs

# A fixed scale and no desktop theme, so the pictures do not depend on the machine.
export QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME=
shoot() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }
shoot "$build/bin/quill_main_window_shot" docs/main-window.png
shoot "$build/bin/quill_dialog_shots" docs
shoot "$build/bin/quill_plot_shot" data docs/plot.png
echo "wrote docs/main-window.png, docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png, docs/plot.png"
