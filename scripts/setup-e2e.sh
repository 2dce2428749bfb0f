#!/usr/bin/env bash
# Installs what the end-to-end tests need: a virtual X server, a pointer
# driver and the two browsers they drag images out of. A browser that cannot
# be installed is reported here, and its tests are skipped.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/install-packages.sh" xvfb xdotool
for browser in chromium firefox-esr; do
  "$root/scripts/install-packages.sh" "$browser" ||
    echo "Cannot install $browser: its end-to-end tests will be skipped." >&2
done
