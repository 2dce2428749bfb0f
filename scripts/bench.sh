#!/usr/bin/env bash
# Builds every benchmark in Release (build-bench) and runs them one after the
# other, so that their figures are measured side by side, then writes
# docs/performance.md from what they printed (scripts/lib/performance_doc.py):
#   - the table store: Load and Save against plain reads and writes, and
#     `kelvo table dump` against Load;
#   - a burst of captures (1,000 of 200 KB, and 10,000 of 20 KB), and
#     automatic renaming past 1 and past 200 taken names;
#   - the disk syncs of one `kelvo capture` (strace);
#   - `kelvo capture` of a 200 KB file, a process each, against `cp -n` and
#     `sync -f`; `kelvo --version` against a Qt Core hello world; the
#     window's first paint against a Qt Widgets hello world;
#   - the daily log: the first rows of a day against its 10,000th;
#   - five years of history: the tree at start-up, additions, one day's log;
#   - listing a day of 50,000 captures against loading its log, and
#     `kelvo history DAY` against the listing;
#   - searching five years of history against cat of every log, the time to
#     the first results, and the search's peak memory;
#   - the collection's index at 200,000 captures, and the first indexing of
#     20,000 small pictures against sha256sum and decoding them;
#   - the picture hash: edited copies still similar, unrelated pictures told
#     apart, and the time to hash a JPEG;
#   - a 24-megapixel JPEG dropped on the window: the longest time the window
#     does not answer, against decoding it on the UI thread;
#   - a 5 MB JPEG saved from the browser's menu against curl;
#   - scripts/measure.sh: start-up time and peak memory of the window.
#
#   scripts/bench.sh [TABLE BENCHMARK ARGUMENTS...]
#
# e.g. scripts/bench.sh --benchmark_repetitions=9
# Each quick benchmark runs KELVO_BENCH_ROUNDS times (3 by default) and each
# one that takes minutes KELVO_BENCH_SLOW_ROUNDS times (2), so that the
# document shows the spread from run to run. A benchmark that cannot run or
# fails is said so in the document, the others run all the same, and the
# script then exits 1. KELVO_BENCH_DIR chooses another build folder; extra
# configure arguments can be given in KELVO_CMAKE_ARGS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVO_BENCH_DIR:-$root/build-bench}
rounds=${KELVO_BENCH_ROUNDS:-3}
slow_rounds=${KELVO_BENCH_SLOW_ROUNDS:-2}
source "$root/scripts/packages.sh"
# Google Benchmark comes with the tests' packages; Xvfb gives the window a
# display as a desktop would.
"$root/scripts/install-packages.sh" "${run_packages[@]}" "${test_packages[@]}"
"$root/scripts/install-packages.sh" xvfb || true
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"

# What is measured, noted before the build: others may commit meanwhile.
started=$(date -u '+%Y-%m-%d %H:%M UTC')
commit=$(git -C "$root" rev-parse --short HEAD)
[[ -z $(git -C "$root" status --porcelain) ]] || commit+=+changes

cmake -S "$root" -B "$build" -G Ninja "${build_options[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DKELVO_BENCH=ON -DKELVO_TESTS=ON ${KELVO_CMAKE_ARGS:-} >/dev/null
# What each benchmark printed stays there after the run.
results=$build/bench-results
rm -rf "$results"
mkdir "$results"
echo "$started" >"$results/started"
echo "$commit" >"$results/commit"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
bench=$build/tests/bench
kelvo=$build/src/kelvo

# One target at a time: a program that does not build leaves out the
# sections that need it, not the whole run.
declare -A unbuilt=()
for target in kelvo kelvo-browser-host kelvo_table_bench kelvo_capture_bench \
    kelvo_capture_log_bench kelvo_history_bench kelvo_history_listing_bench \
    kelvo_history_search_bench kelvo_collection_index_bench kelvo_make_jpeg \
    kelvo_make_history kelvo_hello_core kelvo_picture_hash_bench kelvo_window_drop_bench; do
    cmake --build "$build" --target "$target" || unbuilt[$target]=1
done

# What a benchmark printed goes into $results under its section's key, and to
# the terminal as it comes.

# failed KEY STATUS: notes how KEY's benchmark ended, with the end of what it
# said on standard error.
failed() {
    { echo "exit status $2"; tail -n 20 "$results/$1.err"; } >"$results/$1.failed"
    failures=$((failures + 1))
}

