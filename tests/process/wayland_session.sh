#!/usr/bin/env bash
# The window on a real Wayland compositor with no X server at all (a headless
# weston): it starts, says once that the desktop decides whether it stays on
# top, and captures a file that kelvo capture hands over to it. Then, with an
# X server beside the compositor, it opens on X11 instead.
# Usage: wayland_session.sh KELVO_BINARY
# Exits 77 (skipped) only when weston or Qt's Wayland plugin is not installed.
set -euo pipefail
kelvo=$1

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v weston >/dev/null || skip "weston is not installed (apt-get install weston)"

work=$(mktemp -d)
pids=()
# Logs of a failed run go to the test's output.
show_logs() {
  for log in "$work"/*.log; do
    if [ -s "$log" ]; then
      echo "--- $(basename "$log")"
      tail -n 30 "$log"
    fi
  done >&2
}
cleanup() {
  local status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || show_logs
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Nothing of the desktop the test runs in: no X server, a runtime folder of
# its own (the compositor's socket and Kelvo's hand-over socket lie there).
unset DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=kelvo-test
timeout 110 weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --no-config \
  --idle-time=0 >"$work/weston.log" 2>&1 &
pids+=("$!")
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || fail "weston ended at start"
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston made no socket in 10 s"

home=$work/home
mkdir -p "$home" "$work/in"
# Closing asks nothing; the destination is the home until one is set.
printf '[Form]\r\nCBX2=0\r\n' >"$home/kelvo.ini"
base64 -d >"$work/in/photo.png" <<'EOF'
iVBORw0KGgoAAAANSUhEUgAAAAQAAAADCAIAAAA7ljmRAAAAEElEQVR4nGM4IScHRww4OQD1xwwxB+utmQAAAABJRU5ErkJggg==
EOF

# What the status bar says is logged on kelvo.status.
QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="kelvo.status.info=true" \
  timeout 100 "$kelvo" --home "$home" >"$work/window.log" 2>&1 &
window=$!
pids+=("$window")
hint="kelvo.status: Wayland では最前面表示はデスクトップが決めます"
for _ in $(seq 200); do
  grep -q "$hint" "$work/window.log" && break
  if ! kill -0 "$window" 2>/dev/null; then
    grep -q 'Could not find the Qt platform plugin "wayland"' "$work/window.log" &&
      skip "Qt's Wayland platform plugin is not installed (apt-get install qt6-wayland)"
    fail "the window ended at start"
  fi
  sleep 0.1
done
grep -q "$hint" "$work/window.log" || fail "the window was not shown on Wayland in 20 s"

# The window holds the home's lock, so the capture is the window's to make.
timeout 30 "$kelvo" --home "$home" capture "$work/in/photo.png" >"$work/capture.log" 2>&1 ||
  fail "kelvo capture exited $?"
grep -q "photo.png" "$work/capture.log" || fail "kelvo capture reported nothing for photo.png"
cmp -s "$work/in/photo.png" "$home/photo.png" || fail "the copy in the home is missing or differs"
grep -q "kelvo.status: 1 画像取得" "$work/window.log" || fail "the window did not count the capture"

logs=$(find "$home/Logs" -name '[0-9]*.txt')
if [ -z "$logs" ] || [ "$(echo "$logs" | wc -l)" -ne 1 ]; then
  fail "not one day's log: '$logs'"
fi
"$kelvo" table dump "$logs" >"$work/rows.log" || fail "the day's log does not load"
[ "$(grep -c "^photo.png	" "$work/rows.log")" -eq 1 ] || fail "the log has no row, or more, for photo.png"
kill -0 "$window" 2>/dev/null || fail "the window ended after the capture"
[ "$(grep -c "$hint" "$work/window.log")" -eq 1 ] || fail "the stacking hint was said more than once"

# With an X server beside the compositor, as XWayland is, the window goes to
# X11, where it can stay on top; Qt by itself would take Wayland.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdisplay.sh"
start_xvfb "$work"
pids+=("$xvfb_pid")
export WAYLAND_DISPLAY=kelvo-test
mkdir -p "$work/both"
printf '[Form]\r\nCBX2=0\r\n' >"$work/both/kelvo.ini"
QT_LOGGING_RULES="kelvo.status.info=true" timeout 100 "$kelvo" --home "$work/both" \
  >"$work/both.log" 2>&1 &
pids+=("$!")
# The X server is the test's own: Kelvo's is the only window there.
[ -n "$(timeout 20 xdotool search --sync --onlyvisible --name "ケルボ" | head -n1)" ] ||
  fail "with both displays there, the window did not open on X11"
! grep -q "$hint" "$work/both.log" || fail "the window on X11 gave Wayland's stacking hint"
echo "PASS: on Wayland the window started, gave its hint once and took a handed-over capture;" \
  "with X11 beside, it opened there"
