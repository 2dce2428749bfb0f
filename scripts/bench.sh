#!/usr/bin/env bash
# Builds every benchmark in Release (build-bench) and runs them one after the
# other, so that their figures are measured side by side:
#   - the table store: Load and Save against plain reads and writes, and
#     `kelvo table dump` against Load;
#   - a burst of captures (1,000 of 200 KB, and 10,000 of 20 KB), and
#     automatic renaming past 1 and past 200 taken names;
#   - the disk syncs of one `kelvo capture` (strace);
#   - the daily log: the first rows of a day against its 10,000th;
#   - five years of history: the tree at start-up, additions, one day's log;
#   - listing a day of 50,000 captures against loading its log, and
#     `kelvo history DAY` against the listing;
#   - searching five years of history (100 captures a day; 1,000 a day too
#     when its generation is expected under 30 s) against cat of every log,
#     the time to the first results, and the search's peak memory against
#     the history's size on disk;
#   - the collection's index at 200,000 captures: an exact-content and a
#     similar lookup; the first indexing of 20,000 small pictures against
#     sha256sum and decoding them;
#   - the picture hash: the share of edited copies (half size, JPEG quality
#     70, WebP, cropped) still similar, the share of 10,000 unrelated pictures
#     matching another, and the time to hash a 1600 x 1200 JPEG;
#   - a 24-megapixel JPEG dropped on the window: the longest time the window
#     does not answer, against decoding it on the UI thread;
#   - a 5 MB JPEG saved from the browser's menu, from the command to the log
#     row, against curl writing the same bytes to the destination;
#   - scripts/measure.sh: start-up time and peak memory of the window.
#
#   scripts/bench.sh [TABLE BENCHMARK ARGUMENTS...]
#
# e.g. scripts/bench.sh --benchmark_repetitions=9
# Extra configure arguments can be given in KELVO_CMAKE_ARGS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
source "$root/scripts/packages.sh"
# Google Benchmark comes with the tests' packages.
"$root/scripts/install-packages.sh" "${run_packages[@]}" "${test_packages[@]}"
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"

cmake -S "$root" -B "$build" -G Ninja "${build_options[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DKELVO_BENCH=ON -DKELVO_TESTS=ON ${KELVO_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target kelvo_table_bench kelvo_capture_bench \
    kelvo_capture_log_bench kelvo_history_bench kelvo_history_listing_bench \
    kelvo_history_search_bench kelvo_collection_index_bench kelvo kelvo_make_jpeg \
    kelvo_picture_hash_bench kelvo_window_drop_bench kelvo-browser-host

echo "== table store"

json=$build/table_bench.json
# Medians of five, in random order: on a shared machine two benchmarks run
# one after the other can meet very different loads.
"$build/tests/bench/kelvo_table_bench" --benchmark_out="$json" \
    --benchmark_out_format=json --benchmark_repetitions=5 \
    --benchmark_enable_random_interleaving=true --benchmark_display_aggregates_only=true "$@"

python3 - "$json" <<'EOF'
import json
import sys

with open(sys.argv[1]) as f:
    runs = json.load(f)["benchmarks"]
# With repetitions, compare the medians; otherwise the single runs.
chosen = {}
for run in runs:
    if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
        continue
    chosen[run["run_name"].split("/")[0]] = run

def seconds(name):
    run = chosen[name]
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[run["time_unit"]]
    return run["real_time"] * scale

print()
print(f"{'benchmark':<22}{'ms':>10}{'MB/s':>10}")
for name in ["BM_PlainRead", "BM_Load", "BM_Dump", "BM_PlainWrite", "BM_PlainWriteSynced",
             "BM_Save"]:
    run = chosen[name]
    print(f"{name:<22}{seconds(name) * 1e3:>10.1f}{run['bytes_per_second'] / 1e6:>10.1f}")
print()
for slow, fast in [("BM_Load", "BM_PlainRead"), ("BM_Save", "BM_PlainWrite"),
                   ("BM_Save", "BM_PlainWriteSynced")]:
    print(f"{slow[3:]}/{fast[3:]}: {seconds(slow) / seconds(fast):.2f}x the time")
print(f"Dump/Load: {seconds('BM_Dump') / seconds('BM_Load'):.2f}x the time (target: at most 2x)")
EOF

echo
echo "== capture bursts"
"$build/tests/bench/kelvo_capture_bench" 1000 200
"$build/tests/bench/kelvo_capture_bench" 10000 20
"$build/tests/bench/kelvo_capture_bench" rename 200 200
echo
echo "== syncs per capture"
# fdatasync and fsync calls of one `kelvo capture` of one 200 KB file.
syncs=$(mktemp -d)
mkdir "$syncs/home" "$syncs/pictures"
printf '[Form]\r\nDefSiki=bench\r\nDefFolder=%s/pictures/\r\n' "$syncs" >"$syncs/home/kelvo.ini"
head -c 204800 /dev/urandom >"$syncs/photo.jpg"
cp "$syncs/photo.jpg" "$syncs/other.jpg"
count_syncs() { # WHAT CAPTURE-ARGUMENTS...
    local what=$1
    shift
    strace -f -c -e trace=fdatasync,fsync -o "$syncs/strace.txt" \
        "$build/src/kelvo" --home "$syncs/home/" capture "$@" >/dev/null
    awk -v what="$what" '$NF == "fdatasync" || $NF == "fsync" { n += $4 }
        END { printf "%-48s%d\n", what, n }' "$syncs/strace.txt"
}
count_syncs "the day's first capture (copy, tree, log)" "$syncs/photo.jpg"
count_syncs "a capture on a day known (copy, log)" "$syncs/other.jpg"
for n in $(seq 1 199); do cp "$syncs/photo.jpg" "$syncs/pictures/photo[$n].jpg"; done
count_syncs "--on-clash auto, 200 names taken (copy, log)" --on-clash auto "$syncs/photo.jpg"
count_syncs "--on-clash skip, the name taken" "$syncs/photo.jpg"
rm -rf "$syncs"
echo
echo "== daily log"
"$build/tests/bench/kelvo_capture_log_bench"
echo
echo "== five years of history"
"$build/tests/bench/kelvo_history_bench" --benchmark_min_time=0.2
echo
echo "== listing a large day"
"$build/tests/bench/kelvo_history_listing_bench"
echo
echo "== searching five years of history"
"$build/tests/bench/kelvo_history_search_bench"
echo
echo "== the collection's index"
"$build/tests/bench/kelvo_collection_index_bench"
echo
echo "== the picture hash"
"$build/tests/bench/kelvo_picture_hash_bench"
echo
echo "== a 24-megapixel JPEG dropped on the window"
QT_QPA_PLATFORM=offscreen "$build/tests/bench/kelvo_window_drop_bench" 5 2>/dev/null
echo
echo "== saving from the browser's menu"
chromium_id=$(sed -n 's/^set(KELVO_CHROMIUM_COMPANION_ID \(.*\))$/\1/p' "$root/CMakeLists.txt")
node "$root/tests/bench/browser_save_bench.js" "$build/src/kelvo-browser-host" \
    "$build/tests/bench/kelvo_make_jpeg" "$chromium_id"
echo
echo "== window"
KELVO_BUILD_DIR=$build "$root/scripts/measure.sh"
