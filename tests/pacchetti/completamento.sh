#!/usr/bin/env bash
# The bash completion offers the program's commands and each command's options, and file or
# directory names where they belong. Skipped (77) without bash-completion.
# Usage: completamento.sh COMPLETION COMPATTATORE
set -u
completamento=$1
programma=$2
quadro=/usr/share/bash-completion/bash_completion
[ -r "$quadro" ] || { echo "skipped: bash-completion is not installed"; exit 77; }
fallisci() {
    echo "FAIL: $*" >&2
    exit 1
}

# shellcheck disable=SC1090
source "$quadro"
source "$completamento"

# What pressing TAB after the words offers, one per line, sorted.
completa() {
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _compattatore
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

prova=$(mktemp -d)
trap 'rm -rf "$prova"' EXIT
cd "$prova" || exit 1
mkdir cartella
touch NAME_linea.txt NAME_1-.txt NAME_1.sim altro.bin

# Every command the program lists, and only those.
comandi=$("$programma" --help | awk 'tolower($0) ~ /^(sub)?commands:/ {d = 1; next}
                                    d && /^[^ ]/ {d = 0} d && NF {print $1}' | sort)
[ -n "$comandi" ] || fallisci "no command found in --help"
[ "$(completa "$programma" "")" = "$comandi" ] || fallisci "commands offered: $(completa "$programma" "")"
[ "$(completa "$programma" co)" = compile ] || fallisci "co gives: $(completa "$programma" co)"

for comando in $comandi; do
    offerte=$(completa "$programma" "$comando" --)
    for opzione in $("$programma" "$comando" --help | grep -oE -- '--[a-z][a-z0-9-]*' | sort -u); do
        grep -qx -- "$opzione" <<<"$offerte" || fallisci "$comando: $opzione is not offered"
    done
done

attesi() { printf '%s\n' "$@" | sort; }
controlla() {
    local atteso=$1
    shift
    local avuto
    avuto=$(completa "$programma" "$@")
    [ "$avuto" = "$atteso" ] || fallisci "'$*' offers [$avuto], expected [$atteso]"
}
controlla "$(attesi NAME_1-.txt NAME_linea.txt cartella)" compile ""
controlla "$(attesi NAME_1-.txt NAME_linea.txt cartella)" check NAME_linea.txt ""
controlla "cartella" run ""
controlla "cartella" compile NAME_linea.txt NAME_1-.txt --output ""
controlla "" compile --name ""
controlla "$(attesi NAME_1.sim cartella)" plot ""
echo "completion: all cases passed"
