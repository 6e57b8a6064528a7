#!/usr/bin/env bash
# SIGTERM, SIGHUP and SIGINT close the desktop program the normal way: it
# ends with status 0 and has written its settings file. Also when the signal
# comes while the start-up's error box is up (no sample files).
#   signal_close.sh PROGRAM SAMPLE_FOLDER
set -euo pipefail
set -m  # children of their own, so that SIGINT is not ignored in them
program=$1 samples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for run in TERM:samples HUP:samples INT:samples TERM:none; do
  signal=${run%:*}
  dir=$scratch/${run/:/-}
  mkdir -p "$dir"
  cp "$program" "$dir/"
  [ "${run#*:}" = none ] || cp "$samples/An.txt" "$samples/X.txt" "$dir/"
  QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$dir/config" "$dir/$(basename "$program")" >"$dir/log" 2>&1 &
  pid=$!
  # The handler is in place once the program (not the shell before it)
  # catches the signal.
  bit=$(( $(kill -l "$signal") - 1 ))
  for _ in $(seq 400); do
    caught=
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$dir/$(basename "$program")" ] \
      && caught=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$caught" ] && (( (16#$caught >> bit) & 1 )) && break
    sleep 0.05
  done
  sleep 0.2  # into an event loop: the window's or the box's
  kill -s "$signal" "$pid"
  status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || { cat "$dir/log" >&2; fail "$run: status $status"; }
  ini=$(find "$dir" -name quillometer.ini | head -n1)
  [ -n "$ini" ] && grep -q '^bChinese=1' "$ini" || { cat "$dir/log" >&2; fail "$run: no settings written"; }
done
echo "every signal closed the program with its settings written"
