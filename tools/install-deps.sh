#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  # build, and the layout check of the C++ sources (clang-format 14 on Debian 12)
  build-essential cmake pkg-config clang-format
  # the Debian package (dpkg-shlibdeps; CPack calls file) and its manual page check
  dpkg-dev file groff-base man-db
  # desktop program
  qt6-base-dev qt6-base-dev-tools libgl-dev libqrencode-dev fonts-wqy-microhei
  libqcustomplot-dev qt6-svg-dev
  # the analysis library (exact and ball arithmetic)
  libflint-dev libflint-arb-dev
  # the Python module, its tests and its Dask example
  python3-dev pybind11-dev python3-numpy python3-pytest python3-dask python3-distributed
  # tests and benchmarks
  googletest libgtest-dev libbenchmark-dev libfast-float-dev python3-sympy python3-mpmath locales time
  xvfb xauth x11-utils zbar-tools imagemagick desktop-file-utils appstream
  # the freeze probe with the accessibility bridge on and a stand-in screen reader (tools/freeze-probe.sh)
  dbus-bin dbus-daemon at-spi2-core python3-dbus python3-gi
  # the order of a save's system calls (write, fsync, rename, fsync of the folder)
  strace
  # fuzzing (libFuzzer) and the aarch64 cross run
  clang libclang-rt-14-dev g++-aarch64-linux-gnu qemu-user
  # the browser edition: its WebAssembly build, the page's bundling and its
  # browser tests (the system's Chromium, headless)
  emscripten nodejs chromium
)
# npm comes with Debian's nodejs in a package of its own, and inside a nodejs
# from elsewhere.
command -v npm >/dev/null || packages+=(npm)

# The page's JavaScript packages, exactly as the lockfile pins them.
web_packages() {
  local web
  web="$(cd "$(dirname "$0")/.." && pwd)/web"
  [ -f "$web/package-lock.json" ] || return 0
  cmp -s "$web/package-lock.json" "$web/node_modules/.installed-lock.json" 2>/dev/null && return 0
  # Without the registry (no network, a proxy npm does not trust) everything
  # but the browser edition still builds and is tested: say so and go on.
  if ! (cd "$web" && npm ci --no-audit --no-fund --loglevel=error && cp package-lock.json node_modules/.installed-lock.json); then
    rm -rf "$web/node_modules"
    echo "install-deps: npm ci failed, so the browser edition's JavaScript packages are missing;" \
      "its build and tests are left out" >&2
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  web_packages
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
web_packages
