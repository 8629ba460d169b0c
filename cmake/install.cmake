# Installing the program, its manual page, its bash completion and its licence, and the two
# Debian packages built from them: `compattatore` (the command-line program, no desktop
# libraries) and `compattatore-finestra` (the desktop window's module, which needs FLTK and
# X11; the first package recommends it). On Windows: the program alone, in a zip and an
# installer (cmake/windows/pacchetto.cmake).
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows/pacchetto.cmake)
  return()
endif()
include(GNUInstallDirs)

set(COMPATTATORE_PACCHETTO_PROGRAMMA compattatore)
set(COMPATTATORE_PACCHETTO_FINESTRA compattatore-finestra)
set(COMPATTATORE_CONFEZIONE ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS compattatore RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programma)
# The desktop window's module, in the program's own library directory, where the program
# looks for it (src/CMakeLists.txt).
install(TARGETS compattatore_finestra LIBRARY DESTINATION ${COMPATTATORE_CARTELLA_MODULI}
        COMPONENT finestra)

install(FILES ${COMPATTATORE_CONFEZIONE}/compattatore.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME compattatore COMPONENT programma)

# Each package carries the licence in the machine-readable copyright format and the
# changelog, compressed as Debian keeps changelogs. The changelog's newest entry must name the
# version being built.
file(STRINGS ${COMPATTATORE_CONFEZIONE}/changelog prima_riga LIMIT_COUNT 1)
if(NOT prima_riga MATCHES "^compattatore \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}: "
                      "${prima_riga}")
endif()
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  set(COMPATTATORE_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(
    OUTPUT ${COMPATTATORE_CHANGELOG}
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${COMPATTATORE_CONFEZIONE}/changelog > ${COMPATTATORE_CHANGELOG}
    DEPENDS ${COMPATTATORE_CONFEZIONE}/changelog
    COMMENT "Compressing the changelog")
  add_custom_target(compattatore_changelog ALL DEPENDS ${COMPATTATORE_CHANGELOG})
endif()
foreach(componente programma finestra)
  if(componente STREQUAL programma)
    set(pacchetto ${COMPATTATORE_PACCHETTO_PROGRAMMA})
  else()
    set(pacchetto ${COMPATTATORE_PACCHETTO_FINESTRA})
  endif()
  install(FILES ${COMPATTATORE_CONFEZIONE}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pacchetto} COMPONENT ${componente})
  if(GZIP_PROGRAM)
    install(FILES ${COMPATTATORE_CHANGELOG}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pacchetto} COMPONENT ${componente})
  endif()
endforeach()

# The manual page is made from the program's own --help and --version at build time, with the
# commands' help, the examples and the exit statuses added from include files.
find_program(HELP2MAN_PROGRAM help2man)
if(HELP2MAN_PROGRAM AND GZIP_PROGRAM)
  set(COMPATTATORE_MAN ${CMAKE_BINARY_DIR}/compattatore.1)
  set(COMPATTATORE_MAN_COMANDI ${CMAKE_BINARY_DIR}/compattatore-comandi.h2m)
  add_custom_command(
    OUTPUT ${COMPATTATORE_MAN} ${COMPATTATORE_MAN}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAMMA=$<TARGET_FILE:compattatore>
            -DUSCITA=${COMPATTATORE_MAN_COMANDI}
            -P ${CMAKE_CURRENT_LIST_DIR}/manuale_comandi.cmake
    COMMAND ${HELP2MAN_PROGRAM} --no-info --section=1
            "--name=compact a train-driving scenario into the files the simulator loads"
            --include=${COMPATTATORE_MAN_COMANDI}
            --include=${COMPATTATORE_CONFEZIONE}/compattatore.h2m
            --output=${COMPATTATORE_MAN} $<TARGET_FILE:compattatore>
    COMMAND ${CMAKE_COMMAND} -DPAGINA=${COMPATTATORE_MAN}
            -P ${CMAKE_CURRENT_LIST_DIR}/manuale_stati.cmake
    COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${COMPATTATORE_MAN}
    DEPENDS compattatore ${CMAKE_CURRENT_LIST_DIR}/manuale_comandi.cmake
            ${CMAKE_CURRENT_LIST_DIR}/manuale_stati.cmake
            ${COMPATTATORE_CONFEZIONE}/compattatore.h2m
    COMMENT "Generating the manual page compattatore.1"
    VERBATIM)
  add_custom_target(compattatore_man ALL DEPENDS ${COMPATTATORE_MAN}.gz)
  install(FILES ${COMPATTATORE_MAN}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT programma)
else()
  message(STATUS "help2man or gzip not found: the manual page is not built or installed")
endif()

# The manual page of the source format (section 5), written by hand in docs/.
if(GZIP_PROGRAM)
  set(COMPATTATORE_MAN_FORMATO ${CMAKE_BINARY_DIR}/compattatore.5.gz)
  add_custom_command(
    OUTPUT ${COMPATTATORE_MAN_FORMATO}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/docs/compattatore.5
            ${CMAKE_BINARY_DIR}/compattatore.5
    COMMAND ${GZIP_PROGRAM} -9 -n -f ${CMAKE_BINARY_DIR}/compattatore.5
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/compattatore.5
    COMMENT "Compressing the manual page compattatore.5"
    VERBATIM)
  add_custom_target(compattatore_man_formato ALL DEPENDS ${COMPATTATORE_MAN_FORMATO})
  install(FILES ${COMPATTATORE_MAN_FORMATO} DESTINATION ${CMAKE_INSTALL_MANDIR}/man5
          COMPONENT programma)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/compattatore.5 DESTINATION ${CMAKE_INSTALL_MANDIR}/man5
          COMPONENT programma)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${COMPATTATORE_PACCHETTO_PROGRAMMA})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the compattatore authors")
set(CPACK_PACKAGE_CONTACT "Redazione scenari <redazione@scenari.example>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX ${COMPATTATORE_PREFISSO_PACCHETTO})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programma finestra)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Redazione scenari <redazione@scenari.example>")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time libraries of each package (the C++ runtime for the program; FLTK and X11 for
# the window's module) are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_PROGRAMMA_PACKAGE_NAME ${COMPATTATORE_PACCHETTO_PROGRAMMA})
set(CPACK_DEBIAN_PROGRAMMA_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PROGRAMMA_PACKAGE_RECOMMENDS ${COMPATTATORE_PACCHETTO_FINESTRA})
set(CPACK_DEBIAN_PROGRAMMA_DESCRIPTION
    "compactor of scenarios for a train-driving simulator
compattatore turns the text description of a railway line and of a train into
the three binary files a train-driving simulator loads: the track plan, the
scenario table and the track cell array. Run without arguments it compiles its
built-in scenario next to the program (compattatore run DIR writes it into any
directory); its commands let scenario authors compile and check their own, get
a JSON report of the run, decode the compiled files to JSON and draw them as
SVG.
.
The desktop window shown by the run without arguments is in the package
compattatore-finestra; without it the program works on the terminal.")

set(CPACK_DEBIAN_FINESTRA_PACKAGE_NAME ${COMPATTATORE_PACCHETTO_FINESTRA})
set(CPACK_DEBIAN_FINESTRA_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_FINESTRA_PACKAGE_DEPENDS
    "${COMPATTATORE_PACCHETTO_PROGRAMMA} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_FINESTRA_DESCRIPTION
    "desktop window of the compattatore scenario compactor
The module that compattatore loads when it runs without arguments on a desktop
with a display: a small waiting window while the built-in scenario is compiled,
and a box for a fatal error. Without this package compattatore prints the same
on the terminal.")
include(CPack)
