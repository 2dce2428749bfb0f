#!/usr/bin/env bash
# The menu entry and the software centres' description, as the build
# installs them: both validate without an error or a warning, and the
# description's launchable is the installed menu entry.
# Usage: desktop_files.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/usr" >"$work/install.log" 2>&1 ||
  fail "the install failed: $(tail -n 5 "$work/install.log")"
share=$work/usr/share
[ -f "$share/applications/kelvo.desktop" ] || fail "no menu entry installed"
[ -f "$share/metainfo/kelvo.metainfo.xml" ] || fail "no metainfo installed"
cmp -s "$source/data/kelvo.metainfo.xml" "$share/metainfo/kelvo.metainfo.xml" ||
  fail "the installed metainfo is not the source's"

# Hints are advice and are shown; errors and warnings fail.
desktop-file-validate "$share/applications/kelvo.desktop" >"$work/desktop.log" 2>&1 ||
  fail "desktop-file-validate: $(cat "$work/desktop.log")"
cat "$work/desktop.log"
! grep -Ei 'error|warning' "$work/desktop.log" || fail "desktop-file-validate complained"

# Kelvo has no domain of its own to be named after: its id is its menu
# entry's name, as the window's (kelvo), so the reverse-DNS advice is noted
# only. Any other issue that is not pedantic fails (--strict).
validate=(--no-net --strict --override=cid-desktopapp-is-not-rdns=pedantic)
appstreamcli validate "${validate[@]}" "$source/data/kelvo.metainfo.xml" ||
  fail "appstreamcli validate failed"
# The tree's check also finds the launchable's menu entry.
appstreamcli validate-tree "${validate[@]}" "$work" || fail "appstreamcli validate-tree failed"
echo "PASS: the installed menu entry and metainfo validate"
