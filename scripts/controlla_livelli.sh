#!/usr/bin/env bash
# The layers of src/, from the bottom up. A file may include headers of its own folder and of
# the layers below its own, never of a folder beside it or above it.
#
#   controlla_livelli.sh [SRC]          checks every #include "..." line under SRC (default src)
#   controlla_livelli.sh --sotto DIR    prints DIR and the folders DIR may include (the build
#                                       gives each layer only these to include from)
set -euo pipefail

livelli=(
    "core"
    "platform"
    "driver writers documents reader track"
    "tools"
    "cli gui"
)

# The folders that `$1` may include, itself first.
permesse() {
    local cartella=$1 livello trovato=""
    local -a sotto=()
    for livello in "${livelli[@]}"; do
        if [[ " $livello " == *" $cartella "* ]]; then
            trovato=1
            break
        fi
        sotto+=($livello)
    done
    [ -n "$trovato" ] || return 1
    echo "$cartella" "${sotto[@]}"
}

if [ "${1:-}" = "--sotto" ]; then
    permesse "$2" || { echo "controlla_livelli: '$2' is in no layer" >&2; exit 2; }
    exit 0
fi

radice=${1:-"$(dirname "$0")/../src"}
errori=0
while IFS= read -r file; do
    relativo=${file#"$radice"/}
    cartella=${relativo%%/*}
    if [ "$cartella" = "$relativo" ]; then
        continue  # the build files at the top of src/
    fi
    if ! consentite=$(permesse "$cartella"); then
        echo "$relativo: folder '$cartella' is in no layer" >&2
        errori=1
        continue
    fi
    while IFS=: read -r riga testo; do
        incluso=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$testo")
        destinazione=${incluso%%/*}
        [ "$destinazione" = "$incluso" ] && continue  # a header beside the file
        if [[ " $consentite " != *" $destinazione "* ]]; then
            echo "$relativo:$riga: includes \"$incluso\": '$cartella' may include only: $consentite" >&2
            errori=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$radice" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

if [ "$errori" -ne 0 ]; then
    echo "controlla_livelli: includes against the layer order" >&2
    exit 1
fi
echo "controlla_livelli: every include points down"
