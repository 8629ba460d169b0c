#!/usr/bin/env bash
# The Windows program under Wine gives the same bytes as the Linux program: the no-argument
# run (the six files, the terminal's output, the status), `sources`, and `compile` of the
# built-in sources and of a few scenarios of the fuzz corpus (the binary files, the JSON report,
# the messages, the status), then `dump` and `plot` of what was compiled.
# Usage: uguale_a_linux.sh COMPATTATORE.EXE LINUX_COMPATTATORE CORPUS_DIR
source "$(dirname "$0")/../wine_comune.sh"
exe=$(realpath "$1")
linux=$(realpath -m "$2")
corpus=$(realpath "$3")
richiedi python3 sha256sum
if [ ! -x "$linux" ]; then
    echo "skipped: no Linux program at $linux to compare with (build the default preset first)"
    exit 77
fi

# Runs the same command line with each program, each in a directory of its own (the
# no-argument run writes beside the program), and compares status, output and files.
# $1 names the case, $2 is a function that fills each directory first (or -); the rest is the
# command line after the program, run from the case's directory.
confronta() {
    local caso=$1 prepara=$2
    shift 2
    local l w
    l=$(cartella "$caso.linux")
    w=$(cartella "$caso.windows")
    cp "$linux" "$l/compattatore"
    cp "$exe" "$w/compattatore.exe"
    if [ "$prepara" != - ]; then
        "$prepara" "$l"
        "$prepara" "$w"
    fi
    local stato_l stato_w
    (cd "$l" && env -u DISPLAY -u WAYLAND_DISPLAY ./compattatore "$@" >"$lavoro/$caso.l.out" 2>"$lavoro/$caso.l.err")
    stato_l=$?
    (cd "$w" && wine ./compattatore.exe "$@" >"$lavoro/$caso.w.out" 2>"$lavoro/$caso.w.err")
    stato_w=$?
    [ "$stato_w" = "$stato_l" ] || fallisci "$caso: status $stato_w under Wine, $stato_l on Linux:" \
        "$(cat "$lavoro/$caso.w.err")"
    cmp -s "$lavoro/$caso.l.out" "$lavoro/$caso.w.out" || fallisci "$caso: standard output differs:" \
        "$(diff "$lavoro/$caso.l.out" "$lavoro/$caso.w.out" | head -20)"
    cmp -s "$lavoro/$caso.l.err" "$lavoro/$caso.w.err" || fallisci "$caso: standard error differs:" \
        "$(diff "$lavoro/$caso.l.err" "$lavoro/$caso.w.err" | head -20)"
    local dl dw
    dl=$(cd "$l" && find . -type f ! -name compattatore | LC_ALL=C sort | xargs -r sha256sum)
    dw=$(cd "$w" && find . -type f ! -name compattatore.exe | LC_ALL=C sort | xargs -r sha256sum)
    [ -n "$dl" ] || fallisci "$caso: the Linux run left no file"
    [ "$dl" = "$dw" ] || fallisci "$caso: the files differ:"$'\n'"$(diff <(echo "$dl") <(echo "$dw"))"
    echo "$caso: the same ($(wc -l <<<"$dl") files, status $stato_l)"
}

confronta predefinito -
confronta sorgenti - sources cartella

# The built-in sources compiled, with a report; then the two readers of the compiled files.
sorgenti() {
    "$linux" sources "$1/s" >/dev/null
}
compilati() {
    sorgenti "$1"
    (cd "$1" && "$linux" compile s/VALCRESTINA_TORVE_linea.txt s/VALCRESTINA_TORVE_325-.txt >/dev/null)
}
confronta compila sorgenti compile s/VALCRESTINA_TORVE_linea.txt s/VALCRESTINA_TORVE_325-.txt \
    --output uscita --report uscita/rapporto.json
confronta dump_sim compilati dump s/VALCRESTINA_TORVE_325.sim
confronta dump_dat compilati dump s/VALCRESTINA_TORVE_325.dat
confronta dump_tracciato compilati dump s/VALCRESTINA_TORVE_linea.dat
confronta plot compilati plot s/VALCRESTINA_TORVE_325.sim --output disegno.svg

# Scenarios of the fuzz corpus: each holds a line file and a train file, split at the first
# NUL byte; some have errors in them, which both programs report alike.
dividi_seme() {
    python3 -c '
import sys
linea, _, treno = open(sys.argv[1], "rb").read().partition(b"\0")
open(sys.argv[2] + "/Prova_linea.txt", "wb").write(linea)
open(sys.argv[2] + "/Prova_7-.txt", "wb").write(treno)
' "$seme" "$1"
}
# A few of them, each showing something else: the full track plan, a long line, the edges
# of the ranges, many boards, sources in capitals, a line file without its general part.
for nome in predefinito_tracciato lungo_tracciato bordi_tracciato molti_cartelli maiuscole \
    senza_generale; do
    seme=$corpus/$nome
    [ -f "$seme" ] || fallisci "no scenario $seme"
    confronta "seme_$(basename "$seme")" dividi_seme compile Prova_linea.txt Prova_7-.txt \
        --report rapporto.json
done
echo "ok"
