# Writes the COMMANDS section of the manual page (a help2man include file) from each
# command's own --help. Run with -DPROGRAMMA=<executable> -DUSCITA=<file>.
set(testo "[COMMANDS]\n")
# The commands are those the program's --help lists under its "Subcommands:" heading.
execute_process(COMMAND ${PROGRAMMA} --help OUTPUT_VARIABLE aiuto RESULT_VARIABLE esito)
if(NOT esito EQUAL 0)
  message(FATAL_ERROR "${PROGRAMMA} --help failed: ${esito}")
endif()
string(REGEX MATCH "\n[Ss][Uu][Bb][Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:\n(  [^\n]*\n)+" elenco "${aiuto}")
string(REGEX MATCHALL "\n  [a-z][a-z0-9-]*" comandi "${elenco}")
list(TRANSFORM comandi STRIP)
if(NOT comandi)
  message(FATAL_ERROR "${PROGRAMMA} --help lists no command")
endif()
foreach(comando IN LISTS comandi)
  execute_process(COMMAND ${PROGRAMMA} ${comando} --help
                  OUTPUT_VARIABLE aiuto RESULT_VARIABLE esito)
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "${PROGRAMMA} ${comando} --help failed: ${esito}")
  endif()
  # roff: a backslash is written \e, and a line may not begin with a dot or an apostrophe.
  string(REPLACE "\\" "\\e" aiuto "${aiuto}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" aiuto "${aiuto}")
  string(APPEND testo ".SS \"compattatore ${comando}\"\n.nf\n${aiuto}.fi\n")
endforeach()
file(WRITE ${USCITA} "${testo}")
