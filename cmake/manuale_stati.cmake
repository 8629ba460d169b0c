# The program's --help ends with a short table of exit statuses, which help2man turns into a
# subsection of OPTIONS; the manual page has its own EXIT STATUS section (packaging/
# compattatore.h2m), so that subsection is dropped. Run with -DPAGINA=<manual page>.
file(READ ${PAGINA} testo)
string(REGEX REPLACE "\n\\.SS \"Exit status:\"\n[^\n]*(\n[^.][^\n]*|\n\\.(TP|IP|PP|br)[^\n]*)*" ""
       testo "${testo}")
file(WRITE ${PAGINA} "${testo}")
