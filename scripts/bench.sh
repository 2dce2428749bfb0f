#!/usr/bin/env bash
# Builds the table benchmark in Release (build-bench), runs it and prints how
# Load and Save compare with plain reads and writes of the same file; then how
# listing a large day in the history compares with loading its log.
#
#   scripts/bench.sh [BENCHMARK ARGUMENTS...]
#
# e.g. scripts/bench.sh --benchmark_repetitions=5
# Extra configure arguments can be given in KELVO_CMAKE_ARGS.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVO_BENCH=ON \
    -DKELVO_TESTS=ON ${KELVO_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" --target kelvo_table_bench

json=$build/table_bench.json
"$build/tests/bench/kelvo_table_bench" --benchmark_out="$json" \
    --benchmark_out_format=json "$@"

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
for name in ["BM_PlainRead", "BM_Load", "BM_PlainWrite", "BM_PlainWriteSynced", "BM_Save"]:
    run = chosen[name]
    print(f"{name:<22}{seconds(name) * 1e3:>10.1f}{run['bytes_per_second'] / 1e6:>10.1f}")
print()
for slow, fast in [("BM_Load", "BM_PlainRead"), ("BM_Save", "BM_PlainWrite"),
                   ("BM_Save", "BM_PlainWriteSynced")]:
    print(f"{slow[3:]}/{fast[3:]}: {seconds(slow) / seconds(fast):.2f}x the time")
EOF

# Listing a day of 50,000 captures in the history against loading its log.
cmake --build "$build" --target kelvo_history_bench >/dev/null
echo
"$build/tests/bench/kelvo_history_bench"
