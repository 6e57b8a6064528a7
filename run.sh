#!/usr/bin/env bash
# Installs what is missing, builds, and starts the desktop program with the
# sample data. Without a display it prints the sample report with the
# command-line solver instead.
#   ./run.sh --web [PORT]   builds the browser edition and serves it on
#                           127.0.0.1 (port 8023 unless given)
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
if [ "${1:-}" = "--web" ]; then
  site=$(tools/build-web.sh | tail -n1)
  echo "Serving $site (Ctrl+C stops)" >&2
  exec python3 tools/serve-web.py "$site" "${2:-8023}"
fi
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/quillometer ]; then
  exec build/bin/quillometer
fi
echo "No display: the sample report from the command-line solver follows." >&2
exec build/bin/quillometer-cli build/bin/An.txt build/bin/X.txt
