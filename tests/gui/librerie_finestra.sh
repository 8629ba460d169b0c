#!/usr/bin/env bash
# The program starts without the window toolkit and the X client libraries, directly or
# through another library: only the window's module needs them, and it shows one entry point.
# Usage: librerie_finestra.sh COMPATTATORE MODULE
set -u
exe=$1
modulo=$2
fallisci() {
    echo "FAIL: $*" >&2
    exit 1
}
for c in ldd readelf nm; do
    command -v "$c" >/dev/null 2>&1 || { echo "skipped: $c is not installed"; exit 77; }
done

finestra='fltk|libX|libxcb|fontconfig|freetype|libXft|libXrender|libXext|libXinerama|libXfixes|libXcursor'
librerie=$(ldd "$exe") || fallisci "ldd failed on $exe"
caricate=$(grep -Ei "$finestra" <<<"$librerie")
[ -z "$caricate" ] || fallisci "the program loads the window's libraries:"$'\n'"$caricate"

# The same pattern finds them in the module: the check above is not blind.
richieste=$(readelf -d "$modulo" | grep NEEDED) || fallisci "readelf failed on $modulo"
grep -q 'libfltk' <<<"$richieste" || fallisci "the module does not need FLTK: $richieste"
grep -q 'libX11' <<<"$richieste" || fallisci "the module does not need X11: $richieste"

# Our own functions, that is; an unoptimised build also shows the standard library's
# template instances, which the standard headers declare visible.
esportati=$(nm -D --defined-only "$modulo" | awk '$2 == "T" || $3 ~ /compattatore/ {print $3}' | sort)
[ "$esportati" = compattatore_crea_finestra ] ||
    fallisci "the module exports other functions:"$'\n'"$esportati"
echo "ok"
