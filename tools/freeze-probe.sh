#!/usr/bin/env bash
# The freeze table of the desktop program (quill_ui_speed freeze: the longest
# the window goes without answering during each pane operation), on the
# offscreen platform, or with --bridge on a virtual X display with a session
# bus and the accessibility bridge forced on, as with a screen reader running.
# Measures; asserts nothing.
#   tools/freeze-probe.sh [--bridge] [x-count] [runs]
# BUILD_DIR (default: build) is the CMake build folder; quill_ui_speed must be
# built (QUILL_BUILD_BENCH=ON).
set -euo pipefail

cd "$(dirname "$0")/.."
probe=${BUILD_DIR:-build}/bin/quill_ui_speed
bridge=false
if [ "${1:-}" = --bridge ]; then
  bridge=true
  shift
fi
count=${1:-10000000}
runs=${2:-3}
[ -x "$probe" ] || { echo "no $probe: build the quill_ui_speed target" >&2; exit 2; }

if ! $bridge; then
  exec env QT_QPA_PLATFORM=offscreen "$probe" freeze "$count" "$runs"
fi
# A desktop session starts the accessibility bus at login; here the first
# call to at-spi2-core's bus launcher does, before the program looks for it.
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  exec env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 "$@"' \
  probe "$probe" freeze "$count" "$runs"
