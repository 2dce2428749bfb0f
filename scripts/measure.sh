#!/usr/bin/env bash
# Memory and start-up of the window, against the targets: the time from start
# to the main window shown (≤ 0.5 s), the peak RSS with the window shown and
# idle (≤ 80 MB), and the peak RSS after a 24-megapixel JPEG was captured and
# previewed (≤ 150 MB). The home holds five years of history: every day's
# log (100 captures a day) and the tree that lists the days.
#
#   scripts/measure.sh [RUNS]
#
# RUNS starts of each kind, 5 by default; prints a markdown table of the
# medians and their spread. Runs under Xvfb when it is installed (as a desktop
# would), else on Qt's offscreen platform; KELVO_MEASURE_PLATFORM=offscreen
# chooses the latter. Uses the build in KELVO_BUILD_DIR, else build/.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVO_BUILD_DIR:-$root/build}
runs=${1:-5}

cmake --build "$build" --target kelvo kelvo_make_jpeg kelvo_make_history >/dev/null
"$root/scripts/install-packages.sh" xvfb >&2 || true # else offscreen

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

if [[ ${KELVO_MEASURE_PLATFORM:-xcb} == xcb ]] && command -v Xvfb >/dev/null; then
    # shellcheck source=scripts/xdisplay.sh
    source "$root/scripts/xdisplay.sh"
    start_xvfb "$work"
    export QT_QPA_PLATFORM=xcb
else
    export QT_QPA_PLATFORM=offscreen
fi

"$build/tests/bench/kelvo_make_jpeg" 6000 4000 "$work/big.jpg"
"$build/tests/bench/kelvo_make_history" "$work/history"

python3 - "$build/src/kelvo" "$work" "$runs" <<'EOF'
import os
import shutil
import statistics
import subprocess
import sys
import time

kelvo, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])


def make_home(name, history):
    """A home of its own for each start: the window may change what it finds."""
    home = os.path.join(work, name) + "/"
    if history:
        shutil.copytree(os.path.join(work, "history"), home)
    pictures = home + "pictures/"
    os.makedirs(pictures)
    with open(home + "kelvo.ini", "wb") as ini:
        ini.write(f"[Form]\r\nCBX2=0\r\nDefFolder={pictures}\r\n".encode())
    return home


def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")


def start_to_window(home):
    """Seconds from the start to the first paint, and the peak RSS then."""
    env = dict(os.environ, KELVO_QUIT_WHEN_SHOWN="1")
    started = time.monotonic()
    process = subprocess.Popen([kelvo, "--home", home], stdout=subprocess.PIPE, env=env)
    line = process.stdout.readline()
    shown = time.monotonic() - started
    _, status, usage = os.wait4(process.pid, 0)
    if line.strip() != b"shown" or status != 0:
        sys.exit(f"kelvo did not report its window (status {status})")
    return shown, usage.ru_maxrss / 1024


def preview(home):
    """Peak RSS idle, then after a capture of the big JPEG handed to the window."""
    lock = home + "kelvo.lock"
    process = subprocess.Popen([kelvo, "--home", home], stdout=subprocess.DEVNULL)
    try:
        deadline = time.monotonic() + 20
        while not os.path.exists(lock) and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(1.0)  # shown and settled
        idle = peak_rss_mb(process.pid)
        result = subprocess.run([kelvo, "--home", home, "capture", work + "/big.jpg"],
                                capture_output=True, timeout=60)
        if result.returncode != 0:
            sys.exit(f"the capture failed: {result.stdout!r} {result.stderr!r}")
        time.sleep(0.5)
        return idle, peak_rss_mb(process.pid)
    finally:
        process.kill()
        process.wait()


# Alternately, so that both kinds of start meet the same moments of a busy machine.
empty_starts, history_starts = [], []
for n in range(runs):
    empty_starts.append(start_to_window(make_home(f"empty{n}", False)))
    history_starts.append(start_to_window(make_home(f"history{n}", True)))
previews = [preview(make_home(f"preview{n}", True)) for n in range(runs)]

platform = os.environ["QT_QPA_PLATFORM"]
print(f"Platform {platform}, {runs} starts of each kind.")
print()
rows = [
    ("start to window, empty home", [s for s, _ in empty_starts], 0.5, "s"),
    ("start to window, 5 years of history", [s for s, _ in history_starts], 0.5, "s"),
    ("peak RSS, window shown", [r for _, r in history_starts], 80, "MB"),
    ("peak RSS, idle after 1 s", [i for i, _ in previews], 80, "MB"),
    ("peak RSS after a 24 MP JPEG preview", [p for _, p in previews], 150, "MB"),
]
print("| | median | min–max | target | of target |")
print("|---|---|---|---|---|")
for name, figures, target, unit in rows:
    median = statistics.median(figures)
    spread = f"{min(figures):.2f}–{max(figures):.2f} {unit}"
    print(f"| {name} | {median:.2f} {unit} | {spread} | {target} {unit} | {median / target:.0%} |")
EOF
