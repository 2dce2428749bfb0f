#!/usr/bin/env bash
# Renders Kelvo's main window, the settings dialog's pages, the history
# browser (with two sample captures) and the version box on a virtual X
# display, at their default sizes, into docs/screenshots/.
# Usage: scripts/screenshots.sh   (KELVO_BUILD_DIR=build folder, default build/)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tool=${KELVO_BUILD_DIR:-$root/build}/tests/kelvo_screenshots
out_dir=$root/docs/screenshots

[ -x "$tool" ] || { echo "screenshots.sh: no $tool (build first)" >&2; exit 1; }

# Xvfb and a font with Japanese glyphs.
"$root/scripts/install-packages.sh" xvfb fonts-noto-cjk
source "$root/scripts/xdisplay.sh"

work=$(mktemp -d)
cleanup() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work"
echo "Xvfb on $DISPLAY"

# A fresh home folder, as on a first run.
mkdir -p "$work/home" "$out_dir"
LC_ALL=C.UTF-8 timeout 120 "$tool" "$work/home/" "$out_dir"
