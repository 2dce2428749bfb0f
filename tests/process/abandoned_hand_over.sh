#!/usr/bin/env bash
# A kelvo capture handed to the window is interrupted while the window asks
# about a taken name: answering the question afterwards must not take the
# window with it. The capture completes; only the report back is dropped.
# Usage: abandoned_hand_over.sh KELVO_BINARY
set -euo pipefail
kelvo=$1
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
mkdir -p "$work/in"
printf 'taken' >"$home/photo.jpg" # the destination is the home until one is set
printf 'new bytes' >"$work/in/photo.jpg"

"$kelvo" --home "$home" >"$work/window.log" 2>&1 &
window=$!
pids+=("$window")
[ -n "$(wait_window "$window")" ] || fail "the window did not appear"

# The clash dialog opens; the capture is interrupted while it is open.
timeout 3 "$kelvo" --home "$home" capture "$work/in/photo.jpg" >"$work/capture.log" 2>&1 &&
  fail "the capture ended before the question was answered"
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "保存先フォルダに同一ファイル名が存在" |
  head -n1) || true
[ -n "$dialog" ] || fail "the clash dialog did not open"

# Escape closes the dialog without a button: not saved, as the user chose.
xdotool windowfocus --sync "$dialog" key Escape
sleep 1
kill -0 "$window" 2>/dev/null || fail "the window ended when the question was answered"
[ -n "$(xdotool search --pid "$window" --onlyvisible 2>/dev/null)" ] || fail "the window is gone"

# It still takes hand-overs.
printf 'other' >"$work/in/other.jpg"
timeout 20 "$kelvo" --home "$home" capture "$work/in/other.jpg" >"$work/second.log" 2>&1 ||
  fail "a later hand-over failed: $(cat "$work/second.log")"
grep -q "other.jpg" "$work/second.log" || fail "the later hand-over printed nothing"
[ -f "$home/other.jpg" ] || fail "the later hand-over saved nothing"
echo "PASS: the window outlived a hand-over abandoned during its question"
