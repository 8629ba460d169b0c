# Writes the COMMANDS section of the manual page (a help2man include file) from each
# command's own --help. Run with -DPROGRAMMA=<executable> -DUSCITA=<file>.
set(testo "[COMMANDS]\n")
foreach(comando compile sources dump plot)
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
