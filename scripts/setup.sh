#!/usr/bin/env bash
# Installs what Kelvo needs to build and test on Debian 12, then configures
# and builds into build/. Sourced by run.sh and test.sh.
# Usage: scripts/setup.sh [extra Debian packages...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Building and the unit, widget and replay tests.
packages=(
  cmake ninja-build g++
  qt6-base-dev
  # X Direct Save talks to the X server through xcb
  pkgconf libxcb1-dev
  libgtest-dev libbenchmark-dev
  # the end-to-end test driver
  python3
  # the browser extension's tests (node --test)
  nodejs
  # the fuzz targets (libFuzzer comes with clang's runtime)
  clang libclang-rt-14-dev
  # tests that run the real program on a virtual X display
  xvfb xdotool
  "$@"
)

"$root/scripts/install-packages.sh" "${packages[@]}"

build_dir=${KELVO_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KELVO_CMAKE_ARGS:-}
cmake --build "$build_dir"