# run_rounds KEY COUNT COMMAND...: COMMAND's output of round N into KEY.N.out.
run_rounds() {
    local key=$1 count=$2 n status
    shift 2
    for ((n = 1; n <= count; n++)); do
        set +e
        "$@" 2>"$results/$key.err" | tee "$results/$key.$n.out"
        status=${PIPESTATUS[0]}
        set -e
        if ((status != 0)); then
            failed "$key" "$status"
            return
        fi
    done
}

# run_markdown KEY COMMAND...: a table COMMAND prints in markdown, into KEY.md.
run_markdown() {
    local key=$1 status
    shift
    set +e
    "$@" 2>"$results/$key.err" | tee "$results/$key.md"
    status=${PIPESTATUS[0]}
    set -e
    ((status == 0)) || failed "$key" "$status"
}

# missing KEY WHY
missing() {
    echo "$2" >"$results/$1.missing"
    echo "not measured: $2"
}

# needs KEY TARGET...: whether every TARGET built; if not, KEY is missing.
needs() {
    local key=$1 target
    shift
    for target; do
        if [[ -n ${unbuilt[$target]:-} ]]; then
            missing "$key" "$target did not build"
            return 1
        fi
    done
}

echo "== table store"
# Repetitions in random order: on a shared machine two benchmarks run one
# after the other can meet very different loads.
needs table kelvo_table_bench &&
    run_markdown table_display "$bench/kelvo_table_bench" \
        --benchmark_out="$results/table.json" --benchmark_out_format=json \
        --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
        --benchmark_display_aggregates_only=true "$@"
[[ ! -e $results/table_display.failed ]] ||
    mv "$results/table_display.failed" "$results/table.failed"

echo
echo "== capture bursts"
needs burst_1000 kelvo_capture_bench &&
    run_rounds burst_1000 "$rounds" "$bench/kelvo_capture_bench" 1000 200
needs burst_10000 kelvo_capture_bench &&
    run_rounds burst_10000 "$rounds" "$bench/kelvo_capture_bench" 10000 20
needs rename kelvo_capture_bench &&
    run_rounds rename "$rounds" "$bench/kelvo_capture_bench" rename 200 200

# make_capture_home FOLDER: a home whose kelvo.ini sends captures to
# FOLDER/pictures/, and a 200 KB photo.jpg in FOLDER.
make_capture_home() {
    mkdir -p "$1/home" "$1/pictures"
    printf '[Form]\r\nDefSiki=bench\r\nDefFolder=%s/pictures/\r\n' "$1" >"$1/home/kelvo.ini"
    head -c 204800 /dev/urandom >"$1/photo.jpg"
}

echo
echo "== syncs per capture"
# fdatasync and fsync calls of one `kelvo capture` of one 200 KB file.
syncs=$work/syncs
count_syncs() { # WHAT CAPTURE-ARGUMENTS...
    local what=$1
    shift
    strace -f -c -e trace=fdatasync,fsync -o "$syncs/strace.txt" \
        "$kelvo" --home "$syncs/home/" capture "$@" >/dev/null
    awk -v what="$what" '$NF == "fdatasync" || $NF == "fsync" { n += $4 }
        END { printf "| %s | %d |\n", what, n }' "$syncs/strace.txt"
}
print_syncs() {
    make_capture_home "$syncs"
    cp "$syncs/photo.jpg" "$syncs/other.jpg"
    echo "| capture | syncs |"
    echo "|---|---|"
    count_syncs "the home's first capture (copy, tree, log, the index made)" "$syncs/photo.jpg"
    count_syncs "a capture on a day known (copy, log)" "$syncs/other.jpg"
    for n in $(seq 1 199); do cp "$syncs/photo.jpg" "$syncs/pictures/photo[$n].jpg"; done
    count_syncs "\`--on-clash auto\`, 200 names taken (copy, log)" --on-clash auto \
        "$syncs/photo.jpg"
    count_syncs "\`--on-clash skip\`, the name taken" "$syncs/photo.jpg"
}
if ! command -v strace >/dev/null; then
    missing syncs "strace is not installed"
elif needs syncs kelvo; then
    run_markdown syncs print_syncs
fi

echo
echo "== a capture from the command line, against cp -n and sync -f"
capture=$work/capture
capture_calls=50
make_capture_home "$capture"
mkdir "$capture/sources" "$capture/copies"
# A file of its own for every call, the untimed first round's included, and
# other bytes in each: the same bytes again would be a clash of content.
for ((n = 0; n <= capture_calls; n++)); do
    head -c 204800 /dev/urandom >"$capture/sources/photo$n.jpg"
done
printf -v kelvo_capture '%q --home %q capture %q' "$kelvo" "$capture/home/" \
    "$capture/sources/photo{n}.jpg"
