#!/usr/bin/env bash
# Installs what running needs and is missing, builds the program, and starts
# Kelvo. Arguments go to kelvo.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build_dir=${KELVO_BUILD_DIR:-$root/build}

# The command kelvo will run: the first argument that is not --home and its
# folder (as kelvo reads it). Empty when kelvo is to start the window.
command_name() {
  while [ $# -gt 0 ]; do
    case $1 in
      --home) shift; [ $# -gt 0 ] && shift ;;
      --home=*) shift ;;
      *) echo "$1"; return ;;
    esac
  done
}

case $(command_name "$@") in
  capture|table|history|--help|-h|--version) ;;
  *)
    # The window needs a display; the command-line mode does not. (A chosen
    # Qt platform such as QT_QPA_PLATFORM=offscreen needs none.)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      cat >&2 <<EOF
run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).
Kelvo's window needs an X11 or Wayland display. Without one, use the command line:
  ./run.sh [--home DIR] capture [--on-clash auto|skip] FILE...
  ./run.sh [--home DIR] history [DAY]
  ./run.sh table dump [--types] FILE
  ./run.sh table convert IN OUT
or, once built, $build_dir/src/kelvo capture ... / $build_dir/src/kelvo table ...
EOF
      exit 1
    fi
    ;;
esac

# Only what running needs: the tests and their packages are ./test.sh's. Its
# report goes to stderr, so that stdout carries only what kelvo prints.
"$root/scripts/setup.sh" run >&2
exec "$build_dir/src/kelvo" "$@"
