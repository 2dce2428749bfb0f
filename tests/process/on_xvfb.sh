#!/usr/bin/env bash
# Runs a test program on a virtual X display of its own, through Qt's X11
# platform. Usage: on_xvfb.sh PROGRAM [ARGS...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdisplay.sh"
work=$(mktemp -d)
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
start_xvfb "$work"
QT_QPA_PLATFORM=xcb "$@"
