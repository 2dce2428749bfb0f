#!/usr/bin/env bash
# A build made as ./run.sh makes it installs whole: building its targets makes
# every file the install takes from the build folder (asked of ninja in a
# fresh folder configured as ./run.sh configures one, so nothing is compiled),
# and the install of this build holds the program, its menu entry, icon,
# metainfo and guide, both browsers' extension, and the browser host with
# its registration for every user.
# Usage: run_build.sh CMAKE NINJA BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 ninja=$2 build=$3 source=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck source=scripts/setup.sh
source "$source/scripts/setup.sh"
run=$work/run
"$cmake" -S "$source" -B "$run" "${configure_options[@]}" "${run_options[@]}" >"$work/configure.log" 2>&1 ||
  fail "configuring as ./run.sh does failed: $(tail -n 5 "$work/configure.log")"

# Every file the build of the run targets makes or reads.
"$ninja" -C "$run" -t graph "${run_targets[@]}" | grep -o 'label="[^"]*"' |
  sed 's/^label="//; s/"$//' | sort -u >"$work/built"
# The build folder's files that the install rules name.
find "$run" -name cmake_install.cmake -exec \
  awk '/^ *file\(INSTALL /{on=1} on{print} on && /\)$/{on=0}' {} + |
  grep -o "\"$run/[^\"]*\"" | sed "s|^\"$run/||; s|\"\$||" | sort -u >"$work/installed"
grep -qx src/kelvo "$work/installed" || fail "no install rule names the program: $(cat "$work/installed")"
missing=$(comm -23 "$work/installed" "$work/built")
[ -z "$missing" ] ||
  fail "building ${run_targets[*]} as ./run.sh does leaves out what the install takes:" "$missing"

"$cmake" --install "$build" --prefix "$work/usr" >"$work/install.log" 2>&1 ||
  fail "the install failed: $(tail -n 5 "$work/install.log")"
cd "$work/usr"
[ -x bin/kelvo ] || fail "no bin/kelvo installed"
[ -x bin/kelvo-browser-host ] || fail "no bin/kelvo-browser-host installed"
# The installed program loads its window's module from beside itself.
bin/kelvo --home "$work/home" history --similar "$source/tests/e2e/page/harbour.png" \
  >/dev/null 2>"$work/similar.err" || true
! grep -q "cannot load" "$work/similar.err" || fail "the installed kelvo: $(cat "$work/similar.err")"
# The host registered for every user, naming the host where it was installed.
host=io.github.kelvo.kelvo
for manifest in etc/chromium/native-messaging-hosts/$host.json \
  etc/opt/chrome/native-messaging-hosts/$host.json lib/mozilla/native-messaging-hosts/$host.json; do
  grep -q "\"path\": \"$work/usr/bin/kelvo-browser-host\"" "$manifest" 2>/dev/null ||
    fail "$manifest does not name the installed host"
done
id=io.github.kelvo.Kelvo
for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/doc/kelvo/guide.html \
  share/bash-completion/completions/kelvo share/zsh/vendor-completions/_kelvo \
  share/man/man1/kelvo.1 \
  share/kelvo/browser-extension/chromium/manifest.json share/kelvo/browser-extension/kelvo-companion.xpi; do
  [ -s "$file" ] || fail "no $file installed"
done
# The pictures the guide shows lie beside it.
pictures=$(grep -o 'src="[^":]*"' share/doc/kelvo/guide.html | sed 's/^src="//; s/"$//')
[ -n "$pictures" ] || fail "found no picture in the installed guide"
for picture in $pictures; do
  [ -s "share/doc/kelvo/$picture" ] || fail "the guide shows $picture, which is not installed"
done
# Each browser finds every script the manifest names: Chromium in the folder,
# Firefox in the .xpi, beside the manifest at its top.
extension=share/kelvo/browser-extension
"$cmake" -E tar tf "$extension/kelvo-companion.xpi" >"$work/xpi" ||
  fail "kelvo-companion.xpi is no archive"
for file in manifest.json $(grep -o '"[^"/]*\.js"' "$extension/chromium/manifest.json" | tr -d '"' | sort -u); do
  [ -s "$extension/chromium/$file" ] || fail "the Chromium folder lacks $file"
  grep -qx "$file" "$work/xpi" || fail "kelvo-companion.xpi lacks $file"
done
echo "PASS: a build made as ./run.sh makes it installs the program, its data and the extension"
