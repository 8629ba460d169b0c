#!/usr/bin/env bash
# The Windows program under Wine where the platform gets in the way: names with letters
# outside ASCII and folders with spaces work; a read-only folder, a file that another
# program holds open and a full disk each end the run with status 4 and a message that names
# the file and the reason, with every earlier file as it was and no temporary left. An
# interruption from the console waits for the naming of a set and leaves no temporary.
# Usage: guasti.sh COMPATTATORE.EXE BLOCCA_FILE.EXE INTERROMPI.EXE
source "$(dirname "$0")/../wine_comune.sh"
exe=$(realpath "$1")
blocca=$(realpath "$2")
interrompi=$(realpath "$3")
richiedi sha256sum

sei=(VALCRESTINA_TORVE_325.dat VALCRESTINA_TORVE_325.sim VALCRESTINA_TORVE_325_note.txt
    VALCRESTINA_TORVE_325_rallentamenti.txt VALCRESTINA_TORVE_325_scheda_treno.txt
    VALCRESTINA_TORVE_linea.dat)

# The program in a folder of its own, run there with no arguments: $stato, $lavoro/NAME.err.
esegui_in() {
    local dove=$1 nome
    nome=$(basename "$dove")
    (cd "$dove" && wine ./compattatore.exe >"$lavoro/$nome.out" 2>"$lavoro/$nome.err")
    stato=$?
}
programma_in() {
    mkdir -p "$1"
    chmod 0777 "$1"
    cp "$exe" "$1/compattatore.exe"
}
# Earlier files of every output name, each with its own bytes.
precedenti_in() {
    local f
    for f in "${sei[@]}"; do printf 'precedente %s\r\n' "$f" >"$1/$f"; done
    impronte "$1" >"$lavoro/precedenti.$(basename "$1")"
}
intatti() {
    impronte "$1" | cmp -s - "$lavoro/precedenti.$(basename "$1")" ||
        fallisci "$2: the earlier files changed or a file was left:"$'\n'"$(ls -A "$1")"
}
messaggio() {
    grep -qF -- "$2" "$lavoro/$1.err" || fallisci "$1: '$2' not in: $(cat "$lavoro/$1.err")"
}
# Another Windows program holds FILE open, as the simulator or an editor does, until `libera`.
# Started without the shell function, so that $pid_blocca is the Wine process itself.
bloccato() { grep -q bloccato "$lavoro/blocca.out"; }
blocca() {
    env -u DISPLAY -u WAYLAND_DISPLAY "$wine_sh" "$blocca" "$1" 60000 >"$lavoro/blocca.out" 2>&1 &
    pid_blocca=$!
    aspetta 60 bloccato || fallisci "$1 could not be locked: $(cat "$lavoro/blocca.out")"
}
libera() {
    kill "$pid_blocca" 2>/dev/null
    wait "$pid_blocca" 2>/dev/null
}

# The reference: a folder with a plain name.
programma_in "$lavoro/semplice"
esegui_in "$lavoro/semplice"
[ "$stato" = 0 ] || fallisci "plain folder: status $stato: $(cat "$lavoro/semplice.err")"
impronte "$lavoro/semplice" >"$lavoro/attese"
[ "$(wc -l <"$lavoro/attese")" = 6 ] || fallisci "plain folder: $(cat "$lavoro/attese")"

# Spaces and letters outside ASCII in the folders above the program.
strana="$lavoro/Scenari di prova/città è ù"
programma_in "$strana"
esegui_in "$strana"
[ "$stato" = 0 ] || fallisci "folder '$strana': status $stato: $(cat "$lavoro/$(basename "$strana").err")"
impronte "$strana" | cmp -s - "$lavoro/attese" || fallisci "folder '$strana': other files"
echo "folder with spaces and accents: the same six files"

# A scenario whose name has accented letters, compiled in such a folder: the files take the
# name, the scenario table holds it in Windows-1252.
(cd "$strana" && wine ./compattatore.exe sources . >/dev/null 2>&1) || fallisci "sources"
mv "$strana/VALCRESTINA_TORVE_linea.txt" "$strana/Città_linea.txt"
mv "$strana/VALCRESTINA_TORVE_325-.txt" "$strana/Città_325-.txt"
(cd "$lavoro" && wine "$strana/compattatore.exe" compile "$strana/Città_linea.txt" \
    "$strana/Città_325-.txt" --output "$strana/uscita è" >"$lavoro/accenti.out" 2>"$lavoro/accenti.err")
stato=$?
[ "$stato" = 0 ] || fallisci "accented scenario: status $stato: $(cat "$lavoro/accenti.err")"
for f in Città_325.sim Città_325.dat Città_linea.dat; do
    [ -s "$strana/uscita è/$f" ] || fallisci "accented scenario: no $f in: $(ls "$strana/uscita è")"
done
grep -qa $'Citt\xe0' "$strana/uscita è/Città_325.sim" ||
    fallisci "the scenario table does not hold the name in Windows-1252"
echo "accented scenario name: files named after it"

