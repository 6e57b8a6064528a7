#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program with the
# sample data. Without a display it prints the sample report with the
# command-line solver instead.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/quillometer ]; then
  exec build/bin/quillometer
fi
echo "No display: the sample report from the command-line solver follows." >&2
exec build/bin/quillometer-cli build/bin/An.txt build/bin/X.txt
