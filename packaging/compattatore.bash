# bash completion for compattatore.
#
# The commands and each command's options are read from the program's own --help, so the
# completion always matches the program being completed; what an option's value or a
# command's operand is (a directory, a file, a name) comes from the placeholder its help
# shows (DIR, FILE, ...).

# The commands listed under the "Subcommands:" heading of `compattatore --help`.
_compattatore_comandi() {
    "$1" --help 2>/dev/null | awk '
        tolower($0) ~ /^(sub)?commands:/ { dentro = 1; next }
        dentro && /^[^ ]/ { dentro = 0 }
        dentro && NF > 0 { print $1 }'
}

# The placeholder after an option in the command's help ("--output DIR" gives DIR).
_compattatore_segnaposto() {
    "$1" $2 --help 2>/dev/null | awk -v opzione="$3" '
        {
            for (i = 1; i < NF; i++) {
                n = split($i, nomi, ",")
                for (k = 1; k <= n; k++) if (nomi[k] == opzione) { print $(i + 1); exit }
            }
        }'
}

_compattatore() {
    local cur prev words cword split
    _init_completion -s || return

    local programma=${words[0]} comando="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            -*) ;;
            *)
                comando=${words[i]}
                break
                ;;
        esac
    done

    if [[ -z $comando ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '$(_parse_help "$programma")' -- "$cur"))
        else
            COMPREPLY=($(compgen -W '$(_compattatore_comandi "$programma")' -- "$cur"))
        fi
        return
    fi

    # The value of an option that takes one.
    if [[ $prev == -* ]]; then
        case $(_compattatore_segnaposto "$programma" "$comando" "$prev") in
            DIR) _filedir -d; return ;;
            FILE | SVG | SIM_FILE | JSON) _filedir; return ;;
            [A-Z]*) return ;;
        esac
    fi
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '$(_parse_help "$programma" "$comando --help")' -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        return
    fi

    case $comando in
        compile | check) _filedir txt ;;
        run | sources) _filedir -d ;;
        dump) _filedir '@(dat|sim)' ;;
        plot) _filedir sim ;;
        *) _filedir ;;
    esac
} &&
    complete -F _compattatore compattatore
