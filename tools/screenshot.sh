#!/usr/bin/env bash
# The pictures for the README and the help, all on a virtual X display
# (xvfb-run), so it works without a screen:
#   docs/main-window.png  the main window after a Solve of the sample data;
#   docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png,
#                         docs/plot.png
#                         the dialogs, and the plot page with the sample data solved.
# The main window is the program itself, started with the sample files and
# --solve from a scratch folder (no settings file: the default language) and
# grabbed with ImageMagick's import; small programs (tools/shots) show the
# dialogs and the plot page and grab them themselves.
# BUILD_DIR (default: build) is the CMake build folder to use.
set -euo pipefail

cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target quillometer quill_dialog_shots quill_plot_shot >/dev/null

build=$(cd "$build" && pwd)
mkdir -p docs

# A fixed scale and no desktop theme, so the pictures do not depend on the machine.
export QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME=
shoot() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }
shoot bash -c '
  set -euo pipefail
  scratch=$(mktemp -d)
  trap "rm -rf \"\$scratch\"" EXIT
  cp "$1/quillometer" data/An.txt data/X.txt "$scratch/"
  XDG_CONFIG_HOME="$scratch/config" "$scratch/quillometer" --solve "$scratch/An.txt" "$scratch/X.txt" &
  pid=$!
  window=
  for _ in $(seq 100); do
    window=$(xwininfo -root -tree | awk "/\"quillometer\" \"quillometer\"\\)/ { print \$1; exit }")
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "the main window did not appear" >&2; kill $pid; exit 1; }
  sleep 1.3  # the Solve and the paint
  import -window "$window" docs/main-window.png
  kill -TERM $pid  # closes the window the normal way
  wait $pid
' main-window "$build/bin"
shoot "$build/bin/quill_dialog_shots" docs
shoot "$build/bin/quill_plot_shot" data docs/plot.png
echo "wrote docs/main-window.png, docs/about-box.png, docs/phone-dialog.png, docs/range-dialog.png, docs/plot.png"
