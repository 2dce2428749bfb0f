#!/usr/bin/env bash
# Builds the readers' fuzz targets with clang (libFuzzer, ASan, UBSan) into
# build-fuzz and runs each of them for a while.
#
#   scripts/fuzz.sh [--build-only | --no-build] [SECONDS] [READER...]
#
# SECONDS per reader: KELVO_FUZZ_SECONDS, else 30. READER is a name from
# tests/fuzz/CMakeLists.txt (quoted_form, tree_outline, drop_intake, ...), all
# of them by default. KELVO_FUZZ_JOBS=N runs N readers at once (default 1).
# New inputs collect in build-fuzz/corpus/READER; a crashing input is written
# to tests/fuzz/corpus/READER/ so that the ordinary build replays it from
# then on. Exits non-zero when any reader failed. The test run calls this
# with --build-only once, then with --no-build per reader.
#
# Needs clang and libFuzzer, fuzz_packages in scripts/packages.sh (./test.sh
# installs them).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"

read_steps "$@"
set -- "${step_args[@]}"
seconds=${KELVO_FUZZ_SECONDS:-30}
if [[ ${1:-} =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
readers=("$@")
if [[ ${#readers[@]} -eq 0 ]]; then
    mapfile -t readers < <(sed -n 's/^ *\([a-z_]*\):kelvo_[a-z_]*$/\1/p' \
        "$root/tests/fuzz/CMakeLists.txt")
fi
jobs=${KELVO_FUZZ_JOBS:-1}

for reader in "${readers[@]}"; do
    if [[ ! -d $root/tests/fuzz/corpus/$reader ]]; then
        echo "fuzz.sh: unknown reader $reader" >&2
        exit 2
    fi
done

if [[ $build_step == yes ]]; then
    # Qt's moc and the Qt libraries are as in the ordinary build; only our
    # code is instrumented.
    cmake -S "$root" -B "$build" -G Ninja "${build_options[@]}" -DKELVO_FUZZ=ON \
        -DKELVO_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target "${readers[@]/%/_fuzz}"
fi
[[ $run_step == yes ]] || exit 0

# Undefined behaviour must stop the run like a crash does.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export QT_QPA_PLATFORM=offscreen

run_one() {
    local reader=$1
    local seeds=$root/tests/fuzz/corpus/$reader
    local work=$build/corpus/$reader
    mkdir -p "$work"
    # The first folder receives new inputs; the seeds are only read.
    set +e
    "$build/tests/fuzz/${reader}_fuzz" "$work" "$seeds" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$seeds/" >"$build/$reader.log" 2>&1
    echo $? >"$build/$reader.rc"
}

running=0
for reader in "${readers[@]}"; do
    rm -f "$build/$reader.rc"
    echo "fuzzing $reader for ${seconds}s (log: build-fuzz/$reader.log)"
    run_one "$reader" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait

status=0
for reader in "${readers[@]}"; do
    rc=$(cat "$build/$reader.rc" 2>/dev/null || echo 1)
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$reader.log" | tail -1)
    corpus=$(find "$build/corpus/$reader" -type f | wc -l)
    if [[ $rc -eq 0 ]]; then
        echo "$reader: ok, ${executions:-?} executions, $corpus inputs in its working corpus"
    else
        status=1
        echo "$reader: FAILED (exit $rc), ${executions:-?} executions; see build-fuzz/$reader.log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|check failed|.*runtime error)' \
            "$build/$reader.log" | head -5 || true
        grep -E 'Test unit written to' "$build/$reader.log" || true
    fi
done
exit $status
