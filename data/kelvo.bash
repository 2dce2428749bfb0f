# bash completion for kelvo: its commands and their options, the files they
# take, and after `kelvo history` the days the home's history holds.

_kelvo_days() {
    # The day lines of `kelvo history` are indented by a tab.
    "$1" "${@:2}" history 2>/dev/null | sed -n 's/^\t//p'
}

_kelvo() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local kelvo=${COMP_WORDS[0]} command= i
    local -a home=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --home)
            home=(--home "${COMP_WORDS[i + 1]}")
            ((i++))
            ;;
        capture | history | table | browser-hosts)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done

    local words= files=false
    case $command:$prev in
    *:--home) COMPREPLY=($(compgen -d -- "$cur")); return ;;
    capture:--on-clash) words="auto skip" ;;
    capture:--on-duplicate) words="ask save skip" ;;
    capture:*) words="--on-clash --on-duplicate --help --"; files=true ;;
    history:--find) return ;;
    history:--file | history:--same | history:--similar) files=true ;;
    history:history) words="--find --file --same --similar --help $(_kelvo_days "$kelvo" "${home[@]}")" ;;
    history:*) files=$([[ " ${COMP_WORDS[*]} " == *" --find "* ]] && echo false || echo true) ;;
    table:table) words="dump convert" ;;
    table:dump) words="--types"; files=true ;;
    table:*) files=true ;;
    browser-hosts:browser-hosts) words="install remove status" ;;
    browser-hosts:*) return ;;
    *) words="capture history table browser-hosts --home --help --version" ;;
    esac
    COMPREPLY=($(compgen -W "$words" -- "$cur"))
    if $files && [[ $cur != -* ]]; then
        COMPREPLY+=($(compgen -f -- "$cur"))
        compopt -o filenames 2>/dev/null
    fi
}

complete -F _kelvo kelvo
