#!/usr/bin/env bash
# The Debian package as a user has it: built by scripts/package.sh (lintian
# clean), installed with apt-get, it runs, the menu entry's command opens the
# window, man finds its page and bash its completion; purged, nothing of it is
# left outside the user's home.
# Exit 77 (skipped) where the package cannot be built or installed here.
# Usage: install_remove.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*" >&2; exit 77; }

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || skip "installing a package needs root or sudo without a password"
  as_root=(sudo -n)
fi
if dpkg-query -W -f='${Status}' kelvo 2>/dev/null | grep -q 'install ok installed'; then
  skip "a kelvo package is installed already: the test would remove it"
fi
# shellcheck source=scripts/packages.sh
source "$source_dir/scripts/packages.sh"
"$source_dir/scripts/install-packages.sh" "${package_packages[@]}" ||
  skip "dpkg-buildpackage cannot run here: its packages cannot be installed"

# shellcheck source=scripts/xdisplay.sh
source "$source_dir/scripts/xdisplay.sh"
work=$(mktemp -d)
installed=false
xvfb_pid=
window_pid=
cleanup() {
  [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  if $installed; then "${as_root[@]}" apt-get purge -y -qq kelvo >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

folder=$(KELVO_PACKAGE_DIR="$build_dir/package" "$source_dir/scripts/package.sh" 2>"$work/package.log") ||
  fail "scripts/package.sh failed: $(tail -n 20 "$work/package.log")"
deb=$(ls "$folder"/kelvo_*.deb)
version=$(dpkg-deb -f "$deb" Version)

# What of the package's paths is on the disk before, so that the purge may
# leave the folders others share (/usr/share/man/man1) and nothing else.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/paths"
while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] || echo "$path"
done <"$work/paths" >"$work/new"

export DEBIAN_FRONTEND=noninteractive
installed=true
"${as_root[@]}" apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 ||
  fail "apt-get install failed: $(tail -n 10 "$work/install.log")"

shown=$(/usr/bin/kelvo --version 2>&1) || fail "kelvo --version failed: $shown"
grep -qF "$version" <<<"$shown" || fail "kelvo --version says '$shown', not $version"
# The menu entry's command, as a desktop starts it, in a user's home of the test's.
entry=/usr/share/applications/io.github.kelvo.Kelvo.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$command" ] || fail "$entry has no Exec"
mkdir -p "$work/user" && mkdir -m 700 "$work/runtime"
start_xvfb "$work" || fail "Xvfb did not start"
# shellcheck disable=SC2086 # Exec is a command line of words
HOME=$work/user XDG_DATA_HOME=$work/user/.local/share XDG_CONFIG_HOME=$work/user/.config \
  XDG_RUNTIME_DIR=$work/runtime $command >"$work/window.log" 2>&1 &
window_pid=$!
[ -n "$(wait_window "$window_pid")" ] ||
  fail "'$command' from $entry shows no window: $(tail -n 5 "$work/window.log")"
kill "$window_pid" 2>/dev/null || true
wait "$window_pid" 2>/dev/null || true
window_pid=

page=$(man -w kelvo) || fail "man -w kelvo finds no page"
[ "$page" = /usr/share/man/man1/kelvo.1.gz ] || fail "man -w kelvo finds $page"
completion=/usr/share/bash-completion/completions/kelvo
bash --norc --noprofile -c "source $completion && complete -p kelvo" >/dev/null ||
  fail "$completion does not complete kelvo"

"${as_root[@]}" apt-get purge -y -qq kelvo >"$work/purge.log" 2>&1 ||
  fail "apt-get purge failed: $(tail -n 10 "$work/purge.log")"
installed=false
! dpkg-query -W -f='${Status}' kelvo 2>/dev/null | grep -q 'ok installed' || fail "kelvo is still installed"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then fail "the purge left $path"; fi
done <"$work/new"
echo "PASS: kelvo $version installs, runs, opens its window from the menu entry, has its" \
  "manual page and completion, and purges whole"
