#!/usr/bin/env bash
# The two Debian packages built from the build tree: what each holds and depends on, that
# lintian finds no error in them, and that the program unpacked from them works as a user who
# may not write beside it. Skipped (77) without cpack's Debian tools.
# Usage: pacchetti.sh BUILD_DIR
set -u
build=$1
for c in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$c" >/dev/null 2>&1 || { echo "skipped: $c is not installed"; exit 77; }
done
fallisci() {
    echo "FAIL: $*" >&2
    exit 1
}

lavoro=$(mktemp -d)
trap 'chmod -R u+w "$lavoro"; rm -rf "$lavoro"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$lavoro/deb" >"$lavoro/cpack.log" 2>&1 ||
    { cat "$lavoro/cpack.log"; fallisci "cpack failed"; }
programma=$(ls "$lavoro"/deb/compattatore_*.deb)
finestra=$(ls "$lavoro"/deb/compattatore-finestra_*.deb)
[ -f "$programma" ] && [ -f "$finestra" ] || fallisci "expected two packages: $(ls "$lavoro/deb")"

campo() { dpkg-deb -f "$1" "$2"; }
dipende=$(campo "$programma" Depends)
if grep -qiE 'fltk|libx11|libxft|libxrender' <<<"$dipende"; then
    fallisci "compattatore depends on the desktop: $dipende"
fi
[ "$(campo "$programma" Recommends)" = compattatore-finestra ] ||
    fallisci "compattatore does not recommend the window: $(campo "$programma" Recommends)"
versione=$(campo "$programma" Version)
grep -q "compattatore (= $versione)" <<<"$(campo "$finestra" Depends)" ||
    fallisci "the window does not depend on its program: $(campo "$finestra" Depends)"
grep -q libfltk <<<"$(campo "$finestra" Depends)" ||
    fallisci "the window does not depend on FLTK: $(campo "$finestra" Depends)"

contiene() {
    local pacchetto=$1
    shift
    local elenco
    elenco=$(dpkg-deb -c "$pacchetto" | awk '{print $NF}')
    for f in "$@"; do
        grep -qx "./$f" <<<"$elenco" || fallisci "$(basename "$pacchetto") lacks $f"
    done
}
contiene "$programma" usr/bin/compattatore usr/share/man/man1/compattatore.1.gz \
    usr/share/man/man5/compattatore.5.gz \
    usr/share/bash-completion/completions/compattatore usr/share/doc/compattatore/copyright \
    usr/share/doc/compattatore/changelog.gz
contiene "$finestra" usr/share/doc/compattatore-finestra/copyright \
    usr/share/doc/compattatore-finestra/changelog.gz
dpkg-deb -c "$finestra" | grep -q 'compattatore-finestra\.so$' || fallisci "no window module"
# No maintainer scripts: nothing to run on installing, and removing leaves nothing registered.
for p in "$programma" "$finestra"; do
    script=$(dpkg-deb -I "$p" | grep -oE '\b(pre|post)(inst|rm)\b' | sort -u | tr '\n' ' ')
    [ -z "$script" ] || fallisci "$(basename "$p") has maintainer scripts: $script"
done
if dpkg-deb -c "$programma" | grep -q '\.so$'; then fallisci "the program's package holds a module"; fi

# The copyright file is machine-readable and names the MIT (Expat) licence.
dpkg-deb -x "$programma" "$lavoro/radice"
copyright=$lavoro/radice/usr/share/doc/compattatore/copyright
head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
    fallisci "copyright is not in the machine-readable format"
grep -q '^License: Expat$' "$copyright" || fallisci "copyright names no Expat (MIT) licence"

# The manual page has its examples and exit statuses.
pagina=$(zcat "$lavoro/radice/usr/share/man/man1/compattatore.1.gz")
for sezione in 'EXIT STATUS' EXAMPLES COMMANDS COPYRIGHT; do
    grep -q "^\.SH \"\?$sezione\"\?$" <<<"$pagina" || fallisci "the manual page has no $sezione section"
done

# Unpacked, the program does the built-in run into a directory of the user's choice.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null 2>&1; then
    chmod -R a+rX "$lavoro"
    mkdir "$lavoro/casa" && chmod 777 "$lavoro/casa"
    come_utente=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    mkdir "$lavoro/casa"
    come_utente=()
fi
"${come_utente[@]}" "$lavoro/radice/usr/bin/compattatore" run "$lavoro/casa/s" >"$lavoro/run.log" 2>&1 ||
    { cat "$lavoro/run.log"; fallisci "run DIR failed"; }
[ "$(ls "$lavoro/casa/s" | wc -l)" -eq 6 ] || fallisci "run DIR left: $(ls "$lavoro/casa/s")"

if command -v lintian >/dev/null 2>&1; then
    lintian --no-tag-display-limit "$programma" "$finestra" >"$lavoro/lintian.log" 2>&1
    if grep -q '^E:' "$lavoro/lintian.log"; then
        cat "$lavoro/lintian.log"
        fallisci "lintian found errors"
    fi
else
    echo "lintian is not installed: its check is left out"
fi
echo "packages: all checks passed"
