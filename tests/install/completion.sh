#!/usr/bin/env bash
# The bash completion offers kelvo's commands, their options and values, and
# the days of the home's history, as a user pressing Tab would see them.
# Usage: completion.sh SOURCE_DIR KELVO
set -euo pipefail
source_dir=$1
kelvo=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck source=tests/install/captured_home.sh
source "$(dirname "$0")/captured_home.sh"

# complete WORD...: what Tab offers after the words (the last one is being typed).
complete_line() {
    bash --norc --noprofile -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"
        _kelvo; printf "%s\n" "${COMPREPLY[@]}"' _ "$source_dir/data/kelvo.bash" "$@"
}
offers() { # offers WANTED WORD...
    local wanted=$1 offered; shift
    # Read whole first: grep -q may close the pipe early, and pipefail would
    # take the completion's SIGPIPE for a failure.
    offered=$(complete_line "$@")
    grep -qx -- "$wanted" <<<"$offered" || fail "'$*' does not offer $wanted: $(tr '\n' ' ' <<<"$offered")"
}

offers capture "$kelvo" ""
offers browser-hosts "$kelvo" --home "$work/home" b
offers --on-duplicate "$kelvo" capture --on-d
offers skip "$kelvo" capture --on-duplicate s
offers auto "$kelvo" capture --on-clash ""
offers --similar "$kelvo" history --s
offers "$today" "$kelvo" --home "$work/home" history ""
offers convert "$kelvo" table c
offers status "$kelvo" browser-hosts ""
(cd "$work" && offers a.jpg "$kelvo" capture a) || exit 1
echo "PASS: commands, options, values, files and the history's days"