# A read-only folder: nothing can be created in it.
programma_in "$lavoro/sola_lettura"
precedenti_in "$lavoro/sola_lettura"
chmod 0555 "$lavoro/sola_lettura"
esegui_in "$lavoro/sola_lettura"
chmod 0777 "$lavoro/sola_lettura"
[ "$stato" = 4 ] || fallisci "read-only folder: status $stato"
messaggio sola_lettura "compattatore: cannot create "
messaggio sola_lettura "VALCRESTINA_TORVE_linea.txt: "
intatti "$lavoro/sola_lettura" "read-only folder"
echo "read-only folder: $(head -1 "$lavoro/sola_lettura.err")"

# The simulator holds the cells file open: the run waits a moment, then gives up without
# touching the earlier file.
programma_in "$lavoro/in_uso"
precedenti_in "$lavoro/in_uso"
chmod 0666 "$lavoro/in_uso"/VALCRESTINA_TORVE_325.dat
blocca "$lavoro/in_uso/VALCRESTINA_TORVE_325.dat"
esegui_in "$lavoro/in_uso"
libera
[ "$stato" = 4 ] || fallisci "file in use: status $stato: $(cat "$lavoro/in_uso.err")"
messaggio in_uso "VALCRESTINA_TORVE_325.dat: the file is in use by another program"
intatti_tranne_testi() {
    local f
    for f in VALCRESTINA_TORVE_325.dat VALCRESTINA_TORVE_325.sim VALCRESTINA_TORVE_linea.dat; do
        grep -qF "precedente $f" "$1/$f" || fallisci "$2: $f was replaced"
    done
    [ -z "$(ls -A "$1" | grep -v -e '^compattatore.exe$' -e '^VALCRESTINA_TORVE_')" ] ||
        fallisci "$2: a file was left: $(ls -A "$1")"
}
intatti_tranne_testi "$lavoro/in_uso" "file in use"
echo "file in use: $(head -1 "$lavoro/in_uso.err")"

# A source that an editor holds locked cannot be read: the compile stops before writing.
sorgenti=$(cartella sorgenti)
(cd "$sorgenti" && wine "$exe" sources . >/dev/null 2>&1) || fallisci "sources"
chmod 0666 "$sorgenti"/*
blocca "$sorgenti/VALCRESTINA_TORVE_325-.txt"
(cd "$sorgenti" && wine "$exe" compile VALCRESTINA_TORVE_linea.txt VALCRESTINA_TORVE_325-.txt \
    >"$lavoro/sorgente.out" 2>"$lavoro/sorgente.err")
stato=$?
libera
[ "$stato" = 4 ] || fallisci "locked source: status $stato: $(cat "$lavoro/sorgente.err")"
messaggio sorgente "cannot read VALCRESTINA_TORVE_325-.txt: the file is in use by another program"
[ "$(ls "$sorgenti" | wc -l)" = 2 ] || fallisci "locked source: files written: $(ls "$sorgenti")"
echo "locked source: $(head -1 "$lavoro/sorgente.err")"

# Ctrl+Break while a file is being named and another is written: the name is given, the
# other temporary goes, and the program ends with 128 + 15.
interrotta=$(cartella interrotta)
wine "$interrompi" "$interrotta" >"$lavoro/interrotta.out" 2>&1
stato=$?
[ "$stato" = 143 ] || fallisci "interruption: status $stato: $(cat "$lavoro/interrotta.out")"
# The temporary, deleted while open, goes when its handle closes with the process: Windows
# closes the handles before the process counts as ended, Wine's server may do it a moment
# after.
solo_nominato() { [ "$(ls -A "$interrotta")" = nominato.dat ]; }
aspetta 5 solo_nominato && [ "$(stat -c %s "$interrotta/nominato.dat")" = 100000 ] ||
    fallisci "interruption: left $(ls -lA "$interrotta" | tr '\n' ' ')"
echo "interruption: the file being named named, no temporary, status 143"

# A full disk: a file system of 600 KiB, too small for the 1.2 MB track plan.
pieno="$lavoro/disco_pieno"
mkdir -p "$pieno"
if mount -t tmpfs -o size=600k,mode=0777 tmpfs "$pieno" 2>/dev/null; then
    smonta() { umount "$pieno" 2>/dev/null; pulisci; }
    trap smonta EXIT
    for f in VALCRESTINA_TORVE_325.dat VALCRESTINA_TORVE_325.sim VALCRESTINA_TORVE_linea.dat; do
        printf 'precedente %s\r\n' "$f" >"$pieno/$f"
    done
    chmod 0666 "$pieno"/*
    (cd "$sorgenti" && wine "$exe" compile VALCRESTINA_TORVE_linea.txt VALCRESTINA_TORVE_325-.txt \
        --output "$pieno" >"$lavoro/pieno.out" 2>"$lavoro/pieno.err")
    stato=$?
    [ "$stato" = 4 ] || fallisci "full disk: status $stato: $(cat "$lavoro/pieno.err")"
    messaggio pieno "cannot write "
    messaggio pieno "VALCRESTINA_TORVE_linea.dat: "
    intatti_tranne_testi "$pieno" "full disk"
    echo "full disk: $(head -1 "$lavoro/pieno.err")"
else
    echo "note: no small file system could be mounted here (needs root); full disk not tried"
fi
echo "ok"
