# Shell functions for running Kelvo on a virtual X display. Source this file.

# start_xvfb WORKDIR: starts Xvfb on a free display, exports DISPLAY and sets
# xvfb_pid. Kill "$xvfb_pid" when done.
start_xvfb() {
  local work=$1
  # Xvfb picks a free display itself and reports its number (-displayfd).
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; return 1; }
    sleep 0.1
  done
  [ -s "$work/display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$work/display")"
  unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}

# wait_window PID: prints the first visible window of that process, waiting
# up to 20 s for it.
wait_window() {
  timeout 20 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n1
}
