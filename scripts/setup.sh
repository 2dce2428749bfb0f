#!/usr/bin/env bash
# Installs what is missing on Debian 12 (scripts/packages.sh), then configures
# and builds into build/ (or KELVO_BUILD_DIR).
#
#   scripts/setup.sh run    the packages for running; builds the program (and
#                           the browser extension it installs with)
#   scripts/setup.sh test   those and the tests' and fuzzing's; builds everything
#
# Extra configure arguments can be given in KELVO_CMAKE_ARGS.

# How a build folder is made, and what ./run.sh turns off in a new one and
# builds. Sourced, this file defines only these (tests/install/run_build.sh
# makes a build folder as ./run.sh does).
configure_options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
run_options=(-DKELVO_TESTS=OFF -DKELVO_BENCH=OFF)
run_targets=(kelvo)
[ "${BASH_SOURCE[0]}" = "$0" ] || return 0

set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/packages.sh"
build_dir=${KELVO_BUILD_DIR:-$root/build}

mode=${1:-}
case $mode in
run)
  packages=("${run_packages[@]}")
  # A build folder configured before keeps its choices (a later ./run.sh
  # after ./test.sh keeps the tests). A new one leaves out the tests, whose
  # packages ./run.sh does not install; ./test.sh turns them on again.
  options=()
  [ -f "$build_dir/CMakeCache.txt" ] || options=("${run_options[@]}")
  targets=(--target "${run_targets[@]}")
  ;;
test)
  packages=("${run_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}")
  options=(-DKELVO_TESTS=ON -DKELVO_BENCH=ON)
  targets=()
  ;;
*)
  echo "usage: scripts/setup.sh run|test" >&2
  exit 2
  ;;
esac

"$root/scripts/install-packages.sh" "${packages[@]}"
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"
# shellcheck disable=SC2086 # the extra arguments are words
cmake -S "$root" -B "$build_dir" "${configure_options[@]}" "${build_options[@]}" "${options[@]}" \
  ${KELVO_CMAKE_ARGS:-}
cmake --build "$build_dir" "${targets[@]}"
