#!/usr/bin/env bash
# The fatal ending on a desktop: a modal box titled like the program, with the text
# " Errore n. 1250" (also on standard error) and an OK button, that waits for the person;
# closing it ends the program with status 3 and leaves no window.
# Usage: box_errore.sh PROVA_ERRORE_FINESTRA
source "$(dirname "$0")/xvfb_comune.sh"
prova=$1
richiedi Xvfb xdotool xwininfo xwd convert
avvia_xvfb

for tasto in Return Escape; do
    DISPLAY=$display "$prova" >"$lavoro/out" 2>"$lavoro/err" &
    pid_programma=$!
    # The waiting window and the box: the box is the one that is not 280 x 179.
    box=""
    trova_box() {
        kill -0 "$pid_programma" 2>/dev/null || fallisci "$tasto: the program ended before the box"
        local id
        for id in $(finestre); do
            [ "$(misura "$id")" = 280x179 ] || box=$id
        done
        [ -n "$box" ]
    }
    aspetta 30 trova_box || fallisci "$tasto: no box appeared"
    disegnata() {
        fotografa "$box" "$lavoro/box.xwd" && [ "$(pixel_scuri "$lavoro/box.xwd")" -gt 50 ]
    }
    aspetta 10 disegnata || fallisci "$tasto: the box shows no text"
    printf ' Errore n. 1250\n' | cmp -s - "$lavoro/err" || fallisci "$tasto: text was '$(cat "$lavoro/err")'"

    # Modal: it is still waiting.
    sleep 0.3
    kill -0 "$pid_programma" 2>/dev/null || fallisci "$tasto: the program did not wait for the box"

    x xdotool windowfocus --sync "$box" key "$tasto" || fallisci "$tasto: xdotool failed"
    aspetta_fine "$pid_programma" 20
    [ "$stato" = 3 ] || fallisci "$tasto: status $stato instead of 3"
    [ -z "$(finestre)" ] || fallisci "$tasto: a window is left"
    [ ! -s "$lavoro/out" ] || fallisci "$tasto: wrote to standard output"
done
echo "ok"
