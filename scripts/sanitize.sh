#!/usr/bin/env bash
# Builds the unit and widget tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan and runs them there.
#
#   scripts/sanitize.sh [--build-only | --no-build] [CTEST ARGUMENTS...]
#
# The test run calls this with --build-only once, then with --no-build. The
# build is lighter than the ordinary one, so that it fits in the test run's
# time: clang where it is installed (./test.sh installs it for fuzzing),
# which compiles this code in 60% of gcc's time; -O0, which compiles in half
# the time of -O1; line tables only (-g1); and the tests' executables alone.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-asan
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"

read_steps "$@"
set -- "${step_args[@]}"

if [[ $build_step == yes ]]; then
    compiler=$(command -v clang++ || command -v c++)
    cmake -S "$root" -B "$build" -G Ninja "${build_options[@]}" -DCMAKE_CXX_COMPILER="$compiler" \
        -DKELVO_SANITIZE=ON -DKELVO_BENCH=OFF -DKELVO_FUZZ_TESTS=OFF -DKELVO_SANITIZE_TESTS=OFF \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O0 -g1 -fno-omit-frame-pointer" \
        >/dev/null
    cmake --build "$build" --target kelvo_unit_and_ui_tests
fi
[[ $run_step == yes ]] || exit 0

# Undefined behaviour fails a test as a crash does.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_stack_use_after_return=1}
cd "$build"
# The GoogleTest and Qt Test executables; not the checks of scripts and files.
exec ctest --no-tests=error --output-on-failure -j "$(nproc)" -L '^(unit|ui)$' \
    -E '^(extension|install|layout)\.' "$@"
