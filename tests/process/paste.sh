#!/usr/bin/env bash
# Ctrl+V on the window captures what a real clipboard owner offers: files as
# a file manager copies them; an image as Chromium's "Copy Image" leaves it
# (pixels, its address, the page), saved with the original bytes the address
# gives; an address alone, fetched from the server.
# Usage: paste.sh KELVO_BINARY CLIPBOARD_OWNER
set -euo pipefail
kelvo=$1 owner=$2
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
page=$root/tests/e2e/page
mkdir -p "$work/in"
cp "$page/harbour.png" "$work/in/copied.png"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$page" "$port" >"$work/server.log" 2>&1 &
pids+=("$!")
server=http://127.0.0.1:$port

"$kelvo" --home "$home" >"$work/window.log" 2>&1 &
pids+=("$!")
window=$(wait_window "$!")
[ -n "$window" ] || fail "the window did not appear"

# paste_from TYPE SOURCE...: the owner takes the clipboard, Ctrl+V in Kelvo.
paste_from() {
  "$owner" "$@" >"$work/owner.log" 2>&1 &
  local held=$!
  for _ in $(seq 50); do grep -q owning "$work/owner.log" && break; sleep 0.1; done
  grep -q owning "$work/owner.log" || fail "the clipboard owner did not start: $(cat "$work/owner.log")"
  xdotool windowfocus --sync "$window" key ctrl+v
  waited=$held
}

# saved NAME ORIGINAL: NAME appears in the home with ORIGINAL's bytes.
saved() {
  for _ in $(seq 100); do cmp -s "$home/$1" "$2" && break; sleep 0.1; done
  kill "$waited" 2>/dev/null || true
  cmp -s "$home/$1" "$2" || fail "$1 was not saved with the bytes of $2: $(ls "$home")"
}

paste_from text/uri-list "file://$work/in/copied.png"$'\r\n'
saved copied.png "$work/in/copied.png"

paste_from image/png "png:$page/sunrise.jpg" text/uri-list "$server/sunrise.jpg"$'\r\n' \
  chromium/x-source-url "$server/index.html"
saved sunrise.jpg "$page/sunrise.jpg" # as served

paste_from text/plain "$server/meadow.gif"
saved meadow.gif "$page/meadow.gif"

log=$(find "$home/Logs" -name '[0-9]*.txt')
grep -q "\"sunrise.jpg\";[^;]*;[^;]*;\"$server/index.html\"" "$log" ||
  fail "the image's row does not name its page: $(cat "$log")"
echo "PASS: pasted files, a browser's image with its original bytes, and an address"
