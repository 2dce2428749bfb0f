#!/usr/bin/env bash
# Builds the table-file fuzz targets with clang (libFuzzer, ASan, UBSan) into
# build-fuzz and runs each of them for a while.
#
#   scripts/fuzz.sh [SECONDS] [FORM...]
#
# SECONDS per target, 30 by default; FORM is quoted_form, escaped_form or
# binary_form, all three by default. KELVO_FUZZ_JOBS=N runs N targets at
# once (default 1). New inputs collect in build-fuzz/corpus/FORM; a crashing
# input is written to tests/fuzz/corpus/FORM/ so that the ordinary build
# replays it from then on. Exits non-zero when any target failed.
#
# Needs clang and libFuzzer: apt-get install clang libclang-rt-14-dev
set -euo pipefail

seconds=${1:-30}
shift || true
forms=("$@")
if [[ ${#forms[@]} -eq 0 ]]; then
    forms=(quoted_form escaped_form binary_form)
fi
jobs=${KELVO_FUZZ_JOBS:-1}

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

targets=()
for form in "${forms[@]}"; do
    if [[ ! -d $root/tests/fuzz/corpus/$form ]]; then
        echo "fuzz.sh: unknown form $form" >&2
        exit 2
    fi
    targets+=("${form}_fuzz")
done

cmake -S "$root" -B "$build" -G Ninja -DKELVO_FUZZ=ON -DKELVO_BENCH=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]}"

# Undefined behaviour must stop the run like a crash does.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:abort_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}

run_one() {
    local form=$1
    local seeds=$root/tests/fuzz/corpus/$form
    local work=$build/corpus/$form
    mkdir -p "$work"
    # The first folder receives new inputs; the seeds are only read.
    set +e
    "$build/tests/fuzz/${form}_fuzz" "$work" "$seeds" \
        -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$seeds/" >"$build/$form.log" 2>&1
    echo $? >"$build/$form.rc"
}

running=0
for form in "${forms[@]}"; do
    rm -f "$build/$form.rc"
    echo "fuzzing $form for ${seconds}s (log: build-fuzz/$form.log)"
    run_one "$form" &
    running=$((running + 1))
    if ((running >= jobs)); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait

status=0
for form in "${forms[@]}"; do
    rc=$(cat "$build/$form.rc" 2>/dev/null || echo 1)
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$form.log" | tail -1)
    corpus=$(find "$build/corpus/$form" -type f | wc -l)
    if [[ $rc -eq 0 ]]; then
        echo "$form: ok, ${executions:-?} executions, $corpus new corpus inputs"
    else
        status=1
        echo "$form: FAILED (exit $rc), ${executions:-?} executions; see build-fuzz/$form.log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|table check failed|.*runtime error)' \
            "$build/$form.log" | head -5 || true
        grep -E 'Test unit written to' "$build/$form.log" || true
    fi
done
exit $status
