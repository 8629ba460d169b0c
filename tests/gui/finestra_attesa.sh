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
mostrata() {
    kill -0 "$pid_programma" 2>/dev/null ||
        fallisci "the program ended before showing a window on $display:" \
            "$(cat "$lavoro/desktop.out" "$lavoro/desktop.err")"
    [ -n "$(finestre)" ]
}
aspetta 30 mostrata || fallisci "no window appeared"
ids=($(finestre))
[ "${#ids[@]}" = 1 ] || fallisci "${#ids[@]} windows instead of one"
finestra=${ids[0]}
[ "$(misura "$finestra")" = 280x179 ] || fallisci "window is $(misura "$finestra"), not 280x179"

# The window is mapped before it is painted: the first paint waits for the fonts, which on a
# fresh machine means building the font cache first. So the screenshot is taken again until
# the text is there; the hold keeps the program waiting well after its first paint.
# The label's box is 177 x 53 at 64,64. The text starts at its top left corner and is of
# 24 points (32 pixels): its capitals and the d are well over 20 pixels tall. A wider stand-in
# face may run a few pixels past the label's right edge, but never off the window.
dipinta() {
    fotografa "$finestra" "$lavoro/attesa.xwd" || return 1
    read -r w h x y <<<"$(riquadro_scuro "$lavoro/attesa.xwd" | tr -d +)"
    [ "${h:-0}" -ge 20 ] && [ "${w:-0}" -ge 100 ]
}
aspetta 30 dipinta
kill -0 "$pid_programma" 2>/dev/null || fallisci "the screenshot came too late"
echo "text: ${w}x${h} at $x,$y"
[ "${h:-0}" -ge 20 ] && [ "${w:-0}" -ge 100 ] || fallisci "no label text of 24 points (${w}x${h})"
[ "$x" -ge 64 ] && [ "$x" -le 68 ] && [ "$y" -ge 64 ] && [ $((y + h)) -le 117 ] &&
    [ $((x + w)) -le 276 ] || fallisci "the text ${w}x${h}+$x+$y is not where the label is"

aspetta_fine "$pid_programma" 120
[ -z "$(finestre)" ] || fallisci "the window is still there after the run"
[ "$stato" = "$stato_terminale" ] || fallisci "desktop: status $stato, terminal $stato_terminale"
[ ! -s "$lavoro/desktop.out" ] || fallisci "desktop: wrote to standard output"
uguale_al_terminale desktop
echo "ok"
