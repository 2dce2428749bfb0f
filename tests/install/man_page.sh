#!/usr/bin/env bash
# The man page, as man shows it, names every command and option the program's
# own usage names, and the home's files.
# Usage: man_page.sh MAN_PAGE KELVO
set -euo pipefail
page=$1
kelvo=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

shown=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>&1 | col -b) || fail "man cannot show $page"
words=$("$kelvo" --help | grep -o -- '--[a-z-]*\|capture\|history\|table\|browser-hosts' | sort -u)
for word in $words kelvo.ini ListView.txt TreeViewLogs.txt collection.sqlite XDG_RUNTIME_DIR \
  "EXIT STATUS"; do
  grep -qF -- "$word" <<<"$shown" || fail "the man page does not name $word"
done
echo "PASS: the man page names every command, option and file"
