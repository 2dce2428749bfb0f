#!/usr/bin/env bash
# The command line's manners, with no display at all: help and version, a
# wrong command or option named with exit code 2, and a history read that
# makes no home folder.
# Usage: command_line.sh KELVO_BINARY
set -euo pipefail
kelvo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$kelvo" "$@"; }

run --help >"$work/out" || fail "--help exited $?"
grep -q "capture \[--on-clash auto|skip\] \[--on-duplicate ask|save|skip\]" "$work/out" || fail "--help lacks the capture line"
[ "$(run --version)" = "kelvo $(sed -n 's/^project(kelvo VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "$0")/../../CMakeLists.txt")" ] || fail "--version is not the project's version"
# Each wrong call, and the word its complaint must name.
while IFS='|' read -r wrong named; do
  status=0
  # shellcheck disable=SC2086 # the arguments are words
  run $wrong >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "kelvo $wrong exited $status, not 2"
  grep -q -- "$named" "$work/err" || fail "kelvo $wrong did not name $named on stderr"
done <<'CASES'
bogus|bogus
--nope|--nope
--home|--home
capture --on-clash bogus x|"bogus"
CASES
run --home "$work/none" history >/dev/null || fail "history of a home not there failed"
[ ! -e "$work/none" ] || fail "history made the home folder"
# What the program prints is what the unit tests expect, byte for byte, and
# output that cannot be written is an error.
data=$(dirname "$0")/../unit/core/data/printing
run table dump --types "$data/table/fields.mlb" | cmp -s - "$data/expected/fields.mlb.types.out" ||
  fail "table dump printed other bytes"
run --home "$data/home" history 20060401 | cmp -s - "$data/expected/history-20060401.out" ||
  fail "history printed other bytes"
into_full_disk() {
  local status=0
  run "$@" >/dev/full 2>"$work/err" || status=$?
  [ "$status" -eq 1 ] || fail "kelvo $* into a full disk exited $status, not 1"
  grep -q "cannot write the output" "$work/err" || fail "kelvo $* did not say it could not write"
}
into_full_disk table dump "$data/table/fields.txt"
into_full_disk --home "$data/home" history 20060331
echo "PASS: help, version, wrong arguments, a read-only history and printed bytes, without a display"