printf -v copy_and_sync 'cp -n %q %q && sync -f %q' "$capture/sources/photo{n}.jpg" \
    "$capture/copies/photo{n}.jpg" "$capture/copies/photo{n}.jpg"
needs capture_process kelvo &&
    run_markdown capture_process python3 "$root/scripts/lib/time_processes.py" \
        --runs "$capture_calls" --goal 2 \
        "\`kelvo capture\`" "$kelvo_capture" "\`cp -n\` + \`sync -f\`" "$copy_and_sync"

echo
echo "== kelvo --version, against a Qt Core hello world"
printf -v version '%q --version' "$kelvo"
printf -v hello '%q' "$bench/kelvo_hello_core"
needs version kelvo kelvo_hello_core &&
    run_markdown version python3 "$root/scripts/lib/time_processes.py" --runs 50 --goal 1.5 \
        "\`kelvo --version\`" "$version" "Qt Core hello world" "$hello"

echo
echo "== the window's first paint, against a Qt Widgets hello world"
first_paint=$root/tests/bench/first_paint_bench.sh
if [[ ! -f $first_paint ]]; then
    missing first_paint "tests/bench/first_paint_bench.sh is not there yet"
elif ! command -v Xvfb >/dev/null; then
    missing first_paint "it needs an X server, and Xvfb is not installed"
elif ! needs first_paint kelvo; then
    :
elif ! cmake --build "$build" --target kelvo_hello_window kelvo_first_paint_timer; then
    missing first_paint "its programs (kelvo_hello_window, kelvo_first_paint_timer) did not build"
else
    run_markdown first_paint bash "$first_paint" "$build"
fi

echo
echo "== daily log"
needs capture_log kelvo_capture_log_bench &&
    run_rounds capture_log "$slow_rounds" "$bench/kelvo_capture_log_bench"

echo
echo "== five years of history"
needs history kelvo_history_bench &&
    run_markdown history_display "$bench/kelvo_history_bench" --benchmark_min_time=0.2 \
        --benchmark_repetitions=5 --benchmark_display_aggregates_only=true \
        --benchmark_out="$results/history.json" --benchmark_out_format=json
[[ ! -e $results/history_display.failed ]] ||
    mv "$results/history_display.failed" "$results/history.failed"

echo
echo "== listing a large day"
needs listing kelvo_history_listing_bench &&
    run_rounds listing "$rounds" "$bench/kelvo_history_listing_bench"

echo
echo "== searching five years of history"
needs search kelvo_history_search_bench &&
    run_rounds search "$slow_rounds" "$bench/kelvo_history_search_bench"

echo
echo "== the collection's index"
needs collection_index kelvo_collection_index_bench &&
    run_rounds collection_index "$slow_rounds" "$bench/kelvo_collection_index_bench"

echo
echo "== the picture hash"
# Its pictures come from a fixed seed: every run finds the same shares.
needs picture_hash kelvo_picture_hash_bench &&
    run_rounds picture_hash 1 "$bench/kelvo_picture_hash_bench"

echo
echo "== a 24-megapixel JPEG dropped on the window"
needs window_drop kelvo_window_drop_bench &&
    run_rounds window_drop "$rounds" env QT_QPA_PLATFORM=offscreen \
    "$bench/kelvo_window_drop_bench" 5

echo
echo "== saving from the browser's menu"
if ! command -v node >/dev/null || ! command -v curl >/dev/null; then
    missing browser_save "it needs node and curl"
elif needs browser_save kelvo-browser-host kelvo_make_jpeg; then
    chromium_id=$(sed -n 's/^set(KELVO_CHROMIUM_COMPANION_ID \(.*\))$/\1/p' "$root/CMakeLists.txt")
    run_rounds browser_save "$slow_rounds" node "$root/tests/bench/browser_save_bench.js" \
        "$build/src/kelvo-browser-host" "$bench/kelvo_make_jpeg" "$chromium_id"
fi

echo
echo "== window"
needs window kelvo kelvo_make_jpeg kelvo_make_history &&
    run_markdown window env KELVO_BUILD_DIR="$build" "$root/scripts/measure.sh"

python3 "$root/scripts/lib/performance_doc.py" "$results" "$root" >"$work/performance.md"
mv "$work/performance.md" "$root/docs/performance.md"
echo
echo "docs/performance.md written; $failures benchmark(s) failed," \
    "${#unbuilt[@]} program(s) did not build"
((failures == 0 && ${#unbuilt[@]} == 0))
