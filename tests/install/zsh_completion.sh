#!/usr/bin/env bash
# The zsh completion offers kelvo's commands, their options and values, files,
# and the days of the home's history, as Tab does in an interactive zsh (run
# on a pseudo-terminal, its matches noted as they are added).
# Usage: zsh_completion.sh SOURCE_DIR KELVO
set -euo pipefail
source_dir=$1
kelvo=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

# shellcheck source=tests/install/captured_home.sh
source "$(dirname "$0")/captured_home.sh"

# Types each line given on standard input into one zsh and presses Tab; prints
# "LINE<tab>MATCH" for each match offered.
cat >"$work/tab.zsh" <<'EOF'
zmodload zsh/zpty
matches=$2/matches
zpty z zsh -f -i
zpty -w z "fpath=(${(q)1} \$fpath); autoload -U compinit; compinit -u -D"
zpty -w z 'compadd() {
  [[ ${@[1,(i)(-|--)]} == *-(O|A|D)\ * ]] && { builtin compadd "$@"; return; }
  local -a hits; builtin compadd -A hits "$@"; print -rl -- $hits >>'${(q)matches}'
  builtin compadd "$@"
}'
zpty -w z 'tab() { zle complete-word; zle -M "<""tabbed $((++tabs))>" }'
# Typed ahead before the prompt, a line would be dropped.
zpty -w z "zle -N tab; bindkey '^X^T' tab; PS1='<''ready>'"
zpty -r z out '*<ready>*'
n=0
while IFS= read -r line; do
  : >$matches
  zpty -w -n z "$line"$'\C-x\C-t'
  zpty -r z out "*<tabbed $((++n))>*"
  zpty -w -n z $'\C-u'
  while IFS= read -r match; do print -r -- "$line	$match"; done <$matches
done
zpty -d z
EOF
lines=(
  "kelvo "
  "kelvo --home $work/home b"
  "kelvo capture --on-d"
  "kelvo capture --on-clash "
  "kelvo history --s"
  "kelvo --home $work/home history "
  "kelvo table c"
  "kelvo browser-hosts "
  "kelvo capture a"
)
PATH=$(cd "$(dirname "$kelvo")" && pwd):$PATH
(cd "$work" && printf '%s\n' "${lines[@]}" | timeout 30 zsh -f tab.zsh "$source_dir/data" "$work") \
  >"$work/offered" || fail "zsh did not complete: $(cat "$work/offered")"
offers() { # offers WANTED LINE
  grep -qxF -- "$2	$1" "$work/offered" || fail "'$2' does not offer $1: $(grep -F -- "$2	" "$work/offered" | cut -f2 | xargs)"
}

offers capture "kelvo "
offers browser-hosts "kelvo --home $work/home b"
offers --on-duplicate "kelvo capture --on-d"
offers skip "kelvo capture --on-clash "
offers --similar "kelvo history --s"
offers "$today" "kelvo --home $work/home history "
offers convert "kelvo table c"
offers status "kelvo browser-hosts "
offers a.jpg "kelvo capture a"
echo "PASS: commands, options, values, files and the history's days"
