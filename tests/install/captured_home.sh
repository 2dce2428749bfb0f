# Sourced by the completion tests: a home under $work with one capture made
# today, by $kelvo; sets work and today, and removes work at the end.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/dest"
printf '[Form]\r\nDefFolder=%s/dest/\r\n' "$work" >"$work/home/kelvo.ini"
printf 'a' >"$work/a.jpg"
"$kelvo" --home "$work/home" capture "$work/a.jpg" >/dev/null
today=$(date +%Y%m%d)
