#!/usr/bin/env bash
# The freeze table of the desktop program (quill_ui_speed freeze: the longest
# the window goes without answering during each pane operation), on the
# offscreen platform; with --bridge on a virtual X display with a session bus
# and the accessibility bridge forced on, as with a screen reader running;
# with --reader the same, and a stand-in for a screen reader that asks for
# the caret's line at every caret move (tools/screen-reader-stand-in.py).
# Measures; asserts nothing.
#   tools/freeze-probe.sh [--bridge | --reader] [x-count] [runs]
# BUILD_DIR (default: build) is the CMake build folder; quill_ui_speed must be
# built (QUILL_BUILD_BENCH=ON).
set -euo pipefail

cd "$(dirname "$0")/.."
probe=${BUILD_DIR:-build}/bin/quill_ui_speed
mode=offscreen
case "${1:-}" in
  --bridge) mode=bridge; shift ;;
  --reader) mode=reader; shift ;;
esac
count=${1:-10000000}
runs=${2:-3}
[ -x "$probe" ] || { echo "no $probe: build the quill_ui_speed target" >&2; exit 2; }

if [ "$mode" = offscreen ]; then
  exec env QT_QPA_PLATFORM=offscreen "$probe" freeze "$count" "$runs"
fi
# A desktop session starts the accessibility bus at login; here the first
# call to at-spi2-core's bus launcher does, before the program looks for it.
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
  reader=
  if [ "$1" = reader ]; then
    /usr/bin/python3 tools/screen-reader-stand-in.py &
    reader=$!
    sleep 1
  fi
  shift
  status=0
  env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 "$@" || status=$?
  if [ -n "$reader" ]; then kill "$reader"; wait "$reader" || true; fi
  exit "$status"' \
  probe "$mode" "$probe" freeze "$count" "$runs"
