#!/usr/bin/env bash
# The no-argument run on a desktop shows the waiting window, 280 x 179 with "Attendere" drawn
# inside the label's box, painted before the work starts and removed at the end; it writes
# the same files, with the same status and messages, as the run on a terminal. Where no
# display opens, or the window's module beside the program is missing or broken, the run is
# exactly the terminal one.
# Usage: finestra_attesa.sh COMPATTATORE MODULE
source "$(dirname "$0")/xvfb_comune.sh"
exe=$1
modulo=$2
richiedi Xvfb xdotool xwd convert
avvia_xvfb

# Each run gets its own copy of the program and of the window's module beside it: the run
# writes next to the executable. A directory made beforehand keeps what is in it instead.
esegui_in() {
    local nome=$1
    shift
    if [ ! -d "$lavoro/$nome" ]; then
        mkdir -p "$lavoro/$nome"
        cp "$modulo" "$lavoro/$nome/"
    fi
    cp "$exe" "$lavoro/$nome/compattatore"
    env "$@" "$lavoro/$nome/compattatore" >"$lavoro/$nome.out" 2>"$lavoro/$nome.err"
}
uguale_al_terminale() {
    local nome=$1
    cmp -s "$lavoro/terminale.err" "$lavoro/$nome.err" || fallisci "$nome: standard error differs"
    diff -r -x compattatore -x "$(basename "$modulo")" "$lavoro/terminale" "$lavoro/$nome" \
        >/dev/null || fallisci "$nome: files differ"
}

esegui_in terminale -u DISPLAY -u WAYLAND_DISPLAY
stato_terminale=$?
printf 'Attendere\n' | cmp -s - "$lavoro/terminale.out" || fallisci "terminal: no Attendere"
[ -n "$(ls "$lavoro/terminale" | grep -v '^compattatore$')" ] || fallisci "terminal: no files"

# A display that is not there: empty, or a number with no server behind it. And a display
# that is there, with no module beside the program or a file in its place that is not one.
# An installed module is never found instead: a copy of the program looks only beside itself
# and in the installed layout relative to itself, inside the private work directory.
libero=900
while [ -e "/tmp/.X11-unix/X$libero" ] || [ -e "/tmp/.X$libero-lock" ]; do libero=$((libero + 1)); done
casi=("vuoto=" "assente=:$libero" "solo_wayland=")
mkdir -p "$lavoro/senza_modulo" "$lavoro/modulo_rotto" "$lavoro/modulo_estraneo"
printf 'not a module\n' >"$lavoro/modulo_rotto/$(basename "$modulo")"
# A shared library, but without the window's entry point.
cp "$(ldd "$exe" | awk '/libm\.so/ {print $3}')" "$lavoro/modulo_estraneo/$(basename "$modulo")"
casi+=("senza_modulo=$display" "modulo_rotto=$display" "modulo_estraneo=$display")
for caso in "${casi[@]}"; do
    nome=${caso%%=*}
    valore=${caso#*=}
    if [ "$nome" = solo_wayland ]; then
        esegui_in "$nome" -u DISPLAY WAYLAND_DISPLAY=wayland-0
    else
        esegui_in "$nome" DISPLAY="$valore"
    fi
    stato=$?
    [ "$stato" = "$stato_terminale" ] || fallisci "$nome: status $stato, terminal $stato_terminale"
    cmp -s "$lavoro/terminale.out" "$lavoro/$nome.out" || fallisci "$nome: standard output differs"
    uguale_al_terminale "$nome"
done

# On the desktop: the window is held, already painted, for a few seconds before the work.
mkdir -p "$lavoro/desktop"
cp "$exe" "$lavoro/desktop/compattatore"
cp "$modulo" "$lavoro/desktop/"
DISPLAY=$display COMPATTATORE_TEST_ATTESA_MS=6000 "$lavoro/desktop/compattatore" \
    >"$lavoro/desktop.out" 2>"$lavoro/desktop.err" &
pid_programma=$!
controlla_finestra_attesa
[ "$stato" = "$stato_terminale" ] || fallisci "desktop: status $stato, terminal $stato_terminale"
[ ! -s "$lavoro/desktop.out" ] || fallisci "desktop: wrote to standard output"
uguale_al_terminale desktop
echo "ok"
