#!/usr/bin/env bash
# Takes a screenshot of Kelvo's main window on a virtual X display and writes
# docs/screenshots/main-window.png.
# Usage: scripts/screenshots.sh            (KELVO_BIN=path/to/kelvo, default build/src/kelvo)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kelvo_bin=${KELVO_BIN:-$root/build/src/kelvo}
out_dir=$root/docs/screenshots
out=$out_dir/main-window.png

[ -x "$kelvo_bin" ] || { echo "screenshots.sh: no kelvo at $kelvo_bin (build first, or set KELVO_BIN)" >&2; exit 1; }

# Xvfb, ImageMagick's import, and a font with Japanese glyphs.
"$(dirname "${BASH_SOURCE[0]}")/install-packages.sh" xvfb imagemagick fonts-noto-cjk

work=$(mktemp -d)
xvfb_pid=
kelvo_pid=
cleanup() {
  [ -n "$kelvo_pid" ] && kill "$kelvo_pid" 2>/dev/null && wait "$kelvo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and reports its number (-displayfd).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshots.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
echo "Xvfb on $DISPLAY"

# A fresh home folder; no question when the window closes.
home=$work/home
mkdir -p "$home"
printf '[Form]\r\nCBX2=0\r\n' >"$home/kelvo.ini"
LC_ALL=C.UTF-8 "$kelvo_bin" --home "$home" >"$work/kelvo.log" 2>&1 &
kelvo_pid=$!

# Wait for the window.
window=
if command -v xdotool >/dev/null; then
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "ケルボ" 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$kelvo_pid" 2>/dev/null || { cat "$work/kelvo.log" >&2; exit 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { echo "screenshots.sh: Kelvo's window did not appear" >&2; exit 1; }
  sleep 1 # let it paint
else
  sleep 2
fi
kill -0 "$kelvo_pid" 2>/dev/null || { cat "$work/kelvo.log" >&2; exit 1; }

# The root window, cropped to Kelvo's window.
crop=300x300+0+0
if [ -n "$window" ]; then
  eval "$(xdotool getwindowgeometry --shell "$window")"
  crop=${WIDTH}x${HEIGHT}+${X}+${Y}
fi
mkdir -p "$out_dir"
import -window root -crop "$crop" +repage "$out"
echo "Wrote $out ($crop)"
