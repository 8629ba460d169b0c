#!/usr/bin/env bash
# The manual page of the source format: rendered without a warning, installed in section 5,
# and shown by `man 5 compattatore` from the installed tree.
# The page's example compiles without a word.
# Usage: manuale_formato.sh BUILD_DIR SOURCE_DIR PROGRAM
set -euo pipefail
build=$1
sorgenti=$2
programma=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

export LC_ALL=C.UTF-8 MANWIDTH=100
man --warnings -l -P cat "$sorgenti/docs/compattatore.5" >"$tmp/pagina" 2>"$tmp/avvisi"
if [ -s "$tmp/avvisi" ]; then
  echo "the page renders with warnings:" >&2
  cat "$tmp/avvisi" >&2
  exit 1
fi

cmake --install "$build" --prefix "$tmp/prefisso" >/dev/null
pagina=$(ls "$tmp/prefisso/share/man/man5/")
[ "$pagina" = compattatore.5.gz ] || { echo "man5 holds: $pagina" >&2; exit 1; }
MANPATH="$tmp/prefisso/share/man" man -P cat 5 compattatore >"$tmp/installata"
for parola in "lunghezza percorso" "cartello_indicatore" "stazione" "error 25" "EXAMPLE"; do
  grep -q -- "$parola" "$tmp/installata" || { echo "man 5 compattatore lacks '$parola'" >&2; exit 1; }
done
echo "man 5 compattatore: $(wc -l <"$tmp/installata") lines"

# The two files of the EXAMPLE section, as an author would copy them from the page.
awk '/^\.SH EXAMPLE/ { dentro = 1 } /^\.SH / && !/EXAMPLE/ { dentro = 0 }
     dentro && /^\.EE/ { n++; scrivi = 0 }
     dentro && scrivi { gsub(/\\-/, "-"); print > (n == 0 ? linea : treno) }
     dentro && /^\.EX/ { scrivi = 1 }' \
  linea="$tmp/PROVA_linea.txt" treno="$tmp/PROVA_1-.txt" "$sorgenti/docs/compattatore.5"
"$programma" compile "$tmp/PROVA_linea.txt" "$tmp/PROVA_1-.txt" --output "$tmp/esempio" \
  2>"$tmp/messaggi" || { echo "the example does not compile:" >&2; cat "$tmp/messaggi" >&2; exit 1; }
if [ -s "$tmp/messaggi" ]; then
  echo "the example compiles with messages:" >&2
  cat "$tmp/messaggi" >&2
  exit 1
fi
echo "the example compiles: $(ls "$tmp/esempio" | tr '\n' ' ')"
