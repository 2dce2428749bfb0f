#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kelvo. Arguments go to kelvo.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
# A font with Japanese glyphs, for the window's own texts.
"$root/scripts/setup.sh" fonts-noto-cjk
exec "${KELVO_BUILD_DIR:-$root/build}/src/kelvo" "$@"
