#!/usr/bin/env bash
# The Windows program under Wine on a desktop (a private Xvfb): the no-argument run shows the
# waiting window, 280 x 179 with "Attendere" drawn inside the label's box, painted before the
# work starts and removed at the end, and writes the same files as the run on a terminal. The
# fatal error is a modal box with the exact text and one OK button; the program waits for it
# and ends with status 3 once OK is pressed.
# Usage: finestra.sh COMPATTATORE.EXE PROVA_ERRORE.EXE LEGGI_BOX.EXE
source "$(dirname "$0")/../wine_comune.sh"
exe=$(realpath "$1")
prova=$(realpath "$2")
leggi_box=$(realpath "$3")
richiedi Xvfb xdotool xwd convert sha256sum
avvia_xvfb
# The session on this display ends with the test, before the display does.
trap '"$wine_sh" --stop; pulisci' EXIT
sul_desktop() {
    env DISPLAY="$display" "$wine_sh" "$@"
}

# The terminal's run, for the files.
terminale=$(cartella terminale)
cp "$exe" "$terminale/compattatore.exe"
(cd "$terminale" && wine ./compattatore.exe >"$lavoro/terminale.out" 2>&1) ||
    fallisci "terminal run: $(cat "$lavoro/terminale.out")"

# On the desktop: the window is held, already painted, for a few seconds before the work.
# Wine's session takes the display of its first program: the one without a display ends
# first (this test runs alone), and the programs on the desktop begin a session of their own.
"$wine_sh" --stop
desktop=$(cartella desktop)
cp "$exe" "$desktop/compattatore.exe"
(cd "$desktop" && COMPATTATORE_TEST_ATTESA_MS=8000 sul_desktop ./compattatore.exe \
    >"$lavoro/desktop.out" 2>"$lavoro/desktop.err") &
pid_programma=$!
controlla_finestra_attesa
[ "$stato" = 0 ] || fallisci "desktop: status $stato: $(cat "$lavoro/desktop.err")"
[ ! -s "$lavoro/desktop.out" ] || fallisci "desktop: wrote to standard output"
impronte "$terminale" | cmp -s - <(impronte "$desktop") || fallisci "desktop: other files"
echo "waiting window: 280x179, Attendere in the label, the same files"

# The fatal box: its text and its one button as the system has them, still waiting after a
# while; Return presses OK and the program ends with status 3.
sul_desktop "$prova" >"$lavoro/box.out" 2>"$lavoro/box.err" &
pid_programma=$!
letto=$(sul_desktop "$leggi_box" | tr -d '\r') || fallisci "the box was not found: $(cat "$lavoro/box.err")"
[ "$letto" = $' Errore n. 1250\nOK' ] || fallisci "the box shows '$letto'"
aspetta 30 trova_box || fallisci "the box is not on the display"
sleep 0.5
kill -0 "$pid_programma" 2>/dev/null || fallisci "the program did not wait for the box"
x xdotool windowfocus --sync "$box" key Return || fallisci "xdotool failed"
aspetta_fine "$pid_programma" 30
[ "$stato" = 3 ] || fallisci "box: status $stato instead of 3"
printf ' Errore n. 1250\n' | cmp -s - "$lavoro/box.err" || fallisci "box: standard error '$(cat "$lavoro/box.err")'"
[ -z "$(finestre)" ] || fallisci "a window is left after the box"
echo "fatal box: ' Errore n. 1250' and OK; status 3 once pressed"
echo "ok"
