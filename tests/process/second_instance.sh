#!/usr/bin/env bash
# The window is captioned exactly. A second start on the same home shows a
# message and ends with exit code 0, while the first window keeps running and
# keeps the home's lock.
# Usage: second_instance.sh KELVO_BINARY
set -euo pipefail
kelvo=$1
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"

"$kelvo" --home "$home" >"$work/first.log" 2>&1 &
first=$!
pids+=("$first")
window=$(wait_window "$first")
[ -n "$window" ] || fail "the first window did not appear"
# The caption exactly, with no application name added by the toolkit.
caption="ケルボ v$("$kelvo" --version | cut -d' ' -f2)"
[ "$(xdotool getwindowname "$window")" = "$caption" ] ||
  fail "the window is captioned '$(xdotool getwindowname "$window")', not '$caption'"

"$kelvo" --home "$home" >"$work/second.log" 2>&1 &
second=$!
pids+=("$second")
message=$(wait_window "$second")
[ -n "$message" ] || fail "the second start showed no message"
[ "$(xdotool getwindowname "$message")" = "ケルボ" ] || fail "the message is not captioned ケルボ"
# The message box has the keyboard focus; Enter presses its OK button.
xdotool windowfocus --sync "$message" key Return

for _ in $(seq 100); do
  kill -0 "$second" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$second" 2>/dev/null && fail "the second start did not end after its message"
status=0
wait "$second" || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with exit code $status"

kill -0 "$first" 2>/dev/null || fail "the first window ended"
[ -e "$home/kelvo.lock" ] || fail "the first window lost its lock"
[ -z "$(xdotool search --pid "$first" --onlyvisible 2>/dev/null)" ] && fail "the first window is gone"
echo "PASS: the second start was refused and the first keeps running"
