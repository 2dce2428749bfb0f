#!/usr/bin/env bash
# A logout ends Kelvo with a signal. A destination added through the settings
# dialog, the window's size and the current destination outlive SIGTERM and
# SIGHUP without the close question, and the next start captures there. A
# SIGINT that comes while a capture asks about a taken name cancels the
# question: nothing half-written is left, and the run still ends with 0.
# Usage: end_signals.sh KELVO_BINARY
set -euo pipefail
kelvo=$1
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
# The close question is on; the same bytes saved again go on to the clash dialog.
printf '[Form]\r\nCBX2=1\r\n[Collection]\r\nSameImage=1\r\n' >"$home/kelvo.ini"
mkdir -p "$work/in"

start_window() {
  "$kelvo" --home "$home" >>"$work/window.log" 2>&1 &
  window=$!
  pids+=("$window")
  main=$(wait_window "$window")
  [ -n "$main" ] || fail "the window did not appear"
}

# wait_named NAME: the window of that caption, once it has the focus. Looked
# for again and again: a search fails outright when a window it lists goes
# away meanwhile (the start's notices do).
wait_named() {
  local found=""
  for _ in $(seq 100); do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1) || true
    [ -n "$found" ] && xdotool windowfocus --sync "$found" 2>/dev/null && break
    found=""
    sleep 0.1
  done
  [ -n "$found" ] || fail "no window '$1' appeared"
  sleep 0.3 # the dialog gives the focus to its first field once it shows
}

# add_destination NAME FOLDER: through 設定 (Ctrl+,), 追加 and the folder
# chooser, by keyboard as a person would; OK makes it current.
add_destination() {
  mkdir -p "$2"
  xdotool windowfocus --sync "$main" key ctrl+comma
  wait_named 設定
  xdotool key Tab space # from the list to 追加
  wait_named 保存先情報の追加
  xdotool type "$1"
  xdotool key Tab space # to フォルダ...
  wait_named 画像保存先フォルダを指定してください。
  xdotool type "$2"
  xdotool key Return
  wait_named 保存先情報の追加
  xdotool key Tab Return # OK
  wait_named 設定
  xdotool key Tab Tab Tab Tab space # past 追加, 編集 and 削除 to OK
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name '^設定$' 2>/dev/null)" ] && return
    sleep 0.1
  done
  fail "the settings dialog did not close"
}

# end_with SIGNAL: the window ends by itself, with exit code 0.
end_with() {
  kill "-$1" "$window"
  local status=0
  timeout 20 tail --pid="$window" -f /dev/null || fail "SIG$1 did not end the window"
  wait "$window" || status=$?
  [ "$status" -eq 0 ] || fail "SIG$1 ended the window with exit code $status"
}

# capture_lands_in FOLDER NAME: a capture handed to the window saves there.
capture_lands_in() {
  printf 'bytes of %s' "$2" >"$work/in/$2"
  timeout 20 "$kelvo" --home "$home" capture "$work/in/$2" >"$work/capture.log" 2>&1 ||
    fail "the capture failed: $(cat "$work/capture.log")"
  cmp -s "$work/in/$2" "$1/$2" || fail "$2 was not saved in $1: $(cat "$work/capture.log")"
}

for signal in TERM HUP; do
  start_window
  folder=$work/pictures/$signal
  add_destination "sig$signal" "$folder"
  xdotool windowsize --sync "$main" 333 301
  sleep 1 # the X server has it; now the window's own event loop too
  end_with "$signal"
  grep -q "\"sig$signal\";\"$folder/\"" "$home/ListView.txt" ||
    fail "SIG$signal lost the destination: $(cat "$home/ListView.txt")"
  grep -q "^Width=333" "$home/kelvo.ini" || fail "SIG$signal lost the window's width"
  start_window
  capture_lands_in "$folder" "after-$signal.jpg"
  [ "$signal" = HUP ] || end_with TERM
done

# A taken name: the capture waits on the clash dialog when SIGINT comes.
"$kelvo" --home "$home" capture "$work/in/after-HUP.jpg" >"$work/clash.log" 2>&1 &
client=$!
pids+=("$client")
wait_named 保存先フォルダに同一ファイル名が存在
end_with INT
wait "$client" && fail "the interrupted capture reported success"
left=$(find "$work/pictures" "$home" -name '.*.tmp-*')
[ -z "$left" ] || fail "a half-written file was left: $left"
[ "$(grep -c after-HUP "$home"/Logs/*/*.txt)" -eq 1 ] || fail "the log holds a row it should not"
echo "PASS: settings outlive SIGTERM and SIGHUP, and SIGINT cancels a capture's question cleanly"
