#!/usr/bin/env bash
# The commands load Qt Core and what their work needs, never the window's
# libraries (widgets, images, networking), and what does need pictures
# decoded (history --similar) finds the window's module and works.
# Usage: light_commands.sh KELVO_BINARY
set -euo pipefail
kelvo=$1
picture=$(dirname "$0")/../e2e/page/harbour.png
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
mkdir "$work/home" "$work/dest"
printf '[Form]\r\nDefFolder=%s/dest/\r\n' "$work" >"$work/home/kelvo.ini"
cp "$picture" "$work/photo.png"

# The libraries the dynamic loader loaded for the command.
loaded() {
  LD_DEBUG=libs LD_DEBUG_OUTPUT="$work/ld" env -u DISPLAY -u WAYLAND_DISPLAY \
    "$kelvo" --home "$work/home" "$@" >"$work/out" 2>&1 || fail "kelvo $* failed: $(cat "$work/out")"
  cat "$work"/ld.* | sed -n 's/.*calling init: //p'
  rm -f "$work"/ld.*
}
heavy='Qt6(Gui|Widgets|Network|Svg)|libavif|libxcb|kelvo-window'
for command in --version --help "capture $work/photo.png" history "history --find photo"; do
  # shellcheck disable=SC2086 # the arguments are words
  if loaded $command >"$work/loaded" && grep -E "$heavy" "$work/loaded" >"$work/found"; then
    fail "kelvo $command loaded $(xargs <"$work/found")"
  fi
done

similar=$(loaded history --similar "$picture")
grep -q kelvo-window <<<"$similar" || fail "history --similar did not load the picture decoders"
grep -q "photo.png" "$work/out" || fail "history --similar did not find the capture: $(cat "$work/out")"
echo "PASS: commands load no window library; --similar loads the decoders and finds the picture"
