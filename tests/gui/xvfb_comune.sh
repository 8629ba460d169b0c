# Shared by the desktop window scripts: a private Xvfb server, a scratch directory, polling
# with timeouts and pixel counts of screenshots. Sourced, not run.
set -u

# Skips the test (exit 77) when a tool is missing.
richiedi() {
    local c
    for c in "$@"; do
        if ! command -v "$c" >/dev/null 2>&1; then
            echo "skipped: $c is not installed"
            exit 77
        fi
    done
}

fallisci() {
    echo "FAIL: $*" >&2
    exit 1
}

lavoro=$(mktemp -d)
pid_xvfb=""
pid_programma=""
pulisci() {
    if [ -n "$pid_programma" ]; then kill "$pid_programma" 2>/dev/null; fi
    if [ -n "$pid_xvfb" ]; then
        kill "$pid_xvfb" 2>/dev/null
        wait "$pid_xvfb" 2>/dev/null
    fi
    rm -rf "$lavoro"
}
trap pulisci EXIT

# Runs "$@" every 50 ms until it succeeds or $1 seconds pass.
aspetta() {
    local secondi=$1
    shift
    local fine=$((SECONDS + secondi))
    until "$@"; do
        [ "$SECONDS" -lt "$fine" ] || return 1
        sleep 0.05
    done
}

# Starts Xvfb on a free display it picks itself and sets $display (":N").
avvia_xvfb() {
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$lavoro/display" \
        2>"$lavoro/xvfb.log" &
    pid_xvfb=$!
    pronto() { grep -q '^[0-9][0-9]*$' "$lavoro/display" 2>/dev/null; }
    aspetta 20 pronto || {
        cat "$lavoro/xvfb.log" >&2
        fallisci "Xvfb did not start"
    }
    display=":$(cat "$lavoro/display")"
    # The number comes before the server takes clients; wait until one gets through.
    risponde() { x xdotool getdisplaygeometry >/dev/null; }
    aspetta 20 risponde || fallisci "Xvfb on $display does not answer"
}

# Runs an X client on the test's display. The server can turn a connection away for a
# moment, so a failing client is tried again a few times.
x() {
    local i
    for i in 1 2 3 4 5 6 7 8 9 10; do
        DISPLAY=$display "$@" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# The visible windows titled "compattatore".
finestre() {
    x xdotool search --onlyvisible --name '^compattatore$'
}

# WIDTHxHEIGHT of a window.
misura() {
    x xdotool getwindowgeometry --shell "$1" |
        awk -F= '$1 == "WIDTH" {w = $2} $1 == "HEIGHT" {h = $2} END {print w "x" h}'
}

fotografa() {
    x xwd -silent -id "$1" -out "$2"
}

# The error box: a window of the program's that is not the 280 x 179 waiting window. Sets
# `box` to its id; false while there is none. The waiting window may be going away while it
# is looked at; a window whose size cannot be read is not the box.
trova_box() {
    box=""
    local id m
    for id in $(finestre); do
        m=$(misura "$id")
        [[ "$m" =~ ^[0-9]+x[0-9]+$ ]] && [ "$m" != 280x179 ] && box=$id
    done
    [ -n "$box" ]
}

# Pixels darker than mid-grey in an image (after the given ImageMagick operations).
pixel_scuri() {
    local immagine=$1
    shift
    convert "xwd:$immagine" "$@" -colorspace Gray -threshold 50% -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

# "W H X Y": the box around the dark pixels.
riquadro_scuro() {
    convert "xwd:$1" -colorspace Gray -threshold 50% -trim -format '%w %h %X %Y' info: 2>/dev/null
}

# Waits for a process to end (at most $2 seconds) and sets $stato to its exit status.
aspetta_fine() {
    local pid=$1 secondi=$2
    finito() { ! kill -0 "$pid" 2>/dev/null; }
    aspetta "$secondi" finito || fallisci "the program did not end within $secondi s"
    wait "$pid"
    stato=$?
    pid_programma=""
}

# The no-argument run started in the background as $pid_programma, with its output in
# $lavoro/desktop.out and desktop.err, on the desktop with its window held a few seconds
# (COMPATTATORE_TEST_ATTESA_MS): one window of 280 x 179 with "Attendere" painted inside the
# label's box while the program still waits, and none left once it has ended. Sets $stato.
controlla_finestra_attesa() {
    mostrata() {
        kill -0 "$pid_programma" 2>/dev/null ||
            fallisci "the program ended before showing a window on $display:" \
                "$(cat "$lavoro/desktop.out" "$lavoro/desktop.err")"
        [ -n "$(finestre)" ]
    }
    aspetta 60 mostrata || fallisci "no window appeared"
    local ids finestra
    ids=($(finestre))
    [ "${#ids[@]}" = 1 ] || fallisci "${#ids[@]} windows instead of one"
    finestra=${ids[0]}
    [ "$(misura "$finestra")" = 280x179 ] || fallisci "window is $(misura "$finestra"), not 280x179"

    # The window is mapped before it is painted: the first paint waits for the fonts, which on
    # a fresh machine means building the font cache first. So the screenshot is taken again
    # until the text is there; the hold keeps the program waiting well after its first paint.
    # The label's box is 177 x 53 at 64,64. The text starts at its top left corner and is of
    # 24 points (32 pixels): its capitals and the d are well over 20 pixels tall. A wider
    # stand-in face may run a few pixels past the label's right edge, but never off the window.
    local w h x y
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
}
