#!/usr/bin/env bash
# The fatal ending on a desktop: a modal box titled like the program, with the text
# " Errore n. 1250" (also on standard error) and an OK button, that waits for the person;
# closing it ends the program with status 3 and leaves no window. A file that cannot be
# written is reported in the same box, with the text the terminal run prints, and the
# program ends with status 4 once it is closed.
# Usage: box_errore.sh PROVA_ERRORE_FINESTRA COMPATTATORE MODULE
source "$(dirname "$0")/xvfb_comune.sh"
prova=$1
exe=$2
modulo=$3
richiedi Xvfb xdotool xwd convert
avvia_xvfb

# Finds the box (the window that is not the 280 x 179 waiting window) of the program
# $pid_programma, checks that it shows text and that it waits, then closes it with key $1
# and sets $stato.
chiudi_il_box() {
    local tasto=$1
    box_del_programma() {
        kill -0 "$pid_programma" 2>/dev/null || fallisci "$tasto: the program ended before the box"
        trova_box
    }
    aspetta 30 box_del_programma || fallisci "$tasto: no box appeared"
    disegnata() {
        fotografa "$box" "$lavoro/box.xwd" && [ "$(pixel_scuri "$lavoro/box.xwd")" -gt 50 ]
    }
    aspetta 30 disegnata || fallisci "$tasto: the box shows no text"

    # Modal: it is still waiting.
    sleep 0.3
    kill -0 "$pid_programma" 2>/dev/null || fallisci "$tasto: the program did not wait for the box"

    x xdotool windowfocus --sync "$box" key "$tasto" || fallisci "$tasto: xdotool failed"
    aspetta_fine "$pid_programma" 20
    [ -z "$(finestre)" ] || fallisci "$tasto: a window is left"
}

for tasto in Return Escape; do
    DISPLAY=$display "$prova" "$modulo" >"$lavoro/out" 2>"$lavoro/err" &
    pid_programma=$!
    chiudi_il_box "$tasto"
    [ "$stato" = 3 ] || fallisci "$tasto: status $stato instead of 3"
    printf ' Errore n. 1250\n' | cmp -s - "$lavoro/err" || fallisci "$tasto: text was '$(cat "$lavoro/err")'"
    [ ! -s "$lavoro/out" ] || fallisci "$tasto: wrote to standard output"
done

# No file can grow (SIGXFSZ ignored, so writes fail with EFBIG even for root). The messages
# go through a pipe, which the limit does not touch.
for dove in terminale desktop; do
    mkdir -p "$lavoro/$dove"
    cp "$exe" "$lavoro/$dove/compattatore"
    cp "$modulo" "$lavoro/$dove/"
done
(ulimit -f 0 && trap '' XFSZ && exec env -u DISPLAY "$lavoro/terminale/compattatore" 2>&1 >/dev/null) |
    cat >"$lavoro/terminale.err"
stato_terminale=${PIPESTATUS[0]}
[ "$stato_terminale" = 4 ] || fallisci "terminal: status $stato_terminale with no room for files"
grep -q '^compattatore: ' "$lavoro/terminale.err" || fallisci "terminal: no report"

mkfifo "$lavoro/messaggi"
cat "$lavoro/messaggi" >"$lavoro/desktop.err" &
pid_lettore=$!
(ulimit -f 0 && trap '' XFSZ &&
    exec env DISPLAY="$display" "$lavoro/desktop/compattatore" 2>"$lavoro/messaggi" >/dev/null) &
pid_programma=$!
chiudi_il_box Return
wait "$pid_lettore"
[ "$stato" = 4 ] || fallisci "desktop: status $stato instead of 4 with no room for files"
sed "s#$lavoro/desktop\([/;]\)#$lavoro/terminale\1#g" "$lavoro/desktop.err" | cmp -s - "$lavoro/terminale.err" ||
    fallisci "desktop: report '$(cat "$lavoro/desktop.err")' differs from the terminal's"
echo "ok"
