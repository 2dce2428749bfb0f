#!/usr/bin/env bash
# The time from exec to the main window's first paint, against a Qt Widgets
# hello world showing the same Japanese text, on a fresh Xvfb display: kelvo
# and the hello world alternately, each kelvo on a new empty home. Prints a
# markdown table (median, min-max, ratio); fails only when a start could not
# be measured.
#
#   tests/bench/first_paint_bench.sh BUILD_DIR [RUNS]
#
# RUNS starts of each, 9 by default. The build needs kelvo,
# kelvo_hello_window and kelvo_first_paint_timer.
set -euo pipefail

build=$(cd "${1:?usage: first_paint_bench.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-9}

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [[ -z $xvfb_pid ]] || { kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid"; } || true
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# shellcheck source=scripts/xdisplay.sh
source "$(dirname "$0")/../../scripts/xdisplay.sh"
start_xvfb "$work"
export QT_QPA_PLATFORM=xcb
# Neither program reads a desktop's settings that the other would not.
unset QT_QPA_PLATFORMTHEME XDG_CURRENT_DESKTOP

"$build/tests/bench/kelvo_first_paint_timer" "$runs" "$build/src/kelvo" --home %home% -- \
    "$build/tests/bench/kelvo_hello_window"
