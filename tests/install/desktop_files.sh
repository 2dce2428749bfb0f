#!/usr/bin/env bash
# The menu entry and the software centres' description, as the build
# installs them: both validate without an error or a warning, the
# description's launchable is the installed menu entry, and its icon is there
# at every usual size.
# Usage: desktop_files.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/usr" >"$work/install.log" 2>&1 ||
  fail "the install failed: $(tail -n 5 "$work/install.log")"
share=$work/usr/share
id=io.github.kelvo.Kelvo
[ -f "$share/applications/$id.desktop" ] || fail "no menu entry installed"
[ -f "$share/metainfo/$id.metainfo.xml" ] || fail "no metainfo installed"
cmp -s "$source/data/$id.metainfo.xml" "$share/metainfo/$id.metainfo.xml" ||
  fail "the installed metainfo is not the source's"
# The newest release the software centres list is this one.
version=$(sed -n 's/^project(kelvo VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
newest=$(grep -o '<release version="[^"]*"' "$share/metainfo/$id.metainfo.xml" | head -n 1)
[ "$newest" = "<release version=\"$version\"" ] || fail "the metainfo's newest release is not $version: $newest"
icon=$(sed -n 's/^Icon=//p' "$share/applications/$id.desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the menu entry's icon $icon is not installed"
# Each of the usual sizes is a PNG of that size: width and height are the
# big-endian words at byte 16 of its header.
for size in 16 22 24 32 48 64 128 256 512; do
  png=$share/icons/hicolor/${size}x$size/apps/$icon.png
  drawn=$(od -An -j16 -N8 --endian=big -tu4 "$png" 2>/dev/null | xargs) || true
  [ "$drawn" = "$size $size" ] || fail "$png is not ${size}x$size: ${drawn:-missing}"
done

# Hints are advice and are shown; errors and warnings fail.
desktop-file-validate "$share/applications/$id.desktop" >"$work/desktop.log" 2>&1 ||
  fail "desktop-file-validate: $(cat "$work/desktop.log")"
cat "$work/desktop.log"
! grep -Ei 'error|warning' "$work/desktop.log" || fail "desktop-file-validate complained"

# Any issue that is not pedantic fails (--strict).
validate=(--no-net --strict)
appstreamcli validate "${validate[@]}" "$source/data/$id.metainfo.xml" ||
  fail "appstreamcli validate failed"
# The tree's check also finds the launchable's menu entry.
appstreamcli validate-tree "${validate[@]}" "$work" || fail "appstreamcli validate-tree failed"
echo "PASS: the installed menu entry and metainfo validate"
