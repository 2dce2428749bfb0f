#!/usr/bin/env bash
# The program's sources pass the checks .clang-tidy keeps, with no warning;
# prints each one found. Skipped (77) where clang-tidy is not installed.
#   tidy_check.sh ROOT BUILD_DIR
set -euo pipefail
root=$(cd "$1" && pwd)
build=$2
command -v run-clang-tidy >/dev/null || { echo "SKIPPED: run-clang-tidy not found"; exit 77; }
# The sources under ROOT/src, as the build compiles them: not Qt's generated
# files in the build folder. A source found clean before, unchanged, is not
# looked at again (scripts/cached-clang-tidy.py).
run-clang-tidy -clang-tidy-binary "$root/scripts/cached-clang-tidy.py" -quiet -p "$build" \
  -j "$(nproc)" "^$root/src/" >"$build/tidy.log" 2>&1 || {
  grep -E 'warning:|error:' "$build/tidy.log" | sort -u
  exit 1
}
echo "clang-tidy: no warning"
