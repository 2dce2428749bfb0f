#!/usr/bin/env bash
# Every C++ source of the program and its tests is as .clang-format lays it
# out; prints what differs.
#   format_check.sh ROOT
set -euo pipefail
cd "$1"
mapfile -d '' sources < <(find src tests \( -name corpus -prune \) -o \
    \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
clang-format --dry-run -Werror "${sources[@]}"
echo "${#sources[@]} sources formatted"
