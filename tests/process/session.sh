# Sourced by the process tests: a work folder, Xvfb, a fresh home that asks
# nothing on closing, and every process started ended with the test.
# Sets work, home and pids; fail MESSAGE ends the test.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$root/scripts/xdisplay.sh"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

start_xvfb "$work"
pids+=("$xvfb_pid")
home=$work/home
mkdir -p "$home"
printf '[Form]\r\nCBX2=0\r\n' >"$home/kelvo.ini"
