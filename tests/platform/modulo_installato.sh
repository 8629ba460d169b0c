#!/usr/bin/env bash
# A program installed under a prefix of its own finds the window module installed with it,
# wherever that prefix is. With a display named, the no-argument run loads the module from
# the prefix's library directory; the display named here has no server, so the module finds
# none and the run goes on at the terminal.
# Usage: modulo_installato.sh BUILD_DIR MODULE_FILE_NAME
set -u
build=$1
nome_modulo=$2
fallisci() {
    echo "FAIL: $*" >&2
    exit 1
}
command -v realpath >/dev/null 2>&1 || { echo "skipped: realpath is not installed"; exit 77; }

lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
prefisso="$lavoro/altro prefisso"
cmake --install "$build" --prefix "$prefisso" >"$lavoro/install.log" 2>&1 ||
    fallisci "cmake --install failed:"$'\n'"$(cat "$lavoro/install.log")"
programma="$prefisso/bin/compattatore"
[ -x "$programma" ] || fallisci "no program in $prefisso/bin"
installato=$(find "$prefisso" -type f -name "$nome_modulo")
[ -n "$installato" ] || fallisci "no module installed under $prefisso"

libero=900
while [ -e "/tmp/.X11-unix/X$libero" ] || [ -e "/tmp/.X$libero-lock" ]; do libero=$((libero + 1)); done
# The dynamic loader names every file it tries, and maps only one that opens.
env -u WAYLAND_DISPLAY LD_DEBUG=files DISPLAY=":$libero" "$programma" \
    >"$lavoro/out" 2>"$lavoro/err" </dev/null
stato=$?
messaggi=$(grep -v '^ *[0-9]*:' "$lavoro/err")
[ "$stato" -eq 0 ] || fallisci "the run ended with status $stato: $messaggi"
caricato=$(sed -n "s/^ *[0-9]*:[[:space:]]*file=\(.*\/$nome_modulo\) \[0\];  generating link map.*/\1/p" \
    "$lavoro/err" | head -n 1)
[ -n "$caricato" ] || fallisci "the program did not load a window module"
[ "$(realpath "$caricato")" = "$(realpath "$installato")" ] ||
    fallisci "the program loaded $caricato, not the module installed with it ($installato)"
[ -s "$prefisso/bin/VALCRESTINA_TORVE_325.dat" ] || fallisci "the run wrote no cell file"
echo "ok: $caricato"
